// Start-up: the application object and the program's first windows.
#include "Startup.h"

#include "Mainform.h"

TNeoForm* CreateApplicationForms()
{
    Application->Initialize();
    Application->SetTitle(QStringLiteral("Glimmerwick"));
    Application->CreateForm(Form1);
    // Never shown; destroyed with the application.
    TNeoForm* NeoForm = nullptr;
    Application->CreateForm(NeoForm);
    return NeoForm;
}
