// Start-up: the application object and the program's first windows.
#include "app/Startup.h"

#include "browser/Mainform.h"
#include "framework/Language.h"
#include "platform/Profile.h"
#include "settings/Settings.h"

#include <cstdlib>

bool InstallQtTranslations()
{
    return InstallUiLanguage(UiLanguage());
}

TUiLanguage ChooseUiLanguage(const std::string& commandLine, const std::string& setting)
{
    if (const auto language = ParseUiLanguage(commandLine))
        return *language;
    if (const auto language = ParseUiLanguage(setting))
        return *language;
    return DesktopUiLanguage(std::getenv);
}

TNeoForm* CreateApplicationForms(const QByteArray& folder, const QByteArray& fileName, const std::string& language)
{
    // Where the settings live is settled now: the executable may be replaced (by an
    // upgrade) before the program closes.
    SettingsLocation();
    Application->Initialize();
    // Every text is set as the forms are made: the language is settled before them.
    InstallUiLanguage(ChooseUiLanguage(language, TSettings::Load(SettingsLocation().ReadFrom).Language));
    Application->SetTitle(QStringLiteral("Glimmerwick"));
    TForm1::SetStartFolder(folder);
    Application->CreateForm(Form1);
    TForm1::SetStartFolder({});
    if (!fileName.isEmpty())
        Form1->SelectFileRow(fileName);
    // Never shown; destroyed with the application.
    TNeoForm* NeoForm = nullptr;
    Application->CreateForm(NeoForm);
    return NeoForm;
}
