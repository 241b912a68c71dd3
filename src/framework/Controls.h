// Controls: the widget side of a component (alignment, bounds, hints, colour, font,
// popup menu) and the alignment of controls inside their parent.
#pragma once

#include "framework/Classes.h"
#include "framework/Graphics.h"

#include <QPointer>
#include <QWidget>

class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
// The border of a form, and of the controls that draw their own (list and edit boxes).
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// "short|long": the tool tip is the part before the bar, the status text the part after
// (the whole hint when there is no bar).
QString GetShortHint(const QString& hint);
QString GetLongHint(const QString& hint);

// GetSystemMetrics indices in use.
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CXHTHUMB = 10;
// The platform's measures (16 for the scroll bar and its thumb), never a Qt style's.
int GetSystemMetrics(int index);

class TControl : public TComponent {
public:
    TControl(QWidget* self, TComponent* owner);
    // Sends WM_DESTROY to the control's message hooks while the widget still exists.
    ~TControl() override;

    QWidget* Widget() const { return FWidget; }
    QWidget* Parent() const { return FWidget->parentWidget(); }
    void SetParent(QWidget* parent);

    TAlign Align() const;
    void SetAlign(TAlign align);

    // Bounds in the parent's client coordinates; the aligner adjusts aligned controls.
    int Left() const { return FWidget->x(); }
    int Top() const { return FWidget->y(); }
    int Width() const { return FWidget->width(); }
    int Height() const { return FWidget->height(); }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    TRect BoundsRect() const { return TRect(FWidget->geometry()); }
    TRect ClientRect() const { return TRect(FWidget->rect()); }

    bool Visible() const { return !FWidget->isHidden(); }
    void SetVisible(bool visible);
    bool Enabled() const { return FWidget->isEnabled(); }
    void SetEnabled(bool enabled) { FWidget->setEnabled(enabled); }
    // Has the keyboard focus, or the list it drops down has it.
    bool Focused() const;

    QString Hint() const;
    void SetHint(const QString& hint);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool show);

    // With ParentColor the control takes its parent's colour, now and whenever the
    // parent's colour changes; assigning a colour ends that.
    TColor Color() const;
    void SetColor(TColor color);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    TFont Font() const;
    void SetFont(const TFont& font);
    void SetFont(const QString& name, int height);

    TPopupMenu* PopupMenu() const { return FPopupGuard ? FPopupMenu : nullptr; }
    void SetPopupMenu(TPopupMenu* menu);
    // Opens the popup menu as Shift+F10 or the Menu key do; false without one.
    bool PopupFromKeyboard();

    // Windowless controls of the platform (labels, images, speed buttons) answer true.
    virtual bool IsGraphicControl() const { return false; }

    void Invalidate() { FWidget->update(); }
    void Repaint() { FWidget->repaint(); }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    // Mouse events in client coordinates; OnMouseMove also sees moves without a
    // pressed button.
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;

    // The control behind a widget, if the widget is one.
    static TControl* Of(QWidget* widget);

private:
    void UpdateToolTip();

    QWidget* FWidget;
    void ApplyColor(TColor color);

    TColor FColor = clBtnFace;
    bool FParentColor = false;
    bool FOwnFontColor = false; // the font's colour was given, not inherited
    bool FShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    QMetaObject::Connection FPopupConnection;
    QPointer<QObject> FPopupGuard;
};

// Lays out the aligned children of `container`: tops, bottoms, lefts, rights, then the
// client control in what is left. Controls of one alignment keep their current order
// along the edge (ties in creation order, the first one outermost).
void AlignControls(QWidget* container);
