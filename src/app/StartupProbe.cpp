// Start-up measurement: with GLIMMERWICK_QUIT_AFTER_PAINT set, the program reports when
// the main window has been painted for the first time, and quits.
#include "app/StartupProbe.h"

#include "platform/Profile.h"
#include "platform/ShellIcons.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

// Set before main() runs, so that the figure includes the construction of the forms.
const auto gProcessStart = std::chrono::steady_clock::now();

// What the program found beside itself and where it keeps its settings, so that a copy
// started from an installation can be checked from outside.
void ReportCompanions()
{
    std::string folder = ApplicationFolder();
    if (folder.back() != '/')
        folder += '/';
    const std::string library = folder + "Tarnwell.dll";
    const auto found = [](const char* name) {
        return ::access(CompanionFile(name).c_str(), R_OK) == 0 ? "found" : "missing";
    };
    std::fprintf(stderr, "glimmerwick: Tarnwell.dll with %d icons, help.chm %s, help/index.html %s\n",
                 static_cast<int>(ExtractIconA(0, library.c_str(), -1)), found("help.chm"),
                 found("help/index.html"));
    std::fprintf(stderr, "glimmerwick: settings in %s\n", SettingsFileName().c_str());
}

// Watches every widget: the form itself may be covered by its panels and never be
// painted on its own.
class TFirstPaintWatcher : public QObject {
public:
    explicit TFirstPaintWatcher(QWidget* form) : QObject(form), FForm(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !FSeen && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == FForm) {
            FSeen = true;
            // Runs after the paint event has been handled and the window flushed.
            QTimer::singleShot(0, this, [] {
                const double ms = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - gProcessStart)
                                      .count();
                std::fprintf(stderr, "glimmerwick: first paint after %.1f ms\n", ms);
                ReportCompanions();
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* FForm;
    bool FSeen = false;
};

} // namespace

void WatchFirstPaint(QWidget* form)
{
    const char* value = std::getenv("GLIMMERWICK_QUIT_AFTER_PAINT");
    if (!form || !value || !*value)
        return;
    QCoreApplication::instance()->installEventFilter(new TFirstPaintWatcher(form));
}
