// The names extracted icons and images are written under: one set of names a run has
// claimed, and the two ways a run finds a free one.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace gw {

// The name an icon's file starts with: the file name without its last four characters
// (the dot and extension of every listed kind); shorter names stay whole.
std::string IconFileStem(std::string_view fileName);
// The name of icon `icon` of the file `fileName` without an extension, as a save proposes
// and the window's extractions start from: "notepad.exe", 0 -> "notepad0".
std::string NumberedName(std::string_view fileName, int icon);
// What one image of a group adds to the group's name: its size and depth ("notepad3",
// 48 x 48, 32 bits -> "notepad3" + "_48x48_32").
std::string ImageSuffix(int width, int height, int bitCount);

// The names one run has written, compared without regard to ASCII case (as FAT compares
// names), so that no two results of the run take one name.
class OutputNames {
public:
    // The command line's names: `path` when the run has not claimed it, else the first
    // free variant with "-2", "-3" ... before the last extension. The name returned
    // counts as claimed.
    std::string ClaimVariant(const std::string& path);

    // The window's names: `stem` + n + `extension` for the first n, counting from where
    // the last name of this stem was taken, that the run has not claimed and `take`
    // takes: `take` returns 0 when it wrote the file, EEXIST when the name is taken
    // (the next n is tried), or another errno, which ends the search and is returned.
    // A run that meets many files of one name so looks at each taken name once.
    int ClaimNumbered(const std::string& stem, std::string_view extension,
                      const std::function<int(const std::string& path)>& take);

    // Names ClaimNumbered has looked at, in every run since the program started.
    static long long NumberedLookups();

private:
    std::unordered_set<std::string> FClaimed;  // ASCII lower case
    std::unordered_map<std::string, int> FNextNumber;
};

} // namespace gw
