// Window messages over an event filter per control.
#include "framework/Messages.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <vector>

namespace {

struct THook {
    const void* Key;
    TWndProc Proc;
    bool SuppressPaint;
};

std::intptr_t PointParam(const QPoint& p)
{
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(p.y() & 0xFFFF) << 16) | static_cast<std::uint32_t>(p.x() & 0xFFFF));
}

class TMessageFilter : public QObject {
public:
    explicit TMessageFilter(QWidget* control) : QObject(control) { control->installEventFilter(this); }

    static TMessageFilter* Find(const QWidget* control)
    {
        for (QObject* child : control->children())
            if (auto* filter = dynamic_cast<TMessageFilter*>(child))
                return filter;
        return nullptr;
    }

    std::vector<THook> Hooks;

    void Dispatch(TMessage& message)
    {
        // Hooks may unhook themselves while running.
        const std::vector<THook> hooks = Hooks;
        for (const THook& hook : hooks)
            if (hook.Proc)
                hook.Proc(message);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Events that reach the control while it handles another one (a modal loop that
        // its handler runs, a message it sends itself) pass the hooks as well.
        if (watched != parent() || Hooks.empty())
            return false;
        if (OwnPopupFocusChange(static_cast<QWidget*>(watched), event))
            return false;
        if (event->type() == QEvent::MouseMove)
            return DragCrossing(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
        TMessage message;
        TMessage extra; // a second message some events carry (focus out also means exit)
        if (!Translate(event, message, extra))
            return false;
        if (message.Msg == CM_MOUSEENTER || message.Msg == WM_LBUTTONDOWN)
            FPointerInside = true;
        else if (message.Msg == CM_MOUSELEAVE)
            FPointerInside = false;
        QPointer<QObject> alive(watched);
        bool suppress = false;
        if (message.Msg == WM_PAINT)
            for (const THook& hook : Hooks)
                suppress = suppress || hook.SuppressPaint;
        if (!suppress) {
            watched->event(event);
            if (!alive)
                return true;
        } else {
            message.Result = 1;
        }
        Dispatch(message);
        if (extra.Msg != 0 && alive)
            Dispatch(extra);
        return true;
    }

private:
    // Qt sends no enter or leave while a button is held on the control; the platform
    // does, so a pressed button dragged off looks raised until the pointer is back.
    bool DragCrossing(QWidget* control, QMouseEvent* event)
    {
        if (!(event->buttons() & Qt::LeftButton))
            return false;
        const bool inside = control->rect().contains(event->position().toPoint());
        if (inside == FPointerInside)
            return false;
        FPointerInside = inside;
        QPointer<QObject> alive(control);
        static_cast<QObject*>(control)->event(event);
        if (!alive)
            return true;
        TMessage message{inside ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0, 0};
        Dispatch(message);
        return true;
    }

    // The list a control drops down (a combo box's) takes Qt's focus while it shows and
    // gives it back when it closes; the control keeps the focus on the platform, so
    // neither change is a message.
    bool OwnPopupFocusChange(const QWidget* control, QEvent* event)
    {
        if (event->type() != QEvent::FocusOut && event->type() != QEvent::FocusIn)
            return false;
        if (event->type() == QEvent::FocusOut) {
            // Qt may move the focus more than once while the list opens.
            const QWidget* popup = QApplication::activePopupWidget();
            FFocusInOwnPopup = popup && popup->parentWidget() == control;
            return FFocusInOwnPopup;
        }
        const bool back = FFocusInOwnPopup && static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason;
        FFocusInOwnPopup = false;
        return back;
    }

    static bool Translate(QEvent* event, TMessage& m, TMessage& extra)
    {
        switch (event->type()) {
        case QEvent::Paint: m.Msg = WM_PAINT; return true;
        case QEvent::FocusIn: m.Msg = WM_SETFOCUS; return true;
        case QEvent::FocusOut: {
            m.Msg = WM_KILLFOCUS;
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                extra.Msg = CM_EXIT;
            return true;
        }
        case QEvent::Enter: m.Msg = CM_MOUSEENTER; return true;
        case QEvent::Leave: m.Msg = CM_MOUSELEAVE; return true;
        case QEvent::EnabledChange: m.Msg = CM_ENABLEDCHANGED; return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton)
                return false;
            m.Msg = event->type() == QEvent::MouseButtonPress ? WM_LBUTTONDOWN
                    : event->type() == QEvent::MouseButtonRelease ? WM_LBUTTONUP
                                                                  : WM_LBUTTONDBLCLK;
            m.WParam = event->type() == QEvent::MouseButtonRelease ? 0 : MK_LBUTTON;
            m.LParam = PointParam(me->position().toPoint());
            return true;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* ke = static_cast<QKeyEvent*>(event);
            // Held keys repeat their key-down only, as on the platform.
            if (event->type() == QEvent::KeyRelease && ke->isAutoRepeat())
                return false;
            m.Msg = event->type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP;
            m.WParam = VirtualKeyOf(ke->key());
            m.LParam = ke->isAutoRepeat() ? (1 << 30) | 1 : 1;
            return true;
        }
        default:
            return false;
        }
    }

    bool FFocusInOwnPopup = false;
    bool FPointerInside = false;
};

} // namespace

void HookWindowProc(QWidget* control, const void* key, TWndProc proc, bool suppressPaint)
{
    TMessageFilter* filter = TMessageFilter::Find(control);
    if (!filter)
        filter = new TMessageFilter(control);
    for (THook& hook : filter->Hooks)
        if (hook.Key == key) {
            hook.Proc = std::move(proc);
            hook.SuppressPaint = suppressPaint;
            return;
        }
    filter->Hooks.push_back(THook{key, std::move(proc), suppressPaint});
}

void PrepareWindowProc(QWidget* control)
{
    // Event filters run newest first: this one, made first, runs after the others.
    if (!TMessageFilter::Find(control))
        new TMessageFilter(control);
}

void UnhookWindowProc(QWidget* control, const void* key)
{
    TMessageFilter* filter = TMessageFilter::Find(control);
    if (!filter)
        return;
    std::erase_if(filter->Hooks, [key](const THook& h) { return h.Key == key; });
}

bool IsWindowProcHooked(const QWidget* control, const void* key)
{
    const TMessageFilter* filter = TMessageFilter::Find(control);
    if (!filter)
        return false;
    for (const THook& hook : filter->Hooks)
        if (hook.Key == key)
            return true;
    return false;
}

std::intptr_t Perform(QWidget* control, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!control)
        return 0;
    const QPointF pos(static_cast<qint16>(lParam & 0xFFFF), static_cast<qint16>((lParam >> 16) & 0xFFFF));
    switch (msg) {
    case WM_PAINT:
        control->repaint();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: {
        const QEvent::Type type = msg == WM_LBUTTONDOWN ? QEvent::MouseButtonPress
                                  : msg == WM_LBUTTONUP ? QEvent::MouseButtonRelease
                                                        : QEvent::MouseButtonDblClick;
        const Qt::MouseButtons buttons = msg == WM_LBUTTONUP ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, control->mapToGlobal(pos), Qt::LeftButton, buttons, QGuiApplication::keyboardModifiers());
        QApplication::sendEvent(control, &event);
        return 0;
    }
    default:
        break;
    }
    TMessageFilter* filter = TMessageFilter::Find(control);
    TMessage message{msg, wParam, lParam, 0};
    if (filter)
        filter->Dispatch(message);
    return message.Result;
}

std::uintptr_t VirtualKeyOf(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 0x41 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 0x30 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
    }
}

TControlCanvas::TControlCanvas(QWidget* control)
    : TCanvas(control && control->testAttribute(Qt::WA_WState_InPaintEvent) ? static_cast<QPaintDevice*>(control) : nullptr)
    , FControl(control)
{
    if (!control)
        return;
    if (!HandleAllocated())
        control->update();
    Font = TFont::FromQFont(control->font(), FromQColor(control->palette().color(QPalette::WindowText)));
}
