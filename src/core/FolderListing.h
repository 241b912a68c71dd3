// The entries of a folder as the browser's list and every extraction walk see them.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <dirent.h>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace gw {

// One entry a listing takes.
struct FolderEntry {
    std::string Name;  // raw bytes
    std::string Path;
    bool Folder = false;     // a folder, not reached through a link
    int Kind = -1;           // a file's index in kFileKinds, -1 for none
    std::uint64_t Size = 0;  // a file's size in bytes
    dev_t Device = 0;        // a folder's identity
    ino_t Inode = 0;
};

// Reads a folder's entries one at a time, in the order the file system gives them. It
// takes folders (not links to them) and regular files, also through links; "." and
// "..", links that lead nowhere or to folders, and everything else are left out.
class FolderListing {
public:
    // Takes the files whose raw name `wanted` accepts (all files without it); the others
    // are passed over before a link is followed.
    explicit FolderListing(const std::string& folder, std::function<bool(std::string_view name)> wanted = {});

    // 0, or the errno when the folder cannot be read.
    int Error() const { return FError; }
    // The next entry taken; false at the end.
    bool Next(FolderEntry& entry);

private:
    std::unique_ptr<DIR, int (*)(DIR*)> FDir;
    std::string FPrefix;
    std::function<bool(std::string_view)> FWanted;
    int FError = 0;
};

// One row of the browser's list: icon `Icon` of a file of the folder.
struct FolderRow {
    std::string Name;  // raw bytes
    int Kind = -1;     // index in kFileKinds
    std::uint64_t Size = 0;
    int Icon = 0;  // numbered from 0, as the shell numbers icons
};

} // namespace gw
