// What browsing a path shows: the folder and the file's name.
#include "core/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>

namespace gw {

namespace {

// The canonical form of an existing folder; empty (errno set) when there is none.
std::string RealFolder(const std::string& path)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

} // namespace

int ResolveBrowseTarget(const std::string& path, BrowseTarget& target)
{
    target = {};
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return path.empty() ? ENOENT : errno;
    if (S_ISDIR(st.st_mode)) {
        target.Folder = RealFolder(path);
    } else {
        std::string file = path;
        while (file.size() > 1 && file.back() == '/')
            file.pop_back();
        const std::size_t slash = file.rfind('/');
        if (slash == std::string::npos)
            return EINVAL;
        target.FileName = file.substr(slash + 1);
        target.Folder = RealFolder(FolderOf(file));
    }
    if (target.Folder.empty())
        return errno ? errno : ENOENT;
    return 0;
}

} // namespace gw
