// The rules of every extraction of many files: entries taken, output folder, free names, folders, depth.
#include "core/ExtractRules.h"

#include "core/FileKinds.h"
#include "core/FileWrite.h"
#include "core/FolderListing.h"
#include "core/Paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace gw {

ExtractRules::ExtractRules(std::string outputFolder) : FOutput(std::move(outputFolder)) {}

int ExtractRules::List(const std::string& folder, int depth, std::vector<Entry>& out)
{
    out.clear();
    FolderListing listing(folder, [this](std::string_view name) {
        return FindFileKindIndex(name) >= 0 || std::any_of(FAlso.begin(), FAlso.end(), [&](const std::string& ext) {
                   return HasExtension(name, ext);
               });
    });
    if (listing.Error())
        return listing.Error();
    // The output folders may be made by the runs themselves, so they are looked up anew.
    std::vector<std::pair<dev_t, ino_t>> outputs;
    auto lookUp = [&outputs](const std::string& o) {
        struct stat st;
        if (::stat(o.c_str(), &st) == 0)
            outputs.emplace_back(st.st_dev, st.st_ino);
    };
    lookUp(FOutput);
    std::for_each(FAvoid.begin(), FAvoid.end(), lookUp);
    auto isOutput = [&outputs](dev_t device, ino_t inode) {
        return std::find(outputs.begin(), outputs.end(), std::pair(device, inode)) != outputs.end();
    };
    // A folder queued before another run chose it as its output is not walked either.
    struct stat self;
    if (::stat(folder.c_str(), &self) == 0 && isOutput(self.st_dev, self.st_ino))
        return 0;
    FolderEntry e;
    while (listing.Next(e)) {
        if (e.Folder) {
            if (isOutput(e.Device, e.Inode))
                continue;
            if (depth + 1 > kMaxDepth) {
                ++FDepthStops;
                continue;
            }
        }
        out.push_back(Entry{std::move(e.Name), std::move(e.Path), e.Folder, e.Kind});
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.Name < b.Name; });
    return 0;
}

bool ExtractRules::InsideOutput(const std::string& path) const
{
    return FileWrite::IsWithin(path, FOutput);
}

int ExtractRules::MakeFolders(const std::string& folder)
{
    return MakeFoldersBelow("", folder);
}

int ExtractRules::MakeFoldersBelow(const std::string& root, const std::string& folder)
{
    for (std::size_t i = root.size() + 1; i <= folder.size(); ++i) {
        if (i != folder.size() && folder[i] != '/')
            continue;
        const std::string part = folder.substr(0, i);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

} // namespace gw
