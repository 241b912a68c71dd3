// Colour and small bitmap helpers of the flat look.
