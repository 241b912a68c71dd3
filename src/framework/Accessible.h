// How the framework's own windows and status bar read to assistive technology.
#pragma once

// Makes forms read as frames (dialogs while modal), status bars as their panels' texts,
// tool-bar separators as separators and named images that answer a click as buttons
// that can be pressed. Once per process; every control's construction makes sure of it.
void InstallAccessibleInterfaces();
