// Common controls: status bar, tool bar with tool buttons, report-style list view.
#pragma once

#include "framework/Controls.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QMimeData>
#include <QPointer>
#include <QTreeView>

#include <memory>
#include <vector>

// ---- Status bar

class TStatusBar;

class TStatusPanel {
public:
    explicit TStatusPanel(TStatusBar* bar) : FBar(bar) {}
    QString Text() const { return FText; }
    void SetText(const QString& text);
    int Width() const { return FWidth; }
    void SetWidth(int width);
    int Index() const;

private:
    TStatusBar* FBar;
    QString FText;
    int FWidth = 50;
};

class TStatusPanels {
public:
    explicit TStatusPanels(TStatusBar* bar) : FBar(bar) {}
    int Count() const { return static_cast<int>(FItems.size()); }
    TStatusPanel* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)).get(); }
    TStatusPanel* operator[](int index) const { return Items(index); }
    TStatusPanel* Add();
    void Clear();

private:
    friend class TStatusPanel;
    TStatusBar* FBar;
    std::vector<std::unique_ptr<TStatusPanel>> FItems;
};

class TStatusBar : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent, TComponent* owner = nullptr);

    TStatusPanels* Panels() { return &FPanels; }
    // With AutoHint the long part of the application hint goes to panel 0.
    bool AutoHint() const { return FAutoHint; }
    void SetAutoHint(bool autoHint) { FAutoHint = autoHint; }
    // The area of panel `index`; the last panel reaches the right edge.
    TRect PanelRect(int index) const;
    // The panels' texts that are not empty, in order, separated by a space.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TStatusPanels FPanels;
    bool FAutoHint = false;
};

// ---- Tool bar

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

enum TCustomDrawStateFlag {
    cdsSelected = 1 << 0,
    cdsGrayed = 1 << 1,
    cdsDisabled = 1 << 2,
    cdsChecked = 1 << 3,
    cdsFocused = 1 << 4,
    cdsDefault = 1 << 5,
    cdsHot = 1 << 6,
    cdsMarked = 1 << 7,
    cdsIndeterminate = 1 << 8,
};
using TCustomDrawState = unsigned;

class TToolBar;
class TToolButton;

using TTBCustomDrawBtnEvent =
    TEvent<void(TToolBar* Sender, TToolButton* Button, TCustomDrawState State, bool& DefaultDraw)>;

// A button of a tool bar. The tool bar paints it on its own canvas. The keyboard reaches
// the tool bar through one of its buttons (Tab, or F6 where the form offers it); the
// arrow keys then move between the buttons, and Space or Enter presses the one that
// has the focus. A click leaves the focus where it was.
class TToolButton : public QAbstractButton, public TControl {
    Q_OBJECT
public:
    // Appends the button to `toolBar`'s buttons.
    explicit TToolButton(TToolBar* toolBar, TComponent* owner = nullptr);

    TToolBar* ToolBar() const { return FToolBar; }
    int Index() const;
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle style);
    bool Down() const { return FDown; }
    void SetDown(bool down);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    TMenuItem* MenuItem() const { return FMenuItem; }
    void SetMenuItem(TMenuItem* item) { FMenuItem = item; }
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* menu) { FDropdownMenu = menu; }
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode mode) { FBiDiMode = mode; }
    bool Hot() const { return FHot; }
    // As a click by the user.
    void Click();
    // Whether the keyboard can stop on this button: a shown, enabled button, not a gap.
    bool TakesFocus() const;

    TCustomDrawState DrawState() const;

protected:
    void paintEvent(QPaintEvent*) override {}
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TToolBar* FToolBar;
    int FImageIndex = -1;
    TToolButtonStyle FStyle = tbsButton;
    bool FDown = false;
    bool FHot = false;
    TMenuItem* FMenuItem = nullptr;
    TPopupMenu* FDropdownMenu = nullptr;
    TBiDiMode FBiDiMode = bdLeftToRight;
};

class TToolBar : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TToolBar(QWidget* parent, TComponent* owner = nullptr);

    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    TToolButton* Buttons(int index) const { return FButtons.at(static_cast<std::size_t>(index)); }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* images);
    TImageList* HotImages() const { return FHotImages; }
    void SetHotImages(TImageList* images) { FHotImages = images; }
    TImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TImageList* images) { FDisabledImages = images; }
    int ButtonWidth() const { return FButtonWidth; }
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonSize(int width, int height);
    bool Flat() const { return FFlat; }
    void SetFlat(bool flat);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    bool List() const { return FList; }
    void SetList(bool list) { FList = list; update(); }
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool show) { FShowCaptions = show; update(); }
    // Places buttons and other controls left to right in their order.
    void ArrangeControls();
    // The tool bar's canvas while it paints (custom-draw handlers paint on it); null
    // at other times.
    TCanvas* Canvas() const { return FCanvas; }
    // The button that Tab stops on: the one that had the focus last, else the first that
    // can take it. Null when no button can. Focusing the tool bar focuses this button.
    TToolButton* FocusButton() const;

    TTBCustomDrawBtnEvent OnCustomDrawButton;

protected:
    void paintEvent(QPaintEvent* event) override;
    void childEvent(QChildEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    friend class TToolButton;
    void DefaultDrawButton(TCanvas& canvas, TToolButton* button, TCustomDrawState state);
    // Only the button Tab stops on is in the window's tab chain.
    void UpdateTabStop();
    // The next button after `from` (or before it) that can take the focus, going round.
    TToolButton* NextFocusButton(const TToolButton* from, bool forward) const;

    std::vector<TToolButton*> FButtons;
    QPointer<TToolButton> FLastFocus;
    TCanvas* FCanvas = nullptr;
    QPointer<TImageList> FImages;
    QPointer<TImageList> FHotImages;
    QPointer<TImageList> FDisabledImages;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    bool FFlat = false;
    bool FTransparent = false;
    bool FList = false;
    bool FShowCaptions = false;
};

// ---- Up-down control

// Two arrow buttons, up over down; a click steps Position by Increment within Min and
// Max, then runs OnClick.
class TUpDown : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent, TComponent* owner = nullptr);

    int Min() const { return FMin; }
    int Max() const { return FMax; }
    void SetRange(int min, int max);
    int Position() const { return FPosition; }
    void SetPosition(int position);
    int Increment() const { return FIncrement; }
    void SetIncrement(int increment) { FIncrement = increment; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FIncrement = 1;
    int FPressed = 0; // 1 up, -1 down
};

// ---- List view (report style)

class TCustomListView;
class TListItem;

class TListColumn {
public:
    TListColumn(TCustomListView* view, int index) : FView(view), FIndex(index) {}
    QString Caption() const;
    void SetCaption(const QString& caption);
    int Width() const;
    void SetWidth(int width);
    int Index() const { return FIndex; }

private:
    TCustomListView* FView;
    int FIndex;
};

class TListColumns {
public:
    explicit TListColumns(TCustomListView* view) : FView(view) {}
    int Count() const { return static_cast<int>(FItems.size()); }
    TListColumn* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)).get(); }
    TListColumn* operator[](int index) const { return Items(index); }
    TListColumn* Add();

private:
    friend class TListColumn;
    friend class TListViewModel;
    TCustomListView* FView;
    std::vector<std::unique_ptr<TListColumn>> FItems;
    QStringList FCaptions;
    std::vector<int> FWidths;
};

class TSubItems {
public:
    explicit TSubItems(TListItem* item) : FItem(item) {}
    int Count() const { return static_cast<int>(FList.size()); }
    QString Strings(int index) const { return FList.value(index); }
    QString operator[](int index) const { return Strings(index); }
    void Add(const QString& text);
    void SetStrings(int index, const QString& text);
    void Clear();

private:
    TListItem* FItem;
    QStringList FList;
};

class TListItem {
public:
    explicit TListItem(TCustomListView* view) : FView(view), FSubItems(this) {}
    TCustomListView* ListView() const { return FView; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    TSubItems* SubItems() { return &FSubItems; }
    const TSubItems* SubItems() const { return &FSubItems; }
    // Position in the list; -1 once removed.
    int Index() const;
    bool Selected() const;
    void SetSelected(bool selected);
    void* Data = nullptr;

private:
    friend class TSubItems;
    friend class TListItems;
    void Changed();

    TCustomListView* FView;
    QString FCaption;
    int FImageIndex = -1;
    TSubItems FSubItems;
    int FIndex = -1;
};

class TListItems {
public:
    explicit TListItems(TCustomListView* view) : FView(view) {}
    int Count() const { return static_cast<int>(FItems.size()); }
    TListItem* Item(int index) const { return FItems.at(static_cast<std::size_t>(index)).get(); }
    TListItem* operator[](int index) const { return Item(index); }
    TListItem* Add();
    void Delete(int index);
    void Clear();
    // Batches changes: the view is told once, at the matching EndUpdate.
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TCustomListView;
    friend class TListItem;
    friend class TListViewModel;
    void Renumber(int from);

    TCustomListView* FView;
    std::vector<std::unique_ptr<TListItem>> FItems;
    int FUpdateCount = 0;
    bool FResetPending = false;
};

using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVCompareEvent = std::function<int(TListItem* Item1, TListItem* Item2)>;
// The data a row dragged out of the list carries to other programs; null: no drag.
using TLVDragOutEvent = std::function<QMimeData*(TListItem* Item)>;

class TListViewModel;

// A report-style list over a flat model: uniform rows, no widget per row.
class TCustomListView : public QTreeView, public TControl {
    Q_OBJECT
public:
    explicit TCustomListView(QWidget* parent, TComponent* owner = nullptr);
    ~TCustomListView() override;

    TListColumns* Columns() { return &FColumns; }
    TListItems* Items() { return &FItems; }
    TImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TImageList* images);
    bool GridLines() const { return FGridLines; }
    void SetGridLines(bool on);
    // The first selected item, or null.
    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    int ItemIndex() const;
    void SetItemIndex(int index);
    int SelCount() const;
    // Stable sort of the rows by `compare` (negative: Item1 first).
    void CustomSort(const TLVCompareEvent& compare);
    void Clear() { FItems.Clear(); }
    // Makes row `index` visible.
    void MakeVisible(int index);

    TLVSelectItemEvent OnSelectItem;
    // When assigned, a row can be dragged out of the list (as a copy).
    TLVDragOutEvent OnDragOut;

    TListViewModel* Model() const { return FModel; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
    friend class TListColumns;
    friend class TSubItems;

    TListViewModel* FModel;
    // The row under the left button's press and where it was pressed; -1: none.
    int FDragRow = -1;
    QPoint FDragStart;
    TListColumns FColumns;
    TListItems FItems;
    QPointer<TImageList> FSmallImages;
    bool FGridLines = false;
};

class TListView : public TCustomListView {
    Q_OBJECT
public:
    explicit TListView(QWidget* parent, TComponent* owner = nullptr) : TCustomListView(parent, owner) {}
};
