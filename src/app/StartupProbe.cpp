// Start-up measurement: with GLIMMERWICK_QUIT_AFTER_PAINT set, the program reports when
// the main window has been painted for the first time, and quits.
#include "StartupProbe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// Set before main() runs, so that the figure includes the construction of the forms.
const auto gProcessStart = std::chrono::steady_clock::now();

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
