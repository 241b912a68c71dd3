// Start-up measurement: with GLIMMERWICK_QUIT_AFTER_PAINT set, the program reports when
// the main window has been painted for the first time, and quits.
#pragma once

class QWidget;

// Notes the time now; when the variable is set, watches `form` for its first paint.
void WatchFirstPaint(QWidget* form);
