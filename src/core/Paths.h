// Path and ASCII helpers shared by the readers, the writers and the programs: joining a
// folder and a name, the folder of a path, what browsing a path shows, comparing names
// without regard to ASCII case.
#pragma once

#include <string>
#include <string_view>

namespace gw {

// `name` inside `folder`: one slash between them, none added after an empty folder or
// one that ends with a slash.
inline std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

// The folder holding `path`: "." for a bare name, "/" for a name in the root.
inline std::string FolderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    return slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}

// What browsing an absolute path shows: a folder itself, or the folder a file was named
// in (a link is not followed to its target's folder) with the file's name. `Folder` is
// canonical; both are raw bytes.
struct BrowseTarget {
    std::string Folder;
    std::string FileName;
};
// 0, or the errno that makes `path` unusable (gone, unreadable folder ...).
[[nodiscard]] int ResolveBrowseTarget(const std::string& path, BrowseTarget& target);

// `c` with A-Z made lower case; every other byte (UTF-8 included) unchanged.
constexpr char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// `text` with A-Z made lower case.
inline std::string AsciiLowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = AsciiLower(c);
    return lower;
}

// Whether `a` and `b` are equal when A-Z and a-z are taken as the same letters.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

} // namespace gw
