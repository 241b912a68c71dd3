// The file list: rebuilding it for the current folder, and following the folder tree.
#include "browser/Mainform.h"

#include "framework/FileNames.h"
#include "framework/Forms.h"

#include <QCollator>
#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <vector>

QString ListStatusText(int count)
{
    return TForm1::tr("一共%1个图标可供浏览！").arg(count);
}

QByteArray TForm1::FolderPath() const
{
    return EncodeFileName(FCurrentDir);
}

QByteArray TForm1::RowName(const TListItem* Item)
{
    const auto* raw = static_cast<const QByteArray*>(Item->Data);
    return raw ? *raw : EncodeFileName(Item->Caption());
}

QByteArray TForm1::RowPath(const TListItem* Item) const
{
    QByteArray path = FolderPath();
    if (!path.endsWith('/'))
        path += '/';
    return path + RowName(Item);
}

QString TForm1::RowDisplayPath(const TListItem* Item) const
{
    return DisplayFileName(FCurrentDir) + (FCurrentDir.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) +
           Item->Caption();
}

void TForm1::RefreshFileList()
{
    // A rebuild that starts while an earlier one still scans ends the earlier one: its
    // scan sees the generation change when it gets control back.
    const std::uint64_t generation = ++FScanGeneration;
    ListView1->Items()->Clear();
    FRowNames.clear();
    if (!ScanFolder())
        return;
    if (generation != FScanGeneration)
        return;

    // The rows of one file share its name: the names are ranked once with the locale's
    // collation, then the rows sort by rank, keeping each file's icons in order.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<QString> readable;
    readable.reserve(FRowNames.size());
    for (const QByteArray& name : FRowNames)
        readable.push_back(DisplayFileName(DecodeFileName(name)));
    std::vector<std::size_t> order(readable.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return collator.compare(readable[a], readable[b]) < 0; });
    std::unordered_map<const void*, std::size_t> rank;
    for (std::size_t i = 0; i < order.size(); ++i)
        rank[&FRowNames[order[i]]] = i;
    ListView1->CustomSort([&rank](TListItem* a, TListItem* b) {
        const std::size_t ra = rank[a->Data], rb = rank[b->Data];
        return ra < rb ? -1 : ra > rb ? 1 : 0;
    });
    UpdateCommandAvailability();
    StatusBar1->Panels()->Items(1)->SetText(ListStatusText(ListView1->Items()->Count()));
}

bool TForm1::ScanFolder()
{
    const std::uint64_t generation = FScanGeneration;
    StatusBar1->Panels()->Items(1)->SetText(tr("正在查找可显示的图标资源..."));

    QByteArray folder = FolderPath();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.constData()), closedir);
    if (!dir)
        return true;
    if (!folder.endsWith('/'))
        folder += '/';

    bool first = true;
    while (dirent* entry = readdir(dir.get())) {
        if (!first) {
            // Lets the window repaint and answer between entries; a command run here may
            // rebuild the list, which ends this scan.
            QPointer<TForm1> self(this);
            Application->ProcessMessages();
            if (!self || generation != FScanGeneration)
                return false;
        }
        first = false;

        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + name;
        struct stat st;
        if (stat(path.constData(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;

        const TWindowFileKind* kind = FindListedKind(*this, std::string_view(name.constData(), name.size()));
        if (!kind)
            continue;
        const QString caption = DisplayFileName(DecodeFileName(name));

        // Sizes of 2 GiB and more are shown as they are.
        const QString sizeText = QString::number(static_cast<qint64>(st.st_size));
        auto addRow = [&](int iconNumber) {
            if (FRowNames.empty() || FRowNames.back() != name)
                FRowNames.push_back(name);
            TListItem* item = ListView1->Items()->Add();
            item->SetCaption(caption);
            item->SetImageIndex(kind->ImageIndex);
            item->SubItems()->Add(sizeText);
            item->SubItems()->Add(QString::number(iconNumber));
            item->Data = &FRowNames.back();
        };
        if (kind->OneRow) {
            addRow(0);
            continue;
        }
        // The count is asked again before each row; the reader remembers the file, so
        // this costs a stat, not a parse.
        for (int i = 0; i < static_cast<int>(ExtractIconA(0, path.constData(), -1)); ++i)
            addRow(i);
    }
    return true;
}

void TForm1::DirectorySelected(TObject* Sender)
{
    (void)Sender;
    FCurrentDir = DirectoryListBox1->Directory();
    RefreshFileList();
}

void TForm1::DriveChange(TObject* Sender)
{
    (void)Sender;
    FCurrentDir = DirectoryListBox1->Directory();
}
