// The icon handle table and TIcon's ownership of handles: nothing leaks.
#include "TestSupport.h"
#include "platform/Icon.h"
#include "platform/ShellIcons.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

using namespace gwtest;

namespace {

const std::string kLibrary = DataPath("groups64.dll");

TEST(IconHandles, ExtractAddsOneAndDestroyRemovesIt)
{
    const std::size_t base = IconTable::AliveCount();
    HICON h = ExtractIconA(0, kLibrary.c_str(), 0);
    ASSERT_GT(h, 1u);
    EXPECT_EQ(IconTable::AliveCount(), base + 1);
    ASSERT_TRUE(IconTable::Get(h));
    EXPECT_TRUE(DestroyIcon(h));
    EXPECT_EQ(IconTable::AliveCount(), base);
    EXPECT_FALSE(IconTable::Get(h));
    EXPECT_FALSE(DestroyIcon(h));  // twice
}

TEST(IconHandles, QueriesAndFailuresCreateNoHandle)
{
    const std::size_t base = IconTable::AliveCount();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ExtractIconA(0, kLibrary.c_str(), -1), 7u);
    EXPECT_EQ(ExtractIconA(0, kLibrary.c_str(), 6), 0u);  // missing icon
    EXPECT_EQ(ExtractIconA(0, kLibrary.c_str(), 99), 0u);
    EXPECT_EQ(ExtractIconA(0, ImagePath("pal2_32.png").c_str(), 0), 1u);
    EXPECT_EQ(IconTable::AliveCount(), base);
    EXPECT_FALSE(DestroyIcon(0));
    EXPECT_FALSE(DestroyIcon(1));
    EXPECT_FALSE(IconTable::Get(0));
    EXPECT_FALSE(IconTable::Get(1));
}

TEST(IconHandles, HandlesAreNeverZeroOrOneAndNeverReused)
{
    gw::IconImage img;
    img.Width = img.Height = 1;
    img.Pixels = {0xFF000000};
    img.Mask = {0};
    std::set<HICON> seen;
    for (int i = 0; i < 50; ++i) {
        HICON h = IconTable::Create(img);
        EXPECT_GT(h, 1u);
        EXPECT_TRUE(seen.insert(h).second);
        DestroyIcon(h);
    }
}

TEST(TIconOwnership, AssigningDestroysThePreviousHandle)
{
    const std::size_t base = IconTable::AliveCount();
    {
        TIcon icon;
        HICON first = ExtractIconA(0, kLibrary.c_str(), 0);
        icon.SetHandle(first);
        EXPECT_EQ(IconTable::AliveCount(), base + 1);
        HICON second = ExtractIconA(0, kLibrary.c_str(), 1);
        icon.SetHandle(second);
        EXPECT_EQ(IconTable::AliveCount(), base + 1);
        EXPECT_FALSE(IconTable::Get(first));
        EXPECT_TRUE(IconTable::Get(second));
        icon.SetHandle(second);  // the same handle again stays alive
        EXPECT_TRUE(IconTable::Get(second));
        icon.SetHandle(0);
        EXPECT_EQ(IconTable::AliveCount(), base);
        EXPECT_TRUE(icon.Empty());
        icon.SetHandle(1);  // "not an icon" is held, and dropping it is harmless
        icon.SetHandle(ExtractIconA(0, kLibrary.c_str(), 2));
    }
    // Destroying the holder destroyed its last handle.
    EXPECT_EQ(IconTable::AliveCount(), base);
}

TEST(TIconOwnership, ExtractingEveryIconThroughOneHolderLeavesNothing)
{
    const std::size_t base = IconTable::AliveCount();
    for (const char* name : {"groups32.dll", "library4.icl", "multi.ico"}) {
        const std::string file = DataPath(name);
        TIcon icon;
        const int count = int(ExtractIconA(0, file.c_str(), -1));
        for (int i = 0; i < count; ++i) {
            icon.SetHandle(ExtractIconA(0, file.c_str(), i));
            EXPECT_LE(IconTable::AliveCount(), base + 1);
        }
    }
    EXPECT_EQ(IconTable::AliveCount(), base);
}

TEST(IconHandles, ConcurrentExtractionGivesDistinctHandles)
{
    const std::size_t base = IconTable::AliveCount();
    std::vector<HICON> handles[2];
    auto work = [](std::vector<HICON>& out) {
        for (int round = 0; round < 20; ++round)
            for (const char* name : {"groups32.dll", "groups64.dll", "library9.icl"})
                for (int i = 0; i < 4; ++i)
                    out.push_back(ExtractIconA(0, DataPath(name).c_str(), i));
    };
    std::thread a(work, std::ref(handles[0])), b(work, std::ref(handles[1]));
    a.join();
    b.join();
    std::set<HICON> all(handles[0].begin(), handles[0].end());
    all.insert(handles[1].begin(), handles[1].end());
    EXPECT_EQ(all.size(), handles[0].size() + handles[1].size());
    EXPECT_EQ(IconTable::AliveCount(), base + all.size());
    for (HICON h : all)
        EXPECT_TRUE(DestroyIcon(h));
    EXPECT_EQ(IconTable::AliveCount(), base);
}

} // namespace
