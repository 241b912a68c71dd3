// The file list: rebuilding it for the current folder, and following the folder tree.
#include "browser/Mainform.h"

#include "framework/FileNames.h"
#include "framework/Forms.h"

#include <QFile>

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

const gw::FolderRow* TForm1::RowOf(const TListItem* Item)
{
    return Item ? static_cast<const gw::FolderRow*>(Item->Data) : nullptr;
}

QString TForm1::RowDisplayPath(const gw::FolderRow& Row) const
{
    return DisplayFileName(DecodeFileName(FRows.Path(Row)));
}

void TForm1::RefreshFileList()
{
    // A rebuild that starts while an earlier one still scans ends the earlier one: its
    // scan sees the generation change when it gets control back.
    const std::uint64_t generation = ++FScanGeneration;
    ListView1->Items()->Clear();
    FRows.Clear(FolderPath());
    if (!ScanFolder())
        return;
    if (generation != FScanGeneration)
        return;

    // The items sort by their rows' ranks, which keep each file's icons in order.
    const std::vector<std::size_t> ranks = FRows.SortRanks();
    std::unordered_map<const void*, std::size_t> rank;
    for (std::size_t i = 0; i < ranks.size(); ++i)
        rank[&FRows.Row(i)] = ranks[i];
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

    // The folder's entries under the rules the extraction walks follow too.
    gw::FolderListing listing(FRows.Folder().toStdString());
    gw::FolderEntry entry;
    bool first = true;
    while (listing.Next(entry)) {
        if (!first) {
            // Lets the window repaint and answer between entries; a command run here may
            // rebuild the list, which ends this scan.
            QPointer<TForm1> self(this);
            Application->ProcessMessages();
            if (!self || generation != FScanGeneration)
                return false;
        }
        first = false;
        if (entry.Folder)
            continue;
        const TWindowFileKind* kind = FindListedKind(*this, entry.Name);
        if (!kind)
            continue;
        const QByteArray path = QByteArray::fromStdString(entry.Path);
        auto addRow = [&](int iconNumber) {
            const gw::FolderRow& row = FRows.Add({entry.Name, entry.Kind, entry.Size, iconNumber});
            TListItem* item = ListView1->Items()->Add();
            item->SetCaption(TFileRows::ShownName(row));
            item->SetImageIndex(kind->ImageIndex);
            // Sizes of 2 GiB and more are shown as they are.
            item->SubItems()->Add(QString::number(row.Size));
            item->SubItems()->Add(QString::number(row.Icon));
            item->Data = const_cast<gw::FolderRow*>(&row);
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
