// The folder list and the drive box.
#include "framework/FileCtrl.h"

#include "framework/FileNames.h"
#include "framework/Forms.h"
#include "framework/PlainStyle.h"
#include "framework/StdCtrls.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace {

TComponent* OwnerOr(TComponent* owner, QWidget* parent)
{
    return owner ? owner : DefaultOwnerFor(parent);
}

// The folder last shown on each drive, as the platform keeps one per drive.
std::map<QString, QString>& LastFolders()
{
    static std::map<QString, QString> folders;
    return folders;
}

// Mount table fields escape blanks and the like as \ooo.
QString Unescape(const QByteArray& field)
{
    QByteArray out;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(static_cast<char>(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return DecodeFileName(out);
}

const std::set<QString>& PseudoFileSystems()
{
    static const std::set<QString> types = {
        "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "cgroup", "cgroup2", "securityfs",
        "pstore", "bpf", "debugfs", "tracefs", "mqueue", "hugetlbfs", "configfs", "fusectl", "autofs",
        "binfmt_misc", "rpc_pipefs", "nsfs", "efivarfs", "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal",
        "squashfs", "rootfs", "none"};
    return types;
}

constexpr int kIndent = 8;

// Paints an entry: an open or closed folder at its level, then the name.
class TDirectoryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const int level = index.data(Qt::UserRole + 1).toInt();
        const bool open = index.data(Qt::UserRole + 2).toBool();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        const QIcon icon = style->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon);
        const QRect r = opt.rect;
        const int x = r.left() + 2 + level * kIndent;
        const QRect iconRect(x, r.top() + (r.height() - 14) / 2, 14, 14);
        icon.paint(painter, iconRect);
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect textRect(iconRect.right() + 4, r.top(), painter->fontMetrics().horizontalAdvance(text) + 4, r.height());
        const bool selected = opt.state & QStyle::State_Selected;
        if (selected)
            painter->fillRect(textRect, opt.palette.color(QPalette::Highlight));
        TCanvas canvas(painter);
        canvas.Font = TFont::FromQFont(opt.font, FromQColor(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text)));
        canvas.Brush.Style = bsClear;
        TRect textArea(textRect.adjusted(2, 0, 0, 0));
        canvas.DrawText(text, textArea, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        // The entry the keys act on, while the list has the focus, in the dotted
        // focus rectangle around its name.
        if (opt.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(opt);
            focus.rect = textRect;
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, opt.widget);
        }
    }
};

} // namespace

namespace {
QString gMountTable;
}

void SetMountTablePath(const QString& path)
{
    gMountTable = path;
}

QStringList MountRoots()
{
    QStringList roots{QStringLiteral("/")};
    QFile mounts(gMountTable.isEmpty() ? QStringLiteral("/proc/self/mounts") : gMountTable);
    if (!mounts.open(QIODevice::ReadOnly))
        return roots;
    const QList<QByteArray> lines = mounts.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        const QString path = Unescape(fields[1]);
        const QString type = QString::fromLatin1(fields[2]);
        if (PseudoFileSystems().count(type) || !path.startsWith(QLatin1Char('/')) || roots.contains(path))
            continue;
        if (path.startsWith(QLatin1String("/proc")) || path.startsWith(QLatin1String("/sys")) ||
            path.startsWith(QLatin1String("/dev")) || path.startsWith(QLatin1String("/run")))
            continue;
        // Single files bound over others are no drives.
        if (!IsFolder(path))
            continue;
        roots << path;
    }
    return roots;
}

QString NormalizeFolder(const QString& path)
{
    // Plain text work: the names need not be UTF-8 (see FileNames.h).
    const QString absolute = path.startsWith(QLatin1Char('/')) ? path : CurrentFolder() + QLatin1Char('/') + path;
    QString p = QDir::cleanPath(absolute);
    if (p.isEmpty())
        p = QStringLiteral("/");
    return p;
}

QString DriveOf(const QString& path)
{
    const QString p = NormalizeFolder(path);
    QString best = QStringLiteral("/");
    for (const QString& root : MountRoots())
        if ((p == root || p.startsWith(root + QLatin1Char('/'))) && root.size() > best.size())
            best = root;
    return best;
}

// ---- TDirectoryListBox

TDirectoryListBox::TDirectoryListBox(QWidget* parent, TComponent* owner)
    : QListWidget(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    setItemDelegate(new TDirectoryDelegate(this));
    UsePlainStyle(this);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TDirectoryListBox::SetItemHeight(int height)
{
    FItemHeight = height;
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(0, FItemHeight));
}

void TDirectoryListBox::SetDirectory(const QString& path)
{
    const QString folder = NormalizeFolder(path);
    const QByteArray native = EncodeFileName(folder);
    if (!IsFolder(folder) || ::access(native.constData(), R_OK) != 0 || ::chdir(native.constData()) != 0)
        throw EInOutError("Cannot enter folder " + native.toStdString());
    FDirectory = folder;
    const QString drive = DriveOf(folder);
    LastFolders()[drive] = folder;
    Rebuild();
    UpdateLabel();
    if (FDriveCombo)
        FDriveCombo->ShowDrive(drive);
    Fire(OnChange, this);
}

QString TDirectoryListBox::GetItemPath(int index) const
{
    return FPaths.value(index);
}

void TDirectoryListBox::Rebuild()
{
    clear();
    FPaths.clear();
    // Ancestors, root first.
    QStringList chain;
    for (QString p = FDirectory;;) {
        chain.prepend(p);
        if (p == QLatin1String("/"))
            break;
        const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
        p = slash <= 0 ? QStringLiteral("/") : p.left(slash);
    }
    int level = 0;
    int current = 0;
    for (const QString& p : chain) {
        const QString name = p == QLatin1String("/") ? p : p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
        auto* entry = new QListWidgetItem(DisplayFileName(name), this);
        entry->setData(Qt::UserRole + 1, level++);
        entry->setData(Qt::UserRole + 2, true);
        entry->setSizeHint(QSize(0, FItemHeight));
        FPaths << p;
        current = count() - 1;
    }
    // The subfolders, hidden ones left out, read with their own bytes and sorted by
    // the names the user reads.
    struct Subfolder {
        QString Shown;
        QString Path;
    };
    std::vector<Subfolder> subfolders;
    QByteArray folder = EncodeFileName(FDirectory);
    if (!folder.endsWith('/'))
        folder += '/';
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.constData()), ::closedir);
    while (dir) {
        const dirent* found = ::readdir(dir.get());
        if (!found)
            break;
        const QByteArray raw(found->d_name);
        if (raw.startsWith('.'))
            continue;
        struct stat st {};
        if (::stat((folder + raw).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        const QString name = DecodeFileName(raw);
        subfolders.push_back({DisplayFileName(name), FDirectory == QLatin1String("/") ? QLatin1Char('/') + name
                                                                                        : FDirectory + QLatin1Char('/') + name});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(subfolders.begin(), subfolders.end(), [&collator](const Subfolder& a, const Subfolder& b) {
        return collator.compare(a.Shown, b.Shown) < 0;
    });
    for (const Subfolder& sub : subfolders) {
        auto* entry = new QListWidgetItem(sub.Shown, this);
        entry->setData(Qt::UserRole + 1, level);
        entry->setData(Qt::UserRole + 2, false);
        entry->setSizeHint(QSize(0, FItemHeight));
        FPaths << sub.Path;
    }
    setCurrentRow(current);
}

QString TDirectoryListBox::MinimizeName(const QString& path, const QFont& font, int width)
{
    const QFontMetrics fm(font);
    if (fm.horizontalAdvance(path) <= width)
        return path;
    // Drop folders after the first one until it fits: "/home/.../name".
    QStringList parts = path.split(QLatin1Char('/'));
    while (parts.size() > 3) {
        parts.removeAt(parts.size() > 3 && parts[2] == QLatin1String("...") ? 3 : 2);
        if (!parts.contains(QStringLiteral("...")))
            parts.insert(2, QStringLiteral("..."));
        const QString candidate = parts.join(QLatin1Char('/'));
        if (fm.horizontalAdvance(candidate) <= width)
            return candidate;
        if (parts.size() <= 4)
            break;
    }
    return fm.elidedText(path, Qt::ElideLeft, width);
}

void TDirectoryListBox::SetDirLabel(TCustomLabel* label)
{
    FDirLabel = label;
    UpdateLabel();
}

void TDirectoryListBox::UpdateLabel()
{
    if (!FDirLabel || FDirectory.isEmpty())
        return;
    const int room = FDirLabel->AutoSize() ? width() : FDirLabel->width();
    FDirLabel->SetCaption(MinimizeName(DisplayFileName(FDirectory), FDirLabel->font(), room));
}

void TDirectoryListBox::OpenCurrent()
{
    const QString path = GetItemPath(currentRow());
    if (path.isEmpty())
        return;
    try {
        SetDirectory(path);
    } catch (const std::exception& e) {
        Application->ShowException(e);
    }
}

void TDirectoryListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QListWidget::mouseDoubleClickEvent(event);
    OpenCurrent();
    SafeFire(OnDblClick, this);
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        OpenCurrent();
        return;
    }
    QListWidget::keyPressEvent(event);
}

// ---- TCustomCombo

TCustomCombo::TCustomCombo(QWidget* parent, TComponent* owner)
    : QComboBox(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    setStyle(TPlainStyle::Instance());
    setItemDelegate(new TFlatItemDelegate(this));
    if (auto* list = qobject_cast<QAbstractScrollArea*>(view()))
        UsePlainStyle(list);
    SetColor(clWindow);
}

void TCustomCombo::showPopup()
{
    FDroppedDown = true;
    QComboBox::showPopup();
    update();
}

void TCustomCombo::hidePopup()
{
    QComboBox::hidePopup();
    FDroppedDown = false;
    update();
}

// ---- TDriveComboBox

TDriveComboBox::TDriveComboBox(QWidget* parent, TComponent* owner)
    : TCustomComboBox(parent, owner)
{
    BuildList();
    FDrive = DriveOf(CurrentFolder());
    setCurrentIndex(std::max(0, findData(FDrive)));
    connect(this, &QComboBox::activated, this, [this](int index) {
        try {
            SetDrive(itemData(index).toString());
        } catch (const std::exception& e) {
            Application->ShowException(e);
        }
    });
}

void TDriveComboBox::BuildList()
{
    FUpdating = true;
    clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& root : MountRoots())
        addItem(icon, DisplayFileName(root), root);
    setCurrentIndex(std::max(0, findData(FDrive)));
    FUpdating = false;
}

void TDriveComboBox::SetDrive(const QString& path)
{
    const QString drive = DriveOf(path);
    if (drive == FDrive) {
        ShowDrive(drive);
        return;
    }
    if (FDirList) {
        const auto it = LastFolders().find(drive);
        QString folder = it != LastFolders().end() ? it->second : drive;
        // The remembered folder may be gone; fall back to the drive's root.
        if (!IsFolder(folder))
            folder = drive;
        try {
            FDirList->SetDirectory(folder);
        } catch (...) {
            // The list stayed where it was; so does the box.
            ShowDrive(FDrive);
            throw;
        }
    }
    ShowDrive(drive);
    Fire(OnChange, this);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list)
{
    if (FDirList && FDirList->FDriveCombo == this)
        FDirList->FDriveCombo = nullptr;
    FDirList = list;
    if (!list)
        return;
    list->FDriveCombo = this;
    if (!list->Directory().isEmpty())
        ShowDrive(DriveOf(list->Directory()));
}

void TDriveComboBox::ShowDrive(const QString& drive)
{
    FDrive = drive;
    int index = findData(drive);
    if (index < 0) {
        // A file system mounted since the list was read.
        BuildList();
        index = findData(drive);
    }
    if (index >= 0 && index != currentIndex()) {
        FUpdating = true;
        setCurrentIndex(index);
        FUpdating = false;
    }
}
