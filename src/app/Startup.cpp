// Start-up: the application object and the program's first windows.
#include "app/Startup.h"

#include "browser/Mainform.h"
#include "platform/Profile.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

bool InstallQtTranslations()
{
    static QPointer<QTranslator> translator;
    if (translator)
        return true;
    auto* candidate = new QTranslator(QCoreApplication::instance());
    // The program speaks Chinese whatever the user's locale: so do Qt's buttons and dialogs.
    if (!candidate->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete candidate;
        return false;
    }
    QCoreApplication::installTranslator(candidate);
    translator = candidate;
    return true;
}

TNeoForm* CreateApplicationForms(const QByteArray& folder, const QByteArray& fileName)
{
    // Where the settings live is settled now: the executable may be replaced (by an
    // upgrade) before the program closes.
    SettingsLocation();
    Application->Initialize();
    InstallQtTranslations();
    Application->SetTitle(QStringLiteral("Glimmerwick"));
    TForm1::StartFolder = folder;
    Application->CreateForm(Form1);
    TForm1::StartFolder.clear();
    if (!fileName.isEmpty())
        Form1->SelectFileRow(fileName);
    // Never shown; destroyed with the application.
    TNeoForm* NeoForm = nullptr;
    Application->CreateForm(NeoForm);
    return NeoForm;
}
