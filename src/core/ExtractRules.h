// The rules of every extraction of many files, kept alike by the window's folder
// commands and the command-line tool: what a walk takes, the output folder never
// walked, names free within a run, missing folders made, the depth limit.
#pragma once

#include "core/OutputNames.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace gw {

class ExtractRules {
public:
    // Folder levels a walk enters below its root: deeper folders are not walked, and
    // the walk says so (DepthStops).
    static constexpr int kMaxDepth = 256;

    // One entry of a folder that a walk looks at.
    struct Entry {
        std::string Name;  // raw bytes
        std::string Path;
        bool Folder = false;  // a folder to walk; otherwise a regular file
        int Kind = -1;        // the file's index in kFileKinds
    };

    // A run that writes into `outputFolder`.
    explicit ExtractRules(std::string outputFolder);

    const std::string& OutputFolder() const { return FOutput; }

    // The entries of `folder` a walk takes, sorted by name: files of the program's
    // kinds (through links, which must lead to regular files) and folders (not links),
    // never the output folder (nor those of AvoidAlso) nor anything below it: such a
    // folder itself gives no entries. `depth` is the folder's level
    // below the walk's root; its subfolders are left out at the depth limit, counted
    // in DepthStops. Returns 0, or the errno when the folder cannot be read.
    int List(const std::string& folder, int depth, std::vector<Entry>& out);

    // Folders other runs write into now: never walked either.
    void AvoidAlso(std::vector<std::string> folders) { FAvoid = std::move(folders); }

    // Files ending in one of `extensions` (lower case, with the dot) are taken too,
    // with Kind -1: kinds the window does not list.
    void TakeAlso(std::vector<std::string> extensions) { FAlso = std::move(extensions); }

    // Subfolders left out of the run's walks at the depth limit.
    int DepthStops() const { return FDepthStops; }

    // Whether `path` is the output folder or lies below it, as the file system
    // resolves both; a walk rooted there would feed on its own output.
    bool InsideOutput(const std::string& path) const;

    // The names the run's results have taken.
    OutputNames& Names() { return FNames; }
    // Names().ClaimVariant(path).
    std::string ClaimName(const std::string& path) { return FNames.ClaimVariant(path); }

    // Makes `folder` and every missing folder above it. 0 or the errno.
    static int MakeFolders(const std::string& folder);
    // Makes the missing folders between `root` and `folder` (which lies below it or is
    // it), never `root` itself: a root that has gone stays gone. 0 or the errno.
    static int MakeFoldersBelow(const std::string& root, const std::string& folder);

private:
    std::string FOutput;
    OutputNames FNames;
    int FDepthStops = 0;
    std::vector<std::string> FAlso;
    std::vector<std::string> FAvoid;
};

} // namespace gw
