// The rules of every extraction of many files: entries taken, output folder, free names, folders, depth.
#include "core/ExtractRules.h"

#include "core/FileKinds.h"
#include "core/FileWrite.h"
#include "core/Paths.h"

#include <dirent.h>
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
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return errno;
    // The output folders may be made by the runs themselves, so they are looked up anew.
    std::vector<std::pair<dev_t, ino_t>> outputs;
    auto lookUp = [&outputs](const std::string& o) {
        struct stat st;
        if (::stat(o.c_str(), &st) == 0)
            outputs.emplace_back(st.st_dev, st.st_ino);
    };
    lookUp(FOutput);
    std::for_each(FAvoid.begin(), FAvoid.end(), lookUp);
    // A folder queued before another run chose it as its output is not walked either.
    struct stat self;
    if (::fstat(::dirfd(dir.get()), &self) == 0 &&
        std::find(outputs.begin(), outputs.end(), std::pair(self.st_dev, self.st_ino)) != outputs.end())
        return 0;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    while (const dirent* e = ::readdir(dir.get())) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        Entry entry{e->d_name, prefix + e->d_name};
        struct stat st;
        if (::lstat(entry.Path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (std::find(outputs.begin(), outputs.end(), std::pair(st.st_dev, st.st_ino)) != outputs.end())
                continue;
            if (depth + 1 > kMaxDepth) {
                ++FDepthStops;
                continue;
            }
            entry.Folder = true;
        } else {
            entry.Kind = FindFileKindIndex(entry.Name);
            if (entry.Kind < 0 && std::none_of(FAlso.begin(), FAlso.end(), [&](const std::string& ext) {
                    return HasExtension(entry.Name, ext);
                }))
                continue;
            // Links to files are followed; links to folders are not walked.
            if (S_ISLNK(st.st_mode) && ::stat(entry.Path.c_str(), &st) != 0)
                continue;
            if (!S_ISREG(st.st_mode))
                continue;
        }
        out.push_back(std::move(entry));
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.Name < b.Name; });
    return 0;
}

bool ExtractRules::InsideOutput(const std::string& path) const
{
    return FileWrite::IsWithin(path, FOutput);
}

std::string ExtractRules::ClaimName(const std::string& path)
{
    if (FClaimed.insert(AsciiLowerCase(path)).second)
        return path;
    const std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    for (int n = 2;; ++n) {
        std::string variant = path.substr(0, dot) + "-" + std::to_string(n) + path.substr(dot);
        if (FClaimed.insert(AsciiLowerCase(variant)).second)
            return variant;
    }
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
