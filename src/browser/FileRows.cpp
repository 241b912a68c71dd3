// The rows of the listed folder.
#include "browser/FileRows.h"

#include "framework/FileNames.h"

#include <QCollator>

#include <algorithm>

void TFileRows::Clear(const QByteArray& folder)
{
    FFolder = folder;
    FRows.clear();
}

const gw::FolderRow& TFileRows::Add(gw::FolderRow row)
{
    FRows.push_back(std::move(row));
    return FRows.back();
}

QByteArray TFileRows::Name(const gw::FolderRow& row) { return QByteArray::fromStdString(row.Name); }

QString TFileRows::ShownName(const gw::FolderRow& row) { return DisplayFileName(DecodeFileName(Name(row))); }

QByteArray TFileRows::Path(const gw::FolderRow& row) const
{
    QByteArray path = FFolder;
    if (!path.endsWith('/'))
        path += '/';
    return path + Name(row);
}

std::vector<std::size_t> TFileRows::SortRanks() const
{
    // The rows of one file share its name: the names are ranked once with the locale's
    // collation, then the rows sort by rank, keeping each file's icons in order.
    std::vector<std::size_t> firsts;  // the first row of each file
    std::vector<QString> readable;
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        if (i == 0 || FRows[i].Name != FRows[i - 1].Name) {
            firsts.push_back(i);
            readable.push_back(ShownName(FRows[i]));
        }
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<std::size_t> order(firsts.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return collator.compare(readable[a], readable[b]) < 0; });
    std::vector<std::size_t> fileRank(firsts.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        fileRank[order[i]] = i;
    std::vector<std::size_t> ranks(FRows.size());
    std::size_t file = 0;
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        if (file + 1 < firsts.size() && firsts[file + 1] == i)
            ++file;
        ranks[i] = fileRank[file];
    }
    return ranks;
}
