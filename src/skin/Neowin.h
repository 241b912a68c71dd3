// TNeoForm: the skinned frameless base window, its bitmap frame and caption menu buttons.
#pragma once

#include "framework/Buttons.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"

#include <QPointer>

#include <array>

// A window without the window manager's frame that draws its own from bitmaps: a
// 49-pixel caption bar (title, control-box area, minimise/maximise/restore/close
// images, up to twelve caption menu buttons), 10- and 13-pixel side edges and a
// 12-pixel bottom edge. Dragging an edge resizes the window, dragging the title moves
// it. Descendants put their content in the area the frame leaves free.
class TNeoForm : public TForm {
    Q_OBJECT
public:
    static constexpr int kMenuSlots = 12;

    explicit TNeoForm(TComponent* Owner);
    ~TNeoForm() override;

    // ---- Layout
    TPanel* TopPanel;
    TPanel* BottomPanel;
    TImage* LeftImage;
    TImage* RightImage;
    TImage* TopLeftImage;
    TImage* TopCenterImage;
    TImage* TopRightImage;
    TImage* TopImage;
    TLabel* CaptionLabel;
    TImage* ControlBoxImage;
    TImage* MinImage;
    TImage* MaxImage;
    TImage* RestoreImage;
    TImage* CloseImage;
    std::array<TSpeedButton*, kMenuSlots> MenuButtons{}; // MenuButton1 .. MenuButton12
    TImage* BottomLeftImage;
    TImage* BottomCenterImage;
    TImage* BottomRightImage;
    TImage* GetFTopLeftImage;
    TImage* GetFTopCenterImage;
    TImage* GetFTopRightImage;
    TImage* LostFTopLeftImage;
    TImage* LostFTopCenterImage;
    TImage* LostFTopRightImage;
    TTimer* MenuTimer;

    // ---- Frame
    // Whether dragging an edge resizes the window.
    void SetSizeable(bool Value);
    bool Sizeable() const { return FSizeable; }
    // The six edge images get resize cursors (true) or the default arrow (false).
    void UpdateSizeCursors(bool Sizing);
    // The desktop work area: the primary screen's available geometry.
    static TRect GetWorkArea();

    // Refuses sizes below 200 x 60 and cuts larger ones to the work area.
    void FormCanResize(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize);
    void FormCreate(TObject* Sender);
    void FormResize(TObject* Sender);
    void FormShow(TObject* Sender);
    void TopPanelResize(TObject* Sender);
    void BottomPanelResize(TObject* Sender);

    // Edge dragging: every edge image starts and ends a drag alike; each moves its
    // own sides.
    void EdgeImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void EdgeImageMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void LeftImageMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void RightImageMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void TopImageMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void BottomLeftImageMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void BottomCenterImageMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void BottomRightImageMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);

    // Caption dragging and the caption's images.
    void CaptionLabelMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void CaptionLabelMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void CaptionLabelMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void CaptionLabelDblClick(TObject* Sender);
    void MinImageClick(TObject* Sender);
    void MaxImageClick(TObject* Sender);
    void RestoreImageClick(TObject* Sender);
    // Close image click and control-box double-click.
    void CloseImageClick(TObject* Sender);

    // Window-state and activation changes arrive here as WM_SIZE and WM_ACTIVATE.
    virtual void WndProc(TMessage& Message);

    // ---- Caption menu buttons
    // The caption menu button whose Tag is `Index`, or null.
    TSpeedButton* FindMenuButton(int Index) const;
    // Binds slot `Index` (0..11) to `Menu` and shows its button with `Caption`;
    // binding a slot again replaces both.
    void SetMenuButton(int Index, TPopupMenu* Menu, const QString& Caption);
    TPopupMenu* MenuOf(int Index) const;
    // Drops the button's menu below it, or releases the button its menu left down.
    void MenuButtonClick(TObject* Sender);
    // While a menu is in use: switches to the menu of the button under the pointer.
    void MenuTimerTimer(TObject* Sender);

    // ---- State
    bool FSizeable = true;
    std::array<QPointer<TPopupMenu>, kMenuSlots> FMenus{};
    int FOpenMenuIndex = -1;
    int FDownMenuIndex = -1;
    bool FSizing = false;
    int FSizeAnchorX = 0;
    int FSizeAnchorY = 0;
    bool FMoving = false;
    int FMoveOffsetX = 0;
    int FMoveOffsetY = 0;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateFrame();
    // The sides an edge image moves.
    enum Side { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };
    void SizeByEdge(TImage* Image, int Sides);
    // Under Wayland the compositor moves and resizes windows; elsewhere we do.
    static bool SystemDrags();
    void CloseShowingMenu();

    bool FCaptionCopied = false;
};

// Shared by every skinned window: 1 = idle or watching, 2 = a menu switch was started
// and the next caption menu button under the pointer opens its menu.
extern int MenuSwitchState;

// The pointer's position on the screen.
QPoint GetCursorPos();
