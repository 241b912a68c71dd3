// Program entry: the application object, the main window and the message loop.
#include "Mainform.h"
#include "StartupProbe.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApplication(argc, argv);
    try {
        Application->Initialize();
        Application->SetTitle(QStringLiteral("Glimmerwick"));
        Application->CreateForm(Form1);
        TNeoForm* NeoForm = nullptr;
        Application->CreateForm(NeoForm);
        WatchFirstPaint(Form1);
        Application->Run();
    } catch (const std::exception& e) {
        Application->ShowException(e);
    }
    return 0;
}
