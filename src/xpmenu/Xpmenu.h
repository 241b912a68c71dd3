// TXPMenu: the component that gives a form's menus, tool bars and controls a flat look.
#pragma once

#include "framework/Classes.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <cstdint>

class TControlSubClass;

// Containers whose children are subclassed; bit n of TXPContainers is member n.
enum TXPContainer : unsigned {
    xccForm,
    xccFrame,
    xccToolbar,
    xccCoolbar,
    xccControlbar,
    xccPanel,
    xccScrollBox,
    xccGroupBox,
    xccTabSheet,
    xccPageScroller,
};
// Kinds of menus, bars and controls handled; bit n of TXPControls is member n.
enum TXPControl : unsigned {
    xcMainMenu,
    xcPopupMenu,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcEdit,
    xcMaskEdit,
    xcMemo,
    xcRichEdit,
    xcCheckBox,
    xcRadioButton,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcPanel,
    xcGroupBox,
};

// A 16-bit set of one of the enumerations above.
template <typename E>
class TXPSet {
public:
    constexpr TXPSet() = default;
    constexpr TXPSet(std::initializer_list<E> members)
    {
        for (E m : members)
            FBits = static_cast<std::uint16_t>(FBits | (1u << m));
    }
    static constexpr TXPSet FromBits(std::uint16_t bits) { TXPSet s; s.FBits = bits; return s; }
    constexpr std::uint16_t Bits() const { return FBits; }
    constexpr bool Contains(E m) const { return (FBits >> m) & 1u; }
    constexpr TXPSet With(E m) const { return FromBits(static_cast<std::uint16_t>(FBits | (1u << m))); }
    constexpr TXPSet Without(E m) const { return FromBits(static_cast<std::uint16_t>(FBits & ~(1u << m))); }
    constexpr bool operator==(const TXPSet&) const = default;

private:
    std::uint16_t FBits = 0;
};
using TXPContainers = TXPSet<TXPContainer>;
using TXPControls = TXPSet<TXPControl>;

inline constexpr TXPContainers kAllXPContainers = TXPContainers::FromBits(0x03FF);
inline constexpr TXPControls kAllXPControls = TXPControls::FromBits(0xFFFF);

// A Tag of this value keeps a menu, item, control or a control's children out.
inline constexpr std::intptr_t OptOutTag = 999;

// Loads the desktop's menu font into `Font` (colour clMenuText).
void GetSystemMenuFont(TFont& Font);

class TXPMenu;
// The component every form of the program holds, `XPMenu1`, created as the last
// component of `Form` with the values the forms give it; `Gradient` only on the main
// window. Active is left to the caller, which assigns it last.
TXPMenu* CreateXPMenu1(TScrollingWinControl* Form, bool Gradient);

class TXPMenu : public QObject, public TComponent {
    Q_OBJECT
public:
    // The owner must be a scrolling window control (a form); anything else throws
    // EInvalidCast.
    explicit TXPMenu(TComponent* AOwner);
    ~TXPMenu() override;

    void Notification(TComponent* AComponent, TOperation Operation) override;

    // ---- Properties (published ones in streaming order, Active last)
    int DimLevel() const { return FDimLevel; }
    void SetDimLevel(int value) { FDimLevel = static_cast<std::uint8_t>(value); }
    int GrayLevel() const { return FGrayLevel; }
    void SetGrayLevel(int value) { FGrayLevel = static_cast<std::uint8_t>(value); }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& font);
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }
    TColor IconBackColor() const { return FIconBackColor; }
    void SetIconBackColor(TColor value) { FIconBackColor = value; }
    TColor MenuBarColor() const { return FMenuBarColor; }
    void SetMenuBarColor(TColor value);
    TColor SelectColor() const { return FSelectColor; }
    void SetSelectColor(TColor value) { FSelectColor = value; }
    TColor SelectBorderColor() const { return FSelectBorderColor; }
    void SetSelectBorderColor(TColor value) { FSelectBorderColor = value; }
    TColor SelectFontColor() const { return FSelectFontColor; }
    void SetSelectFontColor(TColor value) { FSelectFontColor = value; }
    TColor DisabledColor() const { return FDisabledColor; }
    void SetDisabledColor(TColor value) { FDisabledColor = value; }
    TColor SeparatorColor() const { return FSeparatorColor; }
    void SetSeparatorColor(TColor value) { FSeparatorColor = value; }
    TColor CheckedColor() const { return FCheckedColor; }
    void SetCheckedColor(TColor value) { FCheckedColor = value; }
    int IconWidth() const { return FIconWidth; }
    void SetIconWidth(int value) { FIconWidth = value; }
    bool DrawSelect() const { return FDrawSelect; }
    void SetDrawSelect(bool value) { FDrawSelect = value; }
    bool UseSystemColors() const { return FUseSystemColors; }
    void SetUseSystemColors(bool value);
    bool OverrideOwnerDraw() const { return FOverrideOwnerDraw; }
    void SetOverrideOwnerDraw(bool value);
    bool Gradient() const { return FGradient; }
    void SetGradient(bool value) { FGradient = value; }
    bool FlatMenu() const { return FFlatMenu; }
    void SetFlatMenu(bool value) { FFlatMenu = value; }
    bool AutoDetect() const { return FAutoDetect; }
    void SetAutoDetect(bool value) { FAutoDetect = value; }
    TXPContainers XPContainers() const { return FXPContainers; }
    void SetXPContainers(TXPContainers value);
    TXPControls XPControls() const { return FXPControls; }
    void SetXPControls(TXPControls value);
    bool Active() const { return FActive; }
    void SetActive(bool value);

    // Public: the form whose components are handled (not owned).
    TScrollingWinControl* Form() const { return FForm; }
    void SetForm(TScrollingWinControl* value);

    // ---- Operations
    // Installs (Enable) or removes the hooks on the components owned by Container;
    // with Update every handled bar and control is invalidated.
    void InitItems(TControl* Container, bool Enable, bool Update);
    // Hooks an item, its siblings and everything below them.
    void ActivateMenuItem(TMenuItem* MenuItem);

    // ---- Working palette (Part of every paint: SetGlobalColor fills it)
    void SetGlobalColor(TCanvas* ACanvas);

    // ---- Menu items
    void MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    void DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected);
    void MenueDrawItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected);
    QSize GetImageExtent(TMenuItem* MenuItem);
    void DrawCheckedItem(TMenuItem* MenuItem, bool Selected, bool Enabled, bool HasGlyph, TCanvas* ACanvas,
                         TRect CheckedRect);
    void DrawGradient(TCanvas* ACanvas, TRect ARect, bool IsRightToLeft);
    // The flat frame of a popup menu window, painted on ACanvas, which paints on hWnd
    // itself (the whole widget, not only the item being drawn); null hWnd: nothing.
    void DrawWindowBorder(TCanvas* ACanvas, QWidget* hWnd, bool IsRightToLeft);

    // ---- Tool bars and control bars
    void ToolBarDrawButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState State, bool& DefaultDraw);
    void ControlBarPaint(TObject* Sender, TControl* Control, TCanvas* Canvas, TRect& ARect,
                         TBandPaintOptions& Options);

    // ---- Glyph, caption and highlight painters
    void DrawIcon(TObject* Sender, TCanvas* ACanvas, TBitmap* B, TRect IconRect, bool Hot, bool Pressed,
                  bool Enabled, bool Checked, bool TopMenu, bool IsRightToLeft);
    void DrawTheText(TObject* Sender, const QString& Text, const QString& ShortCutText, TCanvas* ACanvas,
                     TRect TextRect, bool Selected, bool Enabled, bool Default, bool TopMenu, bool IsRightToLeft,
                     const TFont& TxtFont, unsigned TextFormat);
    void DrawTopMenuItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, TColor BckColor, bool IsRightToLeft);
    TColor TopMenuFontColor(TCanvas* ACanvas, TColor AColor);

    // The subclass objects this component created and still owns.
    int SubClassCount() const;

private:
    friend class TControlSubClass;
    void HookMenuItem(TMenuItem* item, bool Enable, bool Activating);
    void HookMenuTree(TMenuItem* item, bool Enable, bool Activating);
    void RedrawMenuBar();
    template <typename Set>
    void ChangeSet(Set& field, Set value);

    // Fields in their declaration order.
    bool FActive = false;
    QPointer<TScrollingWinControl> FForm;
    TFont FFont;
    TColor FColor = clBtnFace;
    TColor FIconBackColor = clBtnFace;
    TColor FMenuBarColor = clBtnFace;
    TColor FCheckedColor = clHighlight;
    TColor FSeparatorColor = clBtnFace;
    TColor FSelectBorderColor = clHighlight;
    TColor FSelectColor = clHighlight;
    TColor FDisabledColor = clInactiveCaption;
    TColor FSelectFontColor = clMenuText;
    int FIconWidth = 24;
    bool FDrawSelect = true;
    bool FUseSystemColors = true;
public:
    // The working palette, read by the painters right after SetGlobalColor.
    TColor PaintColor = clBtnFace;
    TColor PaintIconBackColor = clBtnFace;
    TColor PaintSelectColor = clHighlight;
    TColor PaintSelectBorderColor = clHighlight;
    TColor PaintSelectFontColor = clMenuText;
    TColor PaintCheckBackColor = clWhite;
    TColor PaintCheckSelBackColor = clSilver;
    TColor PaintCheckedColor = clHighlight;
    TColor PaintMenuBarColor = clBtnFace;
    TColor PaintDisabledColor = clInactiveCaption;
    TColor PaintSeparatorColor = clBtnFace;
    TColor PaintFrameColor = clBtnShadow;
    TColor PaintShadowColor = clBtnShadow;
    bool HighColorDisplay = true;

private:
    bool FOverrideOwnerDraw = false;
    bool FGradient = false;
    bool FFlatMenu = false;
    bool FAutoDetect = false;
    TXPContainers FXPContainers = kAllXPContainers;
    TXPControls FXPControls = kAllXPControls;
    std::uint8_t FGrayLevel = 10;
    std::uint8_t FDimLevel = 30;
};
