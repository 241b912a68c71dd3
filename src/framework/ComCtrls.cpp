// Status bar, tool bar and the report-style list view.
#include "framework/ComCtrls.h"
#include "framework/PlainStyle.h"

#include "framework/Forms.h"
#include "framework/Messages.h"

#include <QApplication>
#include <QChildEvent>
#include <QDrag>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {
TComponent* OwnerOr(TComponent* owner, QWidget* parent)
{
    return owner ? owner : DefaultOwnerFor(parent);
}
} // namespace

// ---- Status bar

void TStatusPanel::SetText(const QString& text)
{
    if (text == FText)
        return;
    FText = text;
    FBar->update();
}

void TStatusPanel::SetWidth(int width)
{
    FWidth = width;
    FBar->update();
}

int TStatusPanel::Index() const
{
    const auto& items = FBar->Panels()->FItems;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].get() == this)
            return static_cast<int>(i);
    return -1;
}

TStatusPanel* TStatusPanels::Add()
{
    FItems.push_back(std::make_unique<TStatusPanel>(FBar));
    FBar->update();
    return FItems.back().get();
}

void TStatusPanels::Clear()
{
    FItems.clear();
    FBar->update();
}

TStatusBar::TStatusBar(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, OwnerOr(owner, parent))
    , FPanels(this)
{
    resize(100, 19);
    SetColor(clBtnFace);
    connect(Application, &TApplication::HintChanged, this, [this](const QString& hint) {
        if (FAutoHint && FPanels.Count() > 0)
            FPanels.Items(0)->SetText(hint);
    });
}

TRect TStatusBar::PanelRect(int index) const
{
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += FPanels.Items(i)->Width();
    const int right = index == FPanels.Count() - 1 ? width() : left + FPanels.Items(index)->Width();
    return TRect(left, 0, right, height());
}

void TStatusBar::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    canvas.Font = Font();
    for (int i = 0; i < FPanels.Count(); ++i) {
        TRect r = PanelRect(i);
        r.Right -= 2;
        Frame3D(&canvas, r, clBtnShadow, clBtnHighlight, 1);
        canvas.Brush.Style = bsClear;
        TRect text(r.Left + 2, r.Top, r.Right - 1, r.Bottom);
        canvas.DrawText(FPanels.Items(i)->Text(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

// ---- Tool button

TToolButton::TToolButton(TToolBar* toolBar, TComponent* owner)
    : QAbstractButton(toolBar)
    , TControl(this, OwnerOr(owner, toolBar))
    , FToolBar(toolBar)
{
    setFocusPolicy(Qt::NoFocus);
    toolBar->FButtons.push_back(this);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (FStyle == tbsCheck)
            SetDown(!FDown);
        SafeCall([this] {
            if (FMenuItem)
                FMenuItem->Click();
            Fire(OnClick, this);
        });
    });
    connect(this, &QAbstractButton::pressed, this, [this] { FToolBar->update(geometry()); });
    connect(this, &QAbstractButton::released, this, [this] { FToolBar->update(geometry()); });
    toolBar->ArrangeControls();
}

int TToolButton::Index() const
{
    const auto& buttons = FToolBar->FButtons;
    const auto it = std::find(buttons.begin(), buttons.end(), this);
    return it == buttons.end() ? -1 : static_cast<int>(it - buttons.begin());
}

void TToolButton::SetImageIndex(int index)
{
    FImageIndex = index;
    FToolBar->update(geometry());
}

void TToolButton::SetStyle(TToolButtonStyle style)
{
    FStyle = style;
    FToolBar->ArrangeControls();
    FToolBar->update();
}

void TToolButton::SetDown(bool down)
{
    FDown = down;
    FToolBar->update(geometry());
}

void TToolButton::SetCaption(const QString& caption)
{
    setText(caption);
    FToolBar->update(geometry());
}

void TToolButton::Click()
{
    if (isEnabled() && FStyle != tbsSeparator && FStyle != tbsDivider)
        click();
}

TCustomDrawState TToolButton::DrawState() const
{
    TCustomDrawState state = 0;
    if (isDown())
        state |= cdsSelected;
    if (!isEnabled())
        state |= cdsDisabled;
    if (FDown)
        state |= cdsChecked;
    if (FHot && isEnabled() && FStyle != tbsSeparator && FStyle != tbsDivider)
        state |= cdsHot;
    return state;
}

void TToolButton::enterEvent(QEnterEvent* event)
{
    // A separator is a gap, not a button: it never becomes hot.
    FHot = FStyle != tbsSeparator && FStyle != tbsDivider;
    FToolBar->update(geometry());
    QAbstractButton::enterEvent(event);
}

void TToolButton::leaveEvent(QEvent* event)
{
    FHot = false;
    FToolBar->update(geometry());
    QAbstractButton::leaveEvent(event);
}

bool TToolButton::event(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        FToolBar->update(geometry());
    return QAbstractButton::event(event);
}

// ---- Tool bar

TToolBar::TToolBar(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    resize(100, 29);
    SetColor(clBtnFace);
}

void TToolBar::SetImages(TImageList* images)
{
    FImages = images;
    update();
}

void TToolBar::SetButtonSize(int width, int height)
{
    FButtonWidth = width;
    FButtonHeight = height;
    ArrangeControls();
}

void TToolBar::SetFlat(bool flat)
{
    FFlat = flat;
    update();
}

void TToolBar::SetTransparent(bool transparent)
{
    FTransparent = transparent;
    setAutoFillBackground(!transparent);
    update();
}

void TToolBar::ArrangeControls()
{
    int x = 0;
    for (QObject* child : children()) {
        if (!child->isWidgetType())
            continue;
        auto* w = static_cast<QWidget*>(child);
        if (w->isWindow() || w->isHidden())
            continue;
        if (auto* button = qobject_cast<TToolButton*>(w)) {
            const bool separator = button->Style() == tbsSeparator || button->Style() == tbsDivider;
            const int width = separator ? 8 : FButtonWidth;
            button->setGeometry(x, 2, width, FButtonHeight);
            x += width;
        } else {
            w->move(x, w->y());
            x += w->width();
        }
    }
    update();
}

void TToolBar::childEvent(QChildEvent* event)
{
    QWidget::childEvent(event);
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved) {
        if (event->type() == QEvent::ChildRemoved)
            std::erase(FButtons, static_cast<TToolButton*>(static_cast<QObject*>(event->child())));
        QMetaObject::invokeMethod(this, &TToolBar::ArrangeControls, Qt::QueuedConnection);
    }
}

void TToolBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    update();
}

void TToolBar::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    canvas.Font = Font();
    FCanvas = &canvas;
    for (TToolButton* button : FButtons) {
        if (button->isHidden())
            continue;
        // Separators are not custom-drawn: the platform asks only for buttons (a
        // handler paints the separator before a button together with the button).
        if (button->Style() == tbsSeparator || button->Style() == tbsDivider)
            continue;
        const TCustomDrawState state = button->DrawState();
        bool defaultDraw = true;
        SafeFire(OnCustomDrawButton, this, button, state, defaultDraw);
        if (defaultDraw)
            DefaultDrawButton(canvas, button, state);
    }
    FCanvas = nullptr;
}

void TToolBar::DefaultDrawButton(TCanvas& canvas, TToolButton* button, TCustomDrawState state)
{
    const TRect r = button->BoundsRect();
    if (button->Style() == tbsSeparator || button->Style() == tbsDivider)
        return;
    if (state & (cdsHot | cdsSelected | cdsChecked)) {
        TRect frame = r;
        const bool sunken = state & (cdsSelected | cdsChecked);
        Frame3D(&canvas, frame, sunken ? clBtnShadow : clBtnHighlight, sunken ? clBtnHighlight : clBtnShadow, 1);
    } else if (!FFlat) {
        TRect frame = r;
        Frame3D(&canvas, frame, clBtnHighlight, clBtnShadow, 1);
    }
    if (FImages) {
        const int off = (state & cdsSelected) ? 1 : 0;
        const int x = r.Left + (r.Width() - FImages->Width()) / 2 + off;
        const int y = r.Top + (r.Height() - FImages->Height()) / 2 + off;
        TImageList* list = ((state & cdsDisabled) && FDisabledImages) ? FDisabledImages.data() : FImages.data();
        list->Draw(&canvas, x, y, button->ImageIndex(), !(state & cdsDisabled) || list == FDisabledImages);
    }
}

// ---- List view model

class TListViewModel : public QAbstractItemModel {
public:
    explicit TListViewModel(TCustomListView* view) : QAbstractItemModel(view), FView(view) {}

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override
    {
        if (parent.isValid() || row < 0 || row >= FView->Items()->Count() || column < 0 || column >= columnCount())
            return QModelIndex();
        return createIndex(row, column);
    }
    QModelIndex parent(const QModelIndex&) const override { return QModelIndex(); }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : FView->Items()->Count();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : std::max(1, FView->Columns()->Count());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        const TListItem* item = FView->Items()->Item(index.row());
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? item->Caption() : item->SubItems()->Strings(index.column() - 1);
        if (role == Qt::DecorationRole && index.column() == 0)
            return Icon(item->ImageIndex());
        return QVariant();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return FView->Columns()->FCaptions.value(section);
        return QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QIcon Icon(int index) const
    {
        TImageList* images = FView->SmallImages();
        if (!images || index < 0 || index >= images->Count())
            return QIcon();
        if (FIcons.size() != static_cast<std::size_t>(images->Count())) {
            FIcons.clear();
            for (int i = 0; i < images->Count(); ++i)
                FIcons.push_back(images->GetIcon(i));
        }
        return FIcons[static_cast<std::size_t>(index)];
    }
    void DropIcons() { FIcons.clear(); }

    using QAbstractItemModel::beginInsertColumns;
    using QAbstractItemModel::beginInsertRows;
    using QAbstractItemModel::beginRemoveRows;
    using QAbstractItemModel::beginResetModel;
    using QAbstractItemModel::changePersistentIndex;
    using QAbstractItemModel::endInsertColumns;
    using QAbstractItemModel::endInsertRows;
    using QAbstractItemModel::endRemoveRows;
    using QAbstractItemModel::endResetModel;
    using QAbstractItemModel::persistentIndexList;

private:
    TCustomListView* FView;
    mutable std::vector<QIcon> FIcons;
};

// ---- Columns

QString TListColumn::Caption() const
{
    return FView->FColumns.FCaptions.value(FIndex);
}

void TListColumn::SetCaption(const QString& caption)
{
    FView->FColumns.FCaptions[FIndex] = caption;
    emit FView->FModel->headerDataChanged(Qt::Horizontal, FIndex, FIndex);
}

int TListColumn::Width() const
{
    return FView->FColumns.FWidths[static_cast<std::size_t>(FIndex)];
}

void TListColumn::SetWidth(int width)
{
    FView->FColumns.FWidths[static_cast<std::size_t>(FIndex)] = width;
    FView->header()->resizeSection(FIndex, width);
}

TListColumn* TListColumns::Add()
{
    const int index = Count();
    const bool grows = index > 0; // the model always shows at least one column
    if (grows)
        FView->FModel->beginInsertColumns(QModelIndex(), index, index);
    FItems.push_back(std::make_unique<TListColumn>(FView, index));
    FCaptions.append(QString());
    FWidths.push_back(50);
    if (grows)
        FView->FModel->endInsertColumns();
    FView->header()->resizeSection(index, 50);
    return FItems.back().get();
}

// ---- Items

void TSubItems::Add(const QString& text)
{
    FList.append(text);
    FItem->Changed();
}

void TSubItems::SetStrings(int index, const QString& text)
{
    while (FList.size() <= index)
        FList.append(QString());
    FList[index] = text;
    FItem->Changed();
}

void TSubItems::Clear()
{
    FList.clear();
    FItem->Changed();
}

void TListItem::SetCaption(const QString& caption)
{
    FCaption = caption;
    Changed();
}

void TListItem::SetImageIndex(int index)
{
    FImageIndex = index;
    Changed();
}

int TListItem::Index() const
{
    return FIndex;
}

void TListItem::Changed()
{
    if (FIndex < 0 || FView->FItems.FUpdateCount > 0)
        return;
    TListViewModel* model = FView->FModel;
    emit model->dataChanged(model->index(FIndex, 0), model->index(FIndex, model->columnCount() - 1));
}

bool TListItem::Selected() const
{
    if (FIndex < 0)
        return false;
    return FView->selectionModel()->isRowSelected(FIndex, QModelIndex());
}

void TListItem::SetSelected(bool selected)
{
    if (FIndex < 0)
        return;
    const QModelIndex index = FView->FModel->index(FIndex, 0);
    auto flags = QItemSelectionModel::Rows | (selected ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Deselect);
    if (selected)
        FView->selectionModel()->setCurrentIndex(index, flags);
    else
        FView->selectionModel()->select(index, flags);
}

TListItem* TListItems::Add()
{
    const int row = Count();
    auto item = std::make_unique<TListItem>(FView);
    item->FIndex = row;
    if (FUpdateCount > 0) {
        if (!FResetPending) {
            FView->FModel->beginResetModel();
            FResetPending = true;
        }
        FItems.push_back(std::move(item));
        return FItems.back().get();
    }
    FView->FModel->beginInsertRows(QModelIndex(), row, row);
    FItems.push_back(std::move(item));
    FView->FModel->endInsertRows();
    return FItems.back().get();
}

void TListItems::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    if (FUpdateCount == 0)
        FView->FModel->beginRemoveRows(QModelIndex(), index, index);
    else if (!FResetPending) {
        FView->FModel->beginResetModel();
        FResetPending = true;
    }
    FItems[static_cast<std::size_t>(index)]->FIndex = -1;
    FItems.erase(FItems.begin() + index);
    Renumber(index);
    if (FUpdateCount == 0)
        FView->FModel->endRemoveRows();
}

void TListItems::Clear()
{
    if (FItems.empty())
        return;
    if (FUpdateCount == 0 || !FResetPending)
        FView->FModel->beginResetModel();
    for (auto& item : FItems)
        item->FIndex = -1;
    FItems.clear();
    if (FUpdateCount == 0)
        FView->FModel->endResetModel();
    else
        FResetPending = true;
}

void TListItems::BeginUpdate()
{
    ++FUpdateCount;
}

void TListItems::EndUpdate()
{
    if (FUpdateCount == 0 || --FUpdateCount > 0)
        return;
    if (FResetPending) {
        FResetPending = false;
        FView->FModel->endResetModel();
    }
}

void TListItems::Renumber(int from)
{
    for (std::size_t i = static_cast<std::size_t>(std::max(0, from)); i < FItems.size(); ++i)
        FItems[i]->FIndex = static_cast<int>(i);
}

// ---- List view

TCustomListView::TCustomListView(QWidget* parent, TComponent* owner)
    : QTreeView(parent)
    , TControl(this, OwnerOr(owner, parent))
    , FModel(new TListViewModel(this))
    , FColumns(this)
    , FItems(this)
{
    setModel(FModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    UsePlainStyle(this);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                auto rows = [](const QItemSelection& selection) {
                    std::vector<int> result;
                    for (const QModelIndex& index : selection.indexes())
                        if (index.column() == 0)
                            result.push_back(index.row());
                    return result;
                };
                for (int row : rows(deselected))
                    if (row < FItems.Count())
                        SafeFire(OnSelectItem, this, FItems.Item(row), false);
                for (int row : rows(selected))
                    if (row < FItems.Count())
                        SafeFire(OnSelectItem, this, FItems.Item(row), true);
            });
}

TCustomListView::~TCustomListView()
{
    // The model goes with the view; no selection events while it does.
    OnSelectItem = nullptr;
}

void TCustomListView::SetSmallImages(TImageList* images)
{
    FSmallImages = images;
    FModel->DropIcons();
    if (images)
        setIconSize(QSize(images->Width(), images->Height()));
    viewport()->update();
}

void TCustomListView::SetGridLines(bool on)
{
    FGridLines = on;
    viewport()->update();
}

TListItem* TCustomListView::Selected() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return nullptr;
    int first = rows.first().row();
    for (const QModelIndex& index : rows)
        first = std::min(first, index.row());
    return first < FItems.Count() ? FItems.Item(first) : nullptr;
}

void TCustomListView::SetSelected(TListItem* item)
{
    if (item)
        item->SetSelected(true);
    else
        selectionModel()->clearSelection();
}

int TCustomListView::ItemIndex() const
{
    TListItem* item = Selected();
    return item ? item->Index() : -1;
}

void TCustomListView::SetItemIndex(int index)
{
    if (index < 0 || index >= FItems.Count())
        selectionModel()->clearSelection();
    else
        FItems.Item(index)->SetSelected(true);
}

int TCustomListView::SelCount() const
{
    return static_cast<int>(selectionModel()->selectedRows().size());
}

void TCustomListView::CustomSort(const TLVCompareEvent& compare)
{
    emit FModel->layoutAboutToBeChanged();
    const QModelIndexList persistent = FModel->persistentIndexList();
    std::vector<TListItem*> before;
    for (const QModelIndex& index : persistent)
        before.push_back(index.row() < FItems.Count() ? FItems.Item(index.row()) : nullptr);
    std::stable_sort(FItems.FItems.begin(), FItems.FItems.end(),
                     [&](const std::unique_ptr<TListItem>& a, const std::unique_ptr<TListItem>& b) {
                         return compare(a.get(), b.get()) < 0;
                     });
    FItems.Renumber(0);
    for (int i = 0; i < persistent.size(); ++i) {
        TListItem* item = before[static_cast<std::size_t>(i)];
        const QModelIndex old = persistent[i];
        FModel->changePersistentIndex(old, item ? FModel->index(item->Index(), old.column()) : QModelIndex());
    }
    emit FModel->layoutChanged();
}

void TCustomListView::MakeVisible(int index)
{
    if (index >= 0 && index < FItems.Count())
        scrollTo(FModel->index(index, 0));
}

void TCustomListView::mousePressEvent(QMouseEvent* event)
{
    // A click below the rows clears the selection, as in the platform's list.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        selectionModel()->clearSelection();
    FDragRow = event->button() == Qt::LeftButton && index.isValid() ? index.row() : -1;
    FDragStart = event->position().toPoint();
    QTreeView::mousePressEvent(event);
}

void TCustomListView::mouseMoveEvent(QMouseEvent* event)
{
    if (OnDragOut && FDragRow >= 0 && FDragRow < FItems.Count() && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - FDragStart).manhattanLength() >= QApplication::startDragDistance()) {
        TListItem* item = FItems.Item(FDragRow);
        FDragRow = -1;
        QMimeData* data = nullptr;
        SafeCall([&] { data = OnDragOut(item); });
        if (data) {
            auto* drag = new QDrag(this);
            drag->setMimeData(data);
            if (data->hasImage())
                drag->setPixmap(QPixmap::fromImage(qvariant_cast<QImage>(data->imageData())));
            drag->exec(Qt::CopyAction, Qt::CopyAction);
            return;
        }
    }
    QTreeView::mouseMoveEvent(event);
}

void TCustomListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    SafeFire(OnDblClick, this);
}

void TCustomListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTreeView::drawRow(painter, option, index);
    if (!FGridLines)
        return;
    painter->save();
    painter->setPen(palette().color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    int x = -header()->offset();
    for (int i = 0; i < header()->count(); ++i) {
        x += header()->sectionSize(i);
        painter->drawLine(x - 1, r.top(), x - 1, r.bottom());
    }
    painter->restore();
}

// ---- TUpDown

TUpDown::TUpDown(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, owner ? owner : DefaultOwnerFor(parent))
{
    resize(17, 21);
}

void TUpDown::SetRange(int min, int max)
{
    FMin = min;
    FMax = max;
    SetPosition(FPosition);
}

void TUpDown::SetPosition(int position)
{
    FPosition = std::clamp(position, FMin, std::max(FMin, FMax));
}

void TUpDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FPressed = event->position().y() < height() / 2 ? 1 : -1;
    update();
}

void TUpDown::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || FPressed == 0)
        return;
    const int step = FPressed;
    FPressed = 0;
    update();
    if (rect().contains(event->position().toPoint())) {
        SetPosition(FPosition + step * FIncrement);
        SafeFire(OnClick, this);
    }
}

void TUpDown::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    const int half = height() / 2;
    const TRect halves[2] = {TRect(0, 0, width(), half), TRect(0, half, width(), height())};
    for (int i = 0; i < 2; ++i) {
        TRect r = halves[i];
        canvas.Brush.Color = clBtnFace;
        canvas.FillRect(r);
        const bool pressed = FPressed == (i == 0 ? 1 : -1);
        Frame3D(&canvas, r, pressed ? clBtnShadow : clBtnHighlight, pressed ? clBtnHighlight : clBtnShadow, 1);
        // A 5-3-1 triangle pointing up or down in the middle of the half.
        canvas.Pen.Color = isEnabled() ? clBtnText : clGrayText;
        const int x = halves[i].Left + (halves[i].Width() - 5) / 2;
        const int y = halves[i].Top + (halves[i].Height() - 3) / 2;
        for (int k = 0; k < 3; ++k) {
            const int row = i == 0 ? y + 2 - k : y + k;
            canvas.MoveTo(x + k, row);
            canvas.LineTo(x + 5 - k, row);
        }
    }
}
