// Qt reads a form, a plain widget to it, as a nameless "filler", a status bar that
// paints its panels itself as nothing at all, a tool bar's separator as a button and an
// image that answers a click as a picture nobody can press: a screen reader finds no
// window to announce, cannot read what the program reports there, and meets buttons
// without names or without a way to press them.
#include "framework/Accessible.h"

#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"

#include <QAccessibleWidget>
#include <QPointer>

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

// An image with a name that answers a click (or, failing that, a double click) is a
// button, and pressing it does what that click does. The click runs once the request
// that asked for it has been answered: it may close the window the image stands on.
class TImageAccessible : public QAccessibleWidget {
public:
    explicit TImageAccessible(TImage* image) : QAccessibleWidget(image) {}
    QAccessible::Role role() const override { return Pressable() ? QAccessible::Button : QAccessibleWidget::role(); }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (Pressable())
            names.append(pressAction());
        return names;
    }
    void doAction(const QString& action) override
    {
        if (action != pressAction() || !Pressable()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        QMetaObject::invokeMethod(
            widget(),
            [image = QPointer<TImage>(Image())] {
                if (!image || !image->isVisible() || !image->isEnabled())
                    return;
                SafeFire(image->OnClick ? image->OnClick : image->OnDblClick, image.data());
            },
            Qt::QueuedConnection);
    }

private:
    TImage* Image() const { return static_cast<TImage*>(widget()); }
    bool Pressable() const
    {
        const TImage* image = Image();
        return !image->accessibleName().isEmpty() && (image->OnClick || image->OnDblClick);
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    // A separator of a tool bar is a separator, not a button without a name.
    if (auto* button = qobject_cast<TToolButton*>(object))
        return button->Style() == tbsSeparator ? new QAccessibleWidget(button, QAccessible::Separator) : nullptr;
    if (auto* image = qobject_cast<TImage*>(object))
        return new TImageAccessible(image);
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
