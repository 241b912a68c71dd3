// Listing a folder's entries under the rules the list and the walks share.
#include "core/FolderListing.h"

#include "core/FileKinds.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace gw {

FolderListing::FolderListing(const std::string& folder, std::function<bool(std::string_view)> wanted)
    : FDir(::opendir(folder.c_str()), &::closedir)
    , FPrefix(folder.empty() || folder.back() == '/' ? folder : folder + "/")
    , FWanted(std::move(wanted))
{
    if (!FDir)
        FError = errno;
}

bool FolderListing::Next(FolderEntry& entry)
{
    if (!FDir)
        return false;
    while (const dirent* e = ::readdir(FDir.get())) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        entry = FolderEntry{e->d_name, FPrefix + e->d_name};
        struct stat st;
        if (::lstat(entry.Path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            entry.Folder = true;
            entry.Device = st.st_dev;
            entry.Inode = st.st_ino;
            return true;
        }
        if (FWanted && !FWanted(entry.Name))
            continue;
        // Links to files are followed; links to folders are not listed.
        if (S_ISLNK(st.st_mode) && ::stat(entry.Path.c_str(), &st) != 0)
            continue;
        if (!S_ISREG(st.st_mode))
            continue;
        entry.Kind = FindFileKindIndex(entry.Name);
        entry.Size = std::uint64_t(st.st_size);
        return true;
    }
    return false;
}

} // namespace gw
