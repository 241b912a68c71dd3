// Menus: items with captions, images, shortcuts and check marks, main and popup menus,
// shown through Qt menus, owner-drawn through OnMeasureItem / OnDrawItem.
#pragma once

#include "framework/Classes.h"
#include "framework/Graphics.h"

#include <QKeySequence>
#include <QMenu>
#include <QPointer>

#include <vector>

#include "framework/ImgList.h"
class TMenu;
class QAction;

using TShortCut = QKeySequence;
// ShortCut(Qt::Key_S, Qt::ControlModifier).
TShortCut ShortCut(int key, Qt::KeyboardModifiers modifiers);
// "Ctrl+S", empty for none.
QString ShortCutToText(const TShortCut& shortCut);

using TMenuMeasureItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;

class TMenuItem : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TMenuItem(TComponent* owner = nullptr);
    ~TMenuItem() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    bool IsLine() const { return FCaption == QLatin1String("-"); }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index) { FImageIndex = index; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(const TShortCut& shortCut);
    bool Checked() const { return FChecked; }
    void SetChecked(bool checked);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool radio);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index) { FGroupIndex = index; }
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    QString Hint() const { return FHint; }
    void SetHint(const QString& hint) { FHint = hint; }
    TImageList* SubMenuImages() const { return FSubMenuImages; }
    void SetSubMenuImages(TImageList* images) { FSubMenuImages = images; }
    TBitmap* Bitmap() { return &FBitmap; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int IndexOf(const TMenuItem* item) const;
    int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
    void Clear();
    TMenuItem* Parent() const { return FParent; }
    // The menu whose item tree holds this item.
    TMenu* GetParentMenu() const;
    // Depth-first search for an item with this shortcut.
    TMenuItem* FindByShortCut(const TShortCut& shortCut);

    // Runs OnClick when the item is enabled.
    void Click();

    // The Qt action that shows this item, and the Qt menu that shows its sub-items.
    QAction* Action() const { return FAction; }
    QMenu* SubMenu();

    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;

private:
    friend class TMenu;
    friend class TPopupMenu;
    friend class TMenuWidget;
    void SyncAction();
    void RebuildSubMenu();

    QString FCaption;
    int FImageIndex = -1;
    TShortCut FShortCut;
    bool FChecked = false;
    bool FRadioItem = false;
    int FGroupIndex = 0;
    bool FDefault = false;
    bool FEnabled = true;
    bool FVisible = true;
    QString FHint;
    QPointer<TImageList> FSubMenuImages;
    TBitmap FBitmap;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on a menu's root item only
    std::vector<TMenuItem*> FItems;
    QAction* FAction;
    QMenu* FSubMenu = nullptr;
};

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

class TMenu : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    TMenuItem* Items() const { return FItems; }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* images) { FImages = images; }
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool ownerDraw);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode mode) { FBiDiMode = mode; }
    bool IsRightToLeft() const { return FBiDiMode != bdLeftToRight; }

    // Finds the item with this shortcut; runs it when it is enabled. True when an item
    // has the shortcut, enabled or not.
    bool IsShortCut(const TShortCut& shortCut);

private:
    TMenuItem* FItems;
    QPointer<TImageList> FImages;
    bool FOwnerDraw = false;
    TBiDiMode FBiDiMode = bdLeftToRight;
};

// A form's menu bar menu. The window shows a bar only for visible top-level items; the
// shortcuts of all items are in force either way.
class TMainMenu : public TMenu {
    Q_OBJECT
public:
    explicit TMainMenu(TComponent* owner);
};

class TPopupMenu : public TMenu {
    Q_OBJECT
public:
    explicit TPopupMenu(TComponent* owner);

    // Shows the menu at a global position without waiting for it to close.
    void Popup(int x, int y) { Popup(QPoint(x, y)); }
    void Popup(const QPoint& globalPos);
    // Shows the menu and returns when it has closed, as the platform's menu does;
    // timers keep running meanwhile. Returns the chosen item, or null. As the
    // platform posts a menu's command, the item's OnClick runs later from the event
    // loop, after the caller has finished with the closed menu.
    TMenuItem* PopupModal(const QPoint& globalPos);
    // Closes the menu when it is open.
    void CloseMenu();
    QMenu* MenuWidget() { return FItems()->SubMenu(); }
    bool IsOpen();

    QWidget* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(QWidget* widget) { FPopupComponent = widget; }
    bool AutoPopup = true;

    TNotifyEvent OnPopup;

private:
    friend class TMenuItem;
    TMenuItem* FItems() const { return Items(); }
    QPointer<QWidget> FPopupComponent;
    // While shown by PopupModal: the item chosen, whose click waits for the menu's end.
    bool FModal = false;
    QPointer<TMenuItem> FChosen;
};

// The Qt menu that shows a TMenuItem's sub-items; owner-drawn items measure and paint
// through their item's events.
class TMenuWidget : public QMenu {
    Q_OBJECT
public:
    explicit TMenuWidget(TMenuItem* item);
    TMenuItem* Item() const { return FItem; }
    // The item that the style is measuring or painting right now.
    TMenuItem* StyledItem() const { return FStyledItem; }
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;
    // The next show puts the menu's top-left corner at `globalPos`, opening it upward
    // and leftward from there where it would leave the screen.
    void SetAnchor(const QPoint& globalPos) { FAnchor = globalPos; FAnchored = true; }
    // The platform's place for a menu of `size` at `anchor` on a screen of `screen`.
    static QPoint PlaceAt(const QPoint& anchor, const QSize& size, const QRect& screen);

protected:
    void showEvent(QShowEvent* event) override;

private:
    TMenuItem* FItem;
    mutable TMenuItem* FStyledItem = nullptr;
    QPoint FAnchor;
    bool FAnchored = false;
};

TMenuItem* MenuItemOf(const QAction* action);
