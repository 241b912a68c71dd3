// Start-up: the application object and the program's first windows.
#pragma once

class TNeoForm;

// Steps 1 to 4 of the start: initialises the application object, titles it
// "Glimmerwick", creates the main window Form1 (its FormCreate included) and one
// hidden base window, which is returned. The message loop is the caller's.
TNeoForm* CreateApplicationForms();
