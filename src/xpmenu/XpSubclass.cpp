// TControlSubClass: attaching to a control, message handling and giving it back.
#include "xpmenu/XpSubclass.h"

#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "xpmenu/Xpmenu.h"

namespace {

// One key for every subclass object: a control runs at most one subclass procedure.
const char kSubclassKey = 0;

} // namespace

TControlSubClass::TControlSubClass(TComponent* AOwner)
    : QObject(AOwner ? AOwner->AsObject() : nullptr)
    , TComponent(this, AOwner)
{
}

TControlSubClass::~TControlSubClass()
{
    if (TargetControl)
        GiveBack();
}

bool TControlSubClass::IsSubclassed(const QWidget* control)
{
    return control && IsWindowProcHooked(control, &kSubclassKey);
}

TControlSubClass* TControlSubClass::Of(const QWidget* control)
{
    if (!control)
        return nullptr;
    const QVariant v = control->property("gwSubclass");
    auto* object = qobject_cast<TControlSubClass*>(v.value<QObject*>());
    return object && object->TargetWidget == control ? object : nullptr;
}

bool TControlSubClass::Attach(TControl* control, TXPMenu* menu)
{
    if (!control || IsSubclassed(control->Widget()))
        return false;
    TargetControl = control;
    TargetWidget = control->Widget();
    MenuComponent = menu;
    if (auto* edit = dynamic_cast<TCustomEdit*>(control)) {
        SavedCtl3D = edit->Ctl3D();
        SavedBorderStyle = edit->BorderStyle();
        SavedBorderWidth = edit->BorderWidth();
    }
    // A windowless control is painted by the hook alone.
    HookWindowProc(TargetWidget, &kSubclassKey, [this](TMessage& m) { ControlSubClass(m); },
                   control->IsGraphicControl());
    TargetWidget->setProperty("gwSubclass", QVariant::fromValue(static_cast<QObject*>(this)));
    SavedWindowProc = true;
    return true;
}

void TControlSubClass::Detach()
{
    if (TargetWidget) {
        UnhookWindowProc(TargetWidget, &kSubclassKey);
        TargetWidget->setProperty("gwSubclass", QVariant());
    }
    SavedWindowProc = false;
    TargetControl = nullptr;
    TargetWidget = nullptr;
}

void TControlSubClass::GiveBack()
{
    try {
        if (TargetControl && TargetWidget) {
            TControl* control = TargetControl;
            QWidget* widget = TargetWidget;
            const bool graphic = control->IsGraphicControl();
            // Unhooked first: restoring the edge sends the control messages of its own.
            Detach();
            if (auto* edit = dynamic_cast<TCustomEdit*>(control))
                edit->SetCtl3D(SavedCtl3D);
            if (auto* rich = dynamic_cast<TCustomRichEdit*>(control)) {
                rich->SetBorderStyle(SavedBorderStyle);
                rich->SetBorderWidth(SavedBorderWidth);
            }
            // The control's own look returns at its next paint; a windowless control
            // is repainted now, unless this is its paint (then it comes next).
            if (graphic && !widget->testAttribute(Qt::WA_WState_InPaintEvent))
                widget->repaint();
            else
                widget->update();
        }
    } catch (...) {
        // Restoring the edge runs the control's own handlers; when one fails the control
        // keeps its flat edge, and the subclass is removed all the same.
    }
    Detach();
}

void TControlSubClass::ControlSubClass(TMessage& Message)
{
    // The control's own handling has run already (or was skipped for the paint of a
    // windowless control, which the framework answers with result 1).
    if (!MenuComponent || !MenuComponent->Active()) {
        Message.Result = 1;
        GiveBack();
        delete this;
        return;
    }
    LastMessage = Message.Msg;
    auto paintOrRepaint = [this] {
        if (TargetControl->IsGraphicControl())
            TargetWidget->repaint();
        else
            PaintControlXP();
    };
    switch (Message.Msg) {
    case WM_DESTROY:
        if (!Recreating) {
            Detach();
            delete this;
        }
        return;
    case WM_SETFOCUS:
        Hot = true;
        PaintControlXP();
        break;
    case WM_KILLFOCUS:
        Hot = false;
        // A key held while the focus leaves is released elsewhere: forget it here.
        SpacePressed = false;
        SpaceRepeat = false;
        PaintControlXP();
        break;
    case WM_PAINT:
        Recreating = false;
        PaintControlXP();
        break;
    case EM_GETMODIFY:
        Recreating = true;
        break;
    case BM_GETCHECK:
    case BM_SETCHECK:
        Hot = false;
        PaintControlXP();
        break;
    case BM_SETSTATE:
        PaintControlXP();
        break;
    case WM_KEYDOWN:
        if (Message.WParam == VK_SPACE) {
            SpacePressed = true;
            if (!SpaceRepeat)
                PaintControlXP();
            SpaceRepeat = true;
        }
        break;
    case WM_KEYUP:
        if (Message.WParam == VK_SPACE) {
            SpacePressed = false;
            SpaceRepeat = false;
            PaintControlXP();
        }
        break;
    case WM_LBUTTONDOWN:
        LeftButtonDown = true;
        PaintControlXP();
        break;
    case WM_LBUTTONUP:
        LeftButtonDown = false;
        paintOrRepaint();
        break;
    case WM_LBUTTONDBLCLK:
        // Qt already delivers the second press of a double click as a press of its
        // own: sending another would count the click three times.
        break;
    case CM_FOCUSCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_TEXTCHANGED:
        PaintControlXP();
        break;
    case CM_ENABLEDCHANGED:
        // A control disabled under the pointer gets no leave notice: it is not hot.
        if (!TargetControl->Enabled())
            Hot = false;
        PaintControlXP();
        break;
    case CM_CTL3DCHANGED:
    case CM_PARENTCTL3DCHANGED:
    case CM_INVALIDATE:
        Recreating = true;
        break;
    case CM_MOUSEENTER:
        if (TargetControl->Enabled()) {
            Hot = true;
            paintOrRepaint();
        }
        break;
    case CM_MOUSELEAVE:
        if (TargetControl->Enabled()) {
            Hot = false;
            paintOrRepaint();
        }
        break;
    case CM_EXIT:
        Hot = false;
        PaintControlXP();
        break;
    default:
        break;
    }
}

void TControlSubClass::PaintControlXP()
{
    if (!TargetControl || !TargetWidget)
        return;
    ++PaintCount;
    HasFocus = !TargetControl->IsGraphicControl() && TargetControl->Focused();
    QObject* c = TargetWidget;
    if (InheritsFrom(c, "TCustomCombo"))
        PaintCombo();
    if (InheritsFrom(c, "TCustomRichEdit"))
        PaintRichEdit();
    else if (InheritsFrom(c, "TCustomEdit"))
        PaintEdit();
    if (InheritsFrom(c, "TCustomCheckBox"))
        PaintCheckBox();
    if (InheritsFrom(c, "TRadioButton"))
        PaintRadio();
    if (InheritsFrom(c, "TBitBtn"))
        PaintBitButn();
    else if (InheritsFrom(c, "TButton"))
        PaintButton();
    if (InheritsFrom(c, "TUpDown"))
        PaintUpDownButton();
    if (InheritsFrom(c, "TSpeedButton") && TargetControl->Visible())
        PaintSpeedButton();
    if (InheritsFrom(c, "TCustomPanel"))
        PaintPanel();
    if (InheritsFrom(c, "TCustomGroupBox"))
        PaintGroupBox();
}
