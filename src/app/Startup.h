// Start-up: the application object and the program's first windows.
#pragma once

#include "framework/Language.h"

#include <QByteArray>

#include <string>

class TNeoForm;

// Steps 1 to 4 of the start: initialises the application object, titles it
// "Glimmerwick", creates the main window Form1 (its FormCreate included) and one
// hidden base window, which is returned. The message loop is the caller's.
// A `folder` (raw bytes of an absolute path) is browsed in place of the remembered one;
// a `fileName` in it has its first row selected. The texts speak `language` ("zh", "en";
// empty: the settings' choice, else the desktop's).
TNeoForm* CreateApplicationForms(const QByteArray& folder = {}, const QByteArray& fileName = {},
                                 const std::string& language = {});

// The language of the texts: the command line's choice, else the settings', else the
// desktop's (see DesktopUiLanguage).
TUiLanguage ChooseUiLanguage(const std::string& commandLine, const std::string& setting);

// Loads Qt's own texts (buttons, standard dialogs) and the program's in the language
// chosen last (Chinese before any); false when a translation is not installed.
bool InstallQtTranslations();
