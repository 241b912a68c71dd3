// Files that change while they are read: rewritten, truncated, replaced. Reading
// them may give any answer a complete or partial file gives, but must never kill
// the process, leak a handle, or keep the file open or mapped.
#include "TestSupport.h"
#include "platform/ShellIcons.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

using namespace gwtest;

namespace {

// Count and every icon, as the scan and an extraction ask for them.
void ReadAll(const std::string& file, int maxCount)
{
    const int count = int(ExtractIconA(0, file.c_str(), -1));
    ASSERT_GE(count, 0);
    ASSERT_LE(count, maxCount);
    for (int i = 0; i <= count; ++i) {
        HICON h = ExtractIconA(0, file.c_str(), i);
        if (h > 1) {
            auto icon = IconTable::Get(h);
            ASSERT_TRUE(icon);
            ASSERT_EQ(icon->Width, kLargeIconSize);
            DestroyIcon(h);
        }
    }
}

// Links of this process's open descriptors and its mappings that name `path`.
int OpenOrMapped(const std::string& path)
{
    int found = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(fd.path(), ec).string().find(path) != std::string::npos)
            ++found;
    }
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find(path) != std::string::npos)
            ++found;
    return found;
}

TEST(ChangingFile, RewrittenAndTruncatedInALoopNeverKillsTheReader)
{
    TempDir dir;
    const std::string file = dir / "busy.dll";
    const auto big = ReadBytes(DataPath("groups64.dll"));
    const auto other = ReadBytes(DataPath("library9.icl"));
    std::vector<std::uint8_t> half(big.begin(), big.begin() + std::ptrdiff_t(big.size() / 2));
    WriteBytes(file, big);
    const std::size_t alive = IconTable::AliveCount();
    FileRewriter rewriter(file, {big, half, other, {}, ReadBytes(DataPath("png256.ico"))});
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int reads = 0;
    while (std::chrono::steady_clock::now() < until || rewriter.Rounds() < 20) {
        // Half of the reads through the cache, half without it.
        ShellIconCache::SetEnabled(reads % 2 == 0);
        ReadAll(file, 7);
        ++reads;
    }
    ShellIconCache::SetEnabled(true);
    EXPECT_EQ(IconTable::AliveCount(), alive);
    EXPECT_GT(reads, 10);
}

TEST(ChangingFile, NothingStaysOpenOrMappedAfterARequest)
{
    TempDir dir;
    const std::string file = dir / "stick.dll";
    WriteBytes(file, ReadBytes(DataPath("groups32.dll")));
    ShellIconCache::Clear();
    ASSERT_EQ(ExtractIconA(0, file.c_str(), -1), 7u);
    HICON h = ExtractIconA(0, file.c_str(), 2);
    ASSERT_GT(h, 1u);
    DestroyIcon(h);
    EXPECT_EQ(OpenOrMapped(file), 0);
    // The cached groups still serve the next request, read from the file anew.
    h = ExtractIconA(0, file.c_str(), 3);
    EXPECT_GT(h, 1u);
    DestroyIcon(h);
    EXPECT_EQ(OpenOrMapped(file), 0);
}

TEST(ChangingFile, FileCutAfterItWasCountedGivesNoIconButNoCrash)
{
    TempDir dir;
    const std::string file = dir / "cut.dll";
    const auto bytes = ReadBytes(DataPath("groups64.dll"));
    WriteBytes(file, bytes);
    ASSERT_EQ(ExtractIconA(0, file.c_str(), -1), 7u);
    // Truncated in place, same inode; the modification time moved back to where it
    // was, so only the size tells.
    const auto when = std::filesystem::last_write_time(file);
    ASSERT_EQ(::truncate(file.c_str(), 1024), 0);
    std::filesystem::last_write_time(file, when);
    EXPECT_EQ(ExtractIconA(0, file.c_str(), -1), 0u);
    EXPECT_EQ(ExtractIconA(0, file.c_str(), 0), 0u);
}

} // namespace
