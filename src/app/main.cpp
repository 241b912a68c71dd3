// Program entry: the command line, the application object, the main window and the
// message loop.
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "app/StartupProbe.h"
#include "browser/Mainform.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// Messages of Qt's platform layer while the application object connects to the display.
// Without a display Qt ends the process with abort() and a page of text; the program
// says so in one line and exits with status 1 instead.
QStringList gPlatformMessages;
QtMessageHandler gDefaultHandler = nullptr;
std::vector<std::string> gOwnArguments;

std::string WorkingFolder();

// The program's arguments without Qt's own options (a single dash; some take a value),
// which the application object takes out only once it has a display.
std::vector<std::string> OwnArguments(int argc, char** argv)
{
    static const char* const kQtValueOptions[] = {
        "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qmljsdebugger", "-qwindowgeometry",
        "-qwindowicon", "-qwindowtitle", "-session", "-display", "-geometry", "-style", "-stylesheet",
        "-title", "-visual", "-name", "-ncols", "-cmap"};
    std::vector<std::string> own;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            own.insert(own.end(), argv + i, argv + argc);
            break;
        }
        if (arg.size() > 1 && arg[0] == '-' && arg[1] != '-') {
            for (const char* option : kQtValueOptions)
                if (arg == option)
                    ++i;
            continue;
        }
        own.push_back(arg);
    }
    return own;
}

void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // A usage error is one whether there is a display or not.
        const TCommandLine commandLine = ParseCommandLine(gOwnArguments, WorkingFolder());
        if (commandLine.Action == TCommandLine::caError) {
            std::fprintf(stderr, "glimmerwick: %s\nTry 'glimmerwick --help'.\n", commandLine.Message.c_str());
            std::_Exit(2);
        }
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        std::string line = "glimmerwick: cannot open a display";
        if ((!display || !*display) && (!wayland || !*wayland))
            line += " (neither DISPLAY nor WAYLAND_DISPLAY is set)";
        else if (!gPlatformMessages.isEmpty())
            line += " (" + gPlatformMessages.constFirst().toStdString() + ")";
        std::fprintf(stderr, "%s\n", line.c_str());
        std::_Exit(1);
    }
    if (context.category && std::string(context.category).rfind("qt.qpa.", 0) == 0) {
        gPlatformMessages << text;
        return;
    }
    gDefaultHandler(type, context, text);
}

std::vector<std::string> Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string WorkingFolder()
{
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string("/");
}

} // namespace

int main(int argc, char** argv)
{
    switch (InformationRequest(Arguments(argc, argv))) {
    case TCommandLine::caHelp: std::fputs(UsageText().c_str(), stdout); return 0;
    case TCommandLine::caVersion: std::fputs(VersionText().c_str(), stdout); return 0;
    default: break;
    }

    gOwnArguments = OwnArguments(argc, argv);
    gDefaultHandler = qInstallMessageHandler(StartupMessageHandler);
    // Takes Qt's own options (-platform ...) out of argv.
    QApplication qtApplication(argc, argv);
    qInstallMessageHandler(gDefaultHandler);
    for (const QString& message : std::as_const(gPlatformMessages))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(GW_APP_ID));

    const TCommandLine commandLine = ParseCommandLine(Arguments(argc, argv), WorkingFolder());
    if (commandLine.Action == TCommandLine::caError) {
        std::fprintf(stderr, "glimmerwick: %s\nTry 'glimmerwick --help'.\n", commandLine.Message.c_str());
        return 2;
    }
    try {
        CreateApplicationForms(QByteArray::fromStdString(commandLine.Folder),
                               QByteArray::fromStdString(commandLine.FileName), commandLine.Language);
        WatchFirstPaint(Form1);
        Application->Run();
    } catch (const std::exception& e) {
        Application->ShowException(e);
    }
    return 0;
}
