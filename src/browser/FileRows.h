// TFileRows: the rows of the listed folder, the data the list view's items show.
#pragma once

#include "core/FolderListing.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <vector>

class TFileRows {
public:
    // No rows; the next ones are of `folder` (raw bytes).
    void Clear(const QByteArray& folder);
    // Adds `row`; the row returned stays where it is until Clear.
    const gw::FolderRow& Add(gw::FolderRow row);
    int Count() const { return int(FRows.size()); }

    const QByteArray& Folder() const { return FFolder; }
    // The row's file name, as bytes and as the list shows it.
    static QByteArray Name(const gw::FolderRow& row);
    static QString ShownName(const gw::FolderRow& row);
    // The row's file: the folder joined to its name.
    QByteArray Path(const gw::FolderRow& row) const;

    // The rank of each row in the list's order: files by their shown names in the
    // locale's collation, a file's icons in their order. Indexed as the rows were added.
    std::vector<std::size_t> SortRanks() const;
    const gw::FolderRow& Row(std::size_t added) const { return FRows[added]; }

private:
    QByteArray FFolder;
    std::deque<gw::FolderRow> FRows;
};
