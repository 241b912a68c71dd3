// Start-up: the application object and the program's first windows.
#include "Startup.h"

#include "Mainform.h"
#include "Profile.h"

TNeoForm* CreateApplicationForms()
{
    // Where the settings live is settled now: the executable may be replaced (by an
    // upgrade) before the program closes.
    SettingsLocation();
    Application->Initialize();
    Application->SetTitle(QStringLiteral("Glimmerwick"));
    Application->CreateForm(Form1);
    // Never shown; destroyed with the application.
    TNeoForm* NeoForm = nullptr;
    Application->CreateForm(NeoForm);
    return NeoForm;
}
