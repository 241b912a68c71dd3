// Start-up: the application object and the program's first windows.
#pragma once

#include <QByteArray>

class TNeoForm;

// Steps 1 to 4 of the start: initialises the application object, titles it
// "Glimmerwick", creates the main window Form1 (its FormCreate included) and one
// hidden base window, which is returned. The message loop is the caller's.
// A `folder` (raw bytes of an absolute path) is browsed in place of the remembered one;
// a `fileName` in it has its first row selected.
TNeoForm* CreateApplicationForms(const QByteArray& folder = {}, const QByteArray& fileName = {});

// Loads Qt's own Chinese texts (buttons, standard dialogs); false when Qt's translations
// are not installed. Idempotent.
bool InstallQtTranslations();
