// TControlSubClass: the message hook that repaints one control flat for a TXPMenu.
#pragma once

#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Messages.h"

#include <QObject>
#include <QPointer>

#include <cstdint>

class TXPMenu;

class TControlSubClass : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TControlSubClass(TComponent* AOwner);
    // Gives the control back when it is still attached.
    ~TControlSubClass() override;

    // Replaces the control's message handling: the control's own handling runs
    // first, then ControlSubClass. Returns false when the control already runs a
    // subclass procedure.
    bool Attach(TControl* control, TXPMenu* menu);
    // The hook: state tracking and painting (and giving the control back once the
    // component is inactive).
    void ControlSubClass(TMessage& Message);
    // Computes HasFocus and calls the painter of the control's kind.
    void PaintControlXP();

    // Painters, each painting TargetControl on a fresh control canvas.
    void PaintCombo();
    void PaintEdit();
    void PaintRichEdit();
    void PaintCheckBox();
    void PaintRadio();
    void PaintButton();
    void PaintBitButn();
    void PaintSpeedButton();
    void PaintUpDownButton();
    void PaintGroupBox();
    void PaintPanel();

    // True when `control` runs a subclass procedure of any TControlSubClass.
    static bool IsSubclassed(const QWidget* control);
    // The subclass object attached to `control`, or null.
    static TControlSubClass* Of(const QWidget* control);

    // Fields.
    QPointer<QWidget> TargetWidget;
    TControl* TargetControl = nullptr;
    // The control's own handling is kept by the framework's hook chain; this records
    // whether the hook is installed.
    bool SavedWindowProc = false;
    TXPMenu* MenuComponent = nullptr;
    bool SavedCtl3D = true;
    TFormBorderStyle SavedBorderStyle = bsSingle;
    // Rich edits: BorderWidth when attached (the flat frame widens it to make room).
    int SavedBorderWidth = 0;
    bool Recreating = false;
    bool Hot = false;
    bool LeftButtonDown = false;
    bool SpacePressed = false;
    bool SpaceRepeat = false;
    bool HasFocus = false;
    std::uint32_t LastMessage = 0;
    // How often PaintControlXP ran (the state machine paints once per change).
    int PaintCount = 0;

private:
    // Removes the hook and restores Ctl3D and BorderStyle; repaints the control.
    void GiveBack();
    // Detaches without touching the control (its window is going away).
    void Detach();
};
