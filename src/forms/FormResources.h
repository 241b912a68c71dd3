// The compiled-in resources of the forms (image-list artwork, window icon, skin).
#pragma once

// Registers the resources; safe to call more than once. A static library's resource
// initialiser is only linked in when something refers to it, so the forms call this.
void InitFormResources();
