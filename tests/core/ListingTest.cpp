// The entries a folder listing takes: what the browser's list and the walks look at.
#include "TestSupport.h"
#include "core/ExtractRules.h"
#include "core/FileKinds.h"
#include "core/FolderListing.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <map>

using gwtest::TempDir;

namespace {

struct Seen {
    bool Folder;
    int Kind;
    std::uint64_t Size;
    bool operator==(const Seen&) const = default;
};

std::map<std::string, Seen> ListAll(const std::string& folder, std::function<bool(std::string_view)> wanted = {})
{
    std::map<std::string, Seen> seen;
    gw::FolderListing listing(folder, std::move(wanted));
    EXPECT_EQ(listing.Error(), 0);
    gw::FolderEntry e;
    while (listing.Next(e)) {
        EXPECT_EQ(e.Path, folder + "/" + e.Name);
        seen[e.Name] = {e.Folder, e.Kind, e.Size};
    }
    return seen;
}

// Files through links, folders not through links, no "." or "..", nothing else: a
// listing of the list is a listing of the walks.
TEST(FolderListing, TakesFilesThroughLinksAndFoldersNotThroughLinks)
{
    TempDir dir;
    std::ofstream(dir / "a.dll") << "12345";
    std::ofstream(dir / "B.EXE") << "1";
    std::ofstream(dir / "notes.txt") << "123";
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir / "folder.dll").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("a.dll", (dir / "link.ocx").c_str()), 0);
    ASSERT_EQ(::symlink("sub", (dir / "sublink.dll").c_str()), 0);
    ASSERT_EQ(::symlink("gone", (dir / "broken.dll").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.dll").c_str(), 0644), 0);
    const std::string gb = "\xb1\xea.ico";  // GB2312, not UTF-8
    std::ofstream(dir / gb) << "12";

    const std::map<std::string, Seen> all = {
        {"a.dll", {false, gw::kDllKind, 5}},  {"B.EXE", {false, gw::kExeKind, 1}}, {"notes.txt", {false, -1, 3}},
        {"sub", {true, -1, 0}},               {"folder.dll", {true, -1, 0}},      {"link.ocx", {false, gw::kOcxKind, 5}},
        {gb, {false, gw::kIcoKind, 2}},
    };
    EXPECT_EQ(ListAll(dir.Path()), all);

    // A filter passes over files before their links are followed; folders always come.
    std::vector<std::string> asked;
    const auto kinds = ListAll(dir.Path(), [&asked](std::string_view name) {
        asked.emplace_back(name);
        return gw::FindFileKindIndex(name) >= 0;
    });
    auto expected = all;
    expected.erase("notes.txt");
    EXPECT_EQ(kinds, expected);
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"B.EXE", "a.dll", "broken.dll", "link.ocx", "notes.txt", "pipe.dll",
                                               "sublink.dll", gb}));

    gw::FolderListing gone(dir / "missing");
    EXPECT_EQ(gone.Error(), ENOENT);
    gw::FolderEntry e;
    EXPECT_FALSE(gone.Next(e));

    // The walks take the same entries, sorted, never their own output folder.
    gw::ExtractRules rules(dir / "sub");
    std::vector<gw::ExtractRules::Entry> walked;
    ASSERT_EQ(rules.List(dir.Path(), 0, walked), 0);
    std::vector<std::string> names;
    for (const auto& w : walked)
        names.push_back(w.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"B.EXE", "a.dll", "folder.dll", "link.ocx", gb}));
}

} // namespace
