// How the framework's own windows and status bar read to assistive technology.
#pragma once

// Makes forms read as frames (dialogs while modal) and status bars as their panels'
// texts. Once per process; the application object does it.
void InstallAccessibleInterfaces();
