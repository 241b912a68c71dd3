// Flat-look painters (filled in separately).
