// TControlSubClass: attaching to a control, message handling and giving it back.
