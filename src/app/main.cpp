// Program entry: the application object, the main window and the message loop.
#include "Mainform.h"
#include "Startup.h"
#include "StartupProbe.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Arguments are not used by the program; Qt takes its own (-platform ...).
    QApplication qtApplication(argc, argv);
    try {
        CreateApplicationForms();
        WatchFirstPaint(Form1);
        Application->Run();
    } catch (const std::exception& e) {
        Application->ShowException(e);
    }
    return 0;
}
