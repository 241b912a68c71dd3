// The kinds of files the program looks into for icons, by extension.
#pragma once

#include "core/Paths.h"

#include <cstddef>
#include <string_view>

namespace gw {

struct FileKindInfo {
    const char* Extension;  // lower case, with the dot
};

// The kinds, as indices in kFileKinds.
enum FileKindIndex : int { kExeKind, kDllKind, kBmpKind, kIcoKind, kOcxKind, kBplKind, kCplKind, kIclKind, kScrKind, kDrvKind };

// In the order of FileKindIndex.
inline constexpr FileKindInfo kFileKinds[] = {
    {".exe"}, {".dll"}, {".bmp"}, {".ico"}, {".ocx"}, {".bpl"}, {".cpl"}, {".icl"}, {".scr"}, {".drv"},
};
inline constexpr std::size_t kFileKindCount = sizeof kFileKinds / sizeof kFileKinds[0];
static_assert(kFileKindCount == kDrvKind + 1);

// Whether `fileName` (raw bytes) ends in `extension` (lower case, with the dot), compared
// without regard to ASCII case.
inline bool HasExtension(std::string_view fileName, std::string_view extension)
{
    if (fileName.size() < extension.size())
        return false;
    return EqualsIgnoringAsciiCase(fileName.substr(fileName.size() - extension.size()), extension);
}

// Index in kFileKinds of the kind of `fileName` (raw bytes, any encoding), its last
// extension compared without regard to ASCII case; -1 when it is of no kind.
inline int FindFileKindIndex(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return -1;
    const std::string_view ext = fileName.substr(dot);
    for (std::size_t k = 0; k < kFileKindCount; ++k)
        if (ext.size() == std::string_view(kFileKinds[k].Extension).size() && HasExtension(ext, kFileKinds[k].Extension))
            return int(k);
    return -1;
}

} // namespace gw
