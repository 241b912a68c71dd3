// TIconInspector: every stored image of one icon group, saved as PNG or as the group.
#include "browser/Inspector.h"

#include "browser/SaveFile.h"
#include "core/GroupCheck.h"
#include "core/IcoEncoder.h"
#include "core/OutputFormat.h"
#include "core/OutputNames.h"
#include "framework/PlainStyle.h"

#include <QKeyEvent>
#include <QtMath>
#include <QPainter>

#include <algorithm>

namespace {

// Entry roles: the picture as shown, and the lines of text beside it.
constexpr int kPictureRole = Qt::UserRole;
constexpr int kLinesRole = Qt::UserRole + 1;
// Space around an entry's picture and text, and the picture's column.
constexpr int kPad = 4;
constexpr int kPictureColumn = gw::StoredImage::kMaxShownSide + 2 * kPad;

// An entry's picture with its stored pixels on as many pixels of the screen: crisp at
// any device pixel ratio, smaller in points where the ratio is above 1.
QImage StoredPixels(const QModelIndex& index, const QWidget* view)
{
    QImage picture = index.data(kPictureRole).value<QImage>();
    if (!picture.isNull())
        picture.setDevicePixelRatio(view ? view->devicePixelRatioF() : 1.0);
    return picture;
}

// An entry: the picture on the left, its lines beside it; a flat fill in the selection
// colours.
class TImageEntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSizeF picture = StoredPixels(index, option.widget).deviceIndependentSize();
        const int lines = int(index.data(kLinesRole).toStringList().size());
        const int text = lines * QFontMetrics(option.font).height();
        return QSize(kPictureColumn + 120, std::max(qCeil(picture.height()), text) + 2 * kPad);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QRect r = option.rect;
        painter->fillRect(r, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        const QImage picture = StoredPixels(index, option.widget);
        if (!picture.isNull()) {
            const int height = qCeil(picture.deviceIndependentSize().height());
            painter->drawImage(QPoint(r.left() + kPad, r.top() + (r.height() - height) / 2), picture);
        }
        TCanvas canvas(painter);
        const QPalette::ColorGroup group =
            (option.state & QStyle::State_Enabled) ? QPalette::Active : QPalette::Disabled;
        canvas.Font = TFont::FromQFont(
            option.font, FromQColor(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text)));
        canvas.Brush.Style = bsClear;
        const QStringList lines = index.data(kLinesRole).toStringList();
        const int lineHeight = QFontMetrics(option.font).height();
        int y = r.top() + (r.height() - int(lines.size()) * lineHeight) / 2;
        for (const QString& line : lines) {
            TRect box(r.left() + kPictureColumn, y, r.right(), y + lineHeight);
            canvas.DrawText(line, box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            y += lineHeight;
        }
        // The current entry of the focused list: the dotted rectangle in the text's colour.
        if (option.state & QStyle::State_HasFocus)
            DrawFocusRect(&canvas, TRect(r), canvas.Font.Color);
    }
};

} // namespace

// ---- TImageEntryList

TImageEntryList::TImageEntryList(QWidget* parent, TComponent* owner)
    : QListWidget(parent)
    , TControl(this, owner ? owner : DefaultOwnerFor(parent))
{
    setItemDelegate(new TImageEntryDelegate(this));
    UsePlainStyle(this);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

QStringList TImageEntryList::EntryLines(const gw::ImageSummary& summary, int entries)
{
    QStringList lines{tr("%1 × %2").arg(summary.Width).arg(summary.Height),
                      tr("%1位 %2").arg(summary.BitCount).arg(summary.Png ? QStringLiteral("PNG") : QStringLiteral("DIB")),
                      tr("%1字节").arg(summary.Bytes)};
    if (entries > 1)
        lines << tr("%1个条目共用").arg(entries);
    return lines;
}

void TImageEntryList::SetImages(const std::vector<gw::StoredImage>& images)
{
    clear();
    for (const gw::StoredImage& image : images) {
        auto* entry = new QListWidgetItem(this);
        const QStringList lines = EntryLines(image.Summary, image.Entries);
        // Screen readers read the entry as one line.
        entry->setText(lines.join(tr("，")));
        entry->setData(kLinesRole, image.Shown ? lines : lines + QStringList{tr("无法显示该图像。")});
        if (image.Shown)
            entry->setData(kPictureRole, IconToImage(*image.Shown));
    }
    setCurrentRow(count() > 0 ? 0 : -1);
}

void TImageEntryList::keyPressEvent(QKeyEvent* event)
{
    // Left and right step through the entries as up and down do.
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    if (step != 0 && event->modifiers() == Qt::NoModifier) {
        setCurrentRow(std::clamp(currentRow() + step, 0, count() - 1));
        return;
    }
    QListWidget::keyPressEvent(event);
}

// ---- TIconInspector

TIconInspector::TIconInspector(TComponent* Owner, const QByteArray& Path, const QString& ShownName, int IconNumber)
    : TNeoForm(Owner)
    , FBaseName(TSaveFile::ProposedName(Path.mid(Path.lastIndexOf('/') + 1), IconNumber))
{
    SetName(QStringLiteral("IconInspector"));
    SetCaption(tr("图标详情"));
    SetClientSize(540, 520);
    SetFont(QStringLiteral("宋体"), -13);
    SetPosition(poScreenCenter);

    auto label = [this](const char* name, int x, int y, int width) {
        auto* l = new TLabel(this, this);
        l->SetName(QString::fromLatin1(name));
        l->SetAutoSize(false);
        l->SetBounds(x, y, width, std::max(13, l->fontMetrics().height()));
        return l;
    };
    FileLabel = label("FileLabel", 24, 58, 492);
    GroupLabel = label("GroupLabel", 24, 80, 240);
    LanguageLabel = label("LanguageLabel", 276, 80, 240);

    ImageList = new TImageEntryList(this, this);
    ImageList->SetName(QStringLiteral("ImageList"));
    ImageList->SetBounds(24, 102, 492, 352);
    ImageList->setAccessibleName(tr("图像"));
    MessageLabel = new TLabel(this, this);
    MessageLabel->SetName(QStringLiteral("MessageLabel"));
    MessageLabel->SetAutoSize(false);
    MessageLabel->SetBounds(24, 102, 492, 352);
    MessageLabel->setAlignment(Qt::AlignCenter);
    MessageLabel->SetCaption(tr("无法读取该图标。"));
    MessageLabel->SetVisible(false);
    WarningLabel = new TLabel(this, this);
    WarningLabel->SetName(QStringLiteral("WarningLabel"));
    WarningLabel->SetAutoSize(false);
    WarningLabel->SetVisible(false);

    auto button = [this](const char* name, const QString& caption, int x, int width) {
        auto* b = new TButton(this, this);
        b->SetName(QString::fromLatin1(name));
        b->SetCaption(caption);
        b->SetBounds(x, 468, width, 25);
        return b;
    };
    SavePngButton = button("SavePngButton", tr("保存为PNG(&P)..."), 24, 156);
    SaveIcoButton = button("SaveIcoButton", tr("保存原始图标(&O)..."), 188, 156);
    CloseButton = button("CloseButton", tr("关闭"), 441, 75);
    CloseButton->SetCancel(true);
    CloseButton->SetModalResult(mrCancel);
    SavePngButton->OnClick = [this](TObject* Sender) { SavePngButtonClick(Sender); };
    SaveIcoButton->OnClick = [this](TObject* Sender) { SaveIcoButtonClick(Sender); };
    setTabOrder(ImageList, SavePngButton);
    setTabOrder(SavePngButton, SaveIcoButton);
    setTabOrder(SaveIcoButton, CloseButton);

    SaveDialog1 = new TSavePictureDialog(this);
    SaveDialog1->SetName(QStringLiteral("SaveDialog1"));
    SaveDialog1->Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;

    FileLabel->SetCaption(tr("%1，图标%2").arg(ShownName).arg(IconNumber));
    FFile = std::make_unique<gw::IconFile>(Path.toStdString());
    if (IconNumber >= 0 && FFile->Ok()) {
        FGroup = std::size_t(IconNumber);
        if (auto images = gw::GroupStoredImages(*FFile, FGroup))
            FImages = std::move(*images);
        else if (images.Err().Code == gw::ErrorCode::TooLarge)
            MessageLabel->SetCaption(tr("该图标的图像超过每组64 MiB的上限。"));
        else if (images.Err().Code == gw::ErrorCode::NoMemory)
            MessageLabel->SetCaption(tr("内存不足，无法读取该图标。"));
    }
    const auto& groups = FFile->Catalog.Groups();
    if (!FImages.empty()) {
        const gw::IconGroup& group = groups[FGroup];
        if (FFile->Catalog.Kind() == gw::FileKind::Ico)
            GroupLabel->SetCaption(tr("图标文件"));
        else
            GroupLabel->SetCaption(tr("图标组：%1").arg(QString::fromStdString(gw::NameText(FFile->Catalog, group.Name))));
        if (!group.Languages.empty()) {
            QString language = tr("语言：%1").arg(group.Languages.front().Id);
            QStringList others;
            for (std::size_t i = 1; i < group.Languages.size(); ++i)
                others << QString::number(group.Languages[i].Id);
            if (!others.isEmpty())
                language += tr("（另有%1）").arg(others.join(tr("，")));
            LanguageLabel->SetCaption(language);
        }
    }
    ImageList->SetImages(FImages);
    ImageList->SetVisible(!FImages.empty());
    MessageLabel->SetVisible(FImages.empty());
    SavePngButton->SetEnabled(!FImages.empty());
    SaveIcoButton->SetEnabled(!FImages.empty());
    if (FFile->Ok() && IconNumber >= 0)
        ShowWarnings();
    (FImages.empty() ? static_cast<QWidget*>(CloseButton) : ImageList)->setFocus();

    // The last component of the layout, so that it finds every other one.
    XPMenu1 = CreateXPMenu1(this, false);
    XPMenu1->SetActive(true);

    SetSizeable(false);
    MaxImage->SetVisible(false);
    MinImage->SetVisible(false);
}

TIconInspector::~TIconInspector() = default;

void TIconInspector::ShowWarnings()
{
    // The file's own faults and this group's, a line each, as many as fit in three.
    constexpr int kMaxLines = 3;
    const std::string where = gw::GroupWhere(FGroup, false);
    QStringList lines;
    std::vector<gw::Diagnostic> all = FFile->Catalog.Diagnostics();
    for (gw::Diagnostic& d : gw::CheckGroupImages(FFile->Catalog, FGroup, false, FFile->Reader))
        all.push_back(std::move(d));
    for (const gw::Diagnostic& d : all)
        if (d.Where.empty() || d.Where == where)
            lines << QString::fromStdString(gw::DiagnosticText(d));
    if (lines.isEmpty())
        return;
    if (lines.size() > kMaxLines)
        lines = lines.mid(0, kMaxLines - 1) << tr("另有%1处").arg(lines.size() - (kMaxLines - 1));
    lines.prepend(tr("文件有损坏之处："));
    const int height = int(lines.size()) * WarningLabel->fontMetrics().height();
    // The images (or the message in their place) give up the room at their bottom.
    const int left = 24, top = 102, width = 492, bottom = 454;
    ImageList->SetBounds(left, top, width, bottom - top - height - 6);
    MessageLabel->SetBounds(left, top, width, bottom - top - height - 6);
    WarningLabel->SetBounds(left, bottom - height, width, height);
    WarningLabel->SetCaption(lines.join(QLatin1Char('\n')));
    WarningLabel->SetVisible(true);
}

void TIconInspector::SavePngButtonClick(TObject* Sender)
{
    (void)Sender;
    const int row = ImageList->currentRow();
    if (row < 0 || std::size_t(row) >= FImages.size())
        return;
    const gw::StoredImage& image = FImages[std::size_t(row)];
    // notepad.exe, icon 3, its 48 x 48 32-bit image -> notepad3_48x48_32
    const QString name = FBaseName + QString::fromStdString(gw::ImageSuffix(image.Summary.Width, image.Summary.Height,
                                                                            image.Summary.BitCount));
    const auto png = gw::StoredAsPng(gw::Bytes(image.Data.data(), image.Data.size()));
    SaveAs(name, tr("PNG 图像(*.png)|*.png"), QLatin1String(gw::Extension(gw::OutputFormat::Png)),
           png.value_or(std::vector<std::uint8_t>()), tr("无法解码该图像。"));
}

void TIconInspector::SaveIcoButtonClick(TObject* Sender)
{
    (void)Sender;
    // The group is read again from the file, which may have changed since it was opened.
    auto ico = gw::GroupIco(*FFile, FGroup);
    const QString why = ico                                           ? QString()
                        : ico.Err().Code == gw::ErrorCode::TooLarge   ? tr("该图标的图像超过每组64 MiB的上限。")
                        : ico.Err().Code == gw::ErrorCode::NoMemory ? tr("内存不足，无法读取该图标。")
                                                                      : tr("无法读取该文件。");
    // The stored icon as the format table's Original writes it, with the reason it fails.
    SaveAs(FBaseName, tr("原始图标(*.ico)|*.ico"), QLatin1String(gw::Extension(gw::OutputFormat::Original)),
           ico ? std::move(*ico) : std::vector<std::uint8_t>(), why);
}

void TIconInspector::SaveAs(const QString& proposedName, const QString& filter, QLatin1String extension,
                            const std::vector<std::uint8_t>& bytes, const QString& unreadable)
{
    SaveDialog1->Filter = filter;
    SaveDialog1->FileName = proposedName;
    SaveDialog1->FilterIndex = 1;
    const auto target = TSaveFile::Choose(this, *SaveDialog1, [extension](int) { return extension; });
    if (!target)
        return;
    // What failed is said after the usual text: the bytes could not be had, or the
    // system's reason why they could not be written.
    if (bytes.empty())
        TSaveFile::ReportFailure(this, unreadable);
    else if (const int err = TSaveFile::WriteBytes(*target, bytes))
        TSaveFile::ReportFailure(this, TSaveFile::WriteFailure(err));
}
