// Qt reads a form, a plain widget to it, as a nameless "filler", a status bar that
// paints its panels itself as nothing at all and a tool bar's separator as a button: a
// screen reader finds no window to announce, cannot read what the program reports
// there, and meets buttons without names.
#include "framework/Accessible.h"

#include "framework/ComCtrls.h"
#include "framework/Forms.h"

#include <QAccessibleWidget>

namespace {

// A form is a frame, or a dialog while it runs modally.
class TFormAccessible : public QAccessibleWidget {
public:
    explicit TFormAccessible(QWidget* form) : QAccessibleWidget(form, QAccessible::Window) {}
    QAccessible::Role role() const override { return widget()->isModal() ? QAccessible::Dialog : QAccessible::Window; }
};

// The status bar reads as the texts of its panels, as Qt's own status bar reads as its
// message; its own name while they are all empty.
class TStatusBarAccessible : public QAccessibleWidget {
public:
    explicit TStatusBarAccessible(TStatusBar* bar) : QAccessibleWidget(bar, QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString shown = static_cast<const TStatusBar*>(widget())->ShownText();
            if (!shown.isEmpty())
                return shown;
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    // A separator of a tool bar is a separator, not a button without a name.
    if (auto* button = qobject_cast<TToolButton*>(object))
        return button->Style() == tbsSeparator ? new QAccessibleWidget(button, QAccessible::Separator) : nullptr;
    if (auto* bar = qobject_cast<TStatusBar*>(object))
        return new TStatusBarAccessible(bar);
    if (auto* form = qobject_cast<TCustomForm*>(object); form && form->isWindow())
        return new TFormAccessible(form);
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}
