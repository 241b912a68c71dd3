// TListView: the report-style list view, its columns, items and model.
#include "framework/ComCtrls.h"
#include "framework/PlainStyle.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

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
    , TControl(this, owner ? owner : DefaultOwnerFor(parent))
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
