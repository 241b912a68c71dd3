// ExtractIconA over PE32, PE32+, NE and .ico fixtures and over files that hold no icons.
#include "TestSupport.h"
#include "platform/ShellIcons.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>

using namespace gwtest;

namespace {

// The icon behind ExtractIconA(file, index), its handle destroyed; null for 0 and 1.
std::shared_ptr<const gw::IconImage> Take(const std::string& file, int index)
{
    HICON h = ExtractIconA(0, file.c_str(), index);
    if (h <= 1)
        return nullptr;
    auto image = IconTable::Get(h);
    EXPECT_TRUE(DestroyIcon(h));
    return image;
}

int Count(const std::string& file) { return int(ExtractIconA(0, file.c_str(), -1)); }

// Every pixel of a 32 x 32 icon equals the (opaque) source image.
void ExpectSource(const std::shared_ptr<const gw::IconImage>& icon, const std::string& png)
{
    ASSERT_TRUE(icon) << png;
    const Rgba src = LoadPng(ImagePath(png));
    ASSERT_EQ(icon->Width, src.Width);
    ASSERT_EQ(icon->Height, src.Height);
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < src.Width; ++x)
            if (src.Alpha(x, y) == 255)
                ASSERT_EQ(icon->Pixel(x, y), src.At(x, y)) << png << " (" << x << "," << y << ")";
            else
                ASSERT_TRUE(icon->Transparent(x, y)) << png << " (" << x << "," << y << ")";
}

void ExpectSame(const std::shared_ptr<const gw::IconImage>& a, const std::shared_ptr<const gw::IconImage>& b)
{
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_EQ(a->Width, b->Width);
    EXPECT_EQ(a->Pixels, b->Pixels);
    EXPECT_EQ(a->Mask, b->Mask);
}

class ExtractFromPe : public testing::TestWithParam<const char*> {
protected:
    std::string File = DataPath(GetParam());
};

TEST_P(ExtractFromPe, CountsEachGroupOnce)
{
    // Eight group entries, group 7 in two languages.
    EXPECT_EQ(Count(File), 7);
}

TEST_P(ExtractFromPe, IconsFollowTheStoredGroupOrder)
{
    ExpectSource(Take(File, 0), "pal2_32.png");    // APPLE
    ExpectSource(Take(File, 1), "rgb_32.png");     // STARLIGHT
    ExpectSource(Take(File, 2), "pal256_32.png");  // 7, German: depth8.ico
    ExpectSource(Take(File, 3), "pal256_32.png");  // 42: the 8-bit 32 x 32 of sizes.ico
    ExpectSame(Take(File, 4), Take(DataPath("no32.ico"), 0));  // 55: 48 x 48 scaled
    ExpectSource(Take(File, 5), "pal16_32.png");   // 300
    EXPECT_EQ(ExtractIconA(0, File.c_str(), 6), 0u);  // 1000: its icon is missing
}

TEST_P(ExtractFromPe, NegativeIndexNamesAResourceId)
{
    ExpectSame(Take(File, -7), Take(File, 2));
    ExpectSame(Take(File, -42), Take(File, 3));
    ExpectSame(Take(File, -300), Take(File, 5));
    for (int index : {-2, -3, -1000, -32768, INT_MIN})
        EXPECT_EQ(ExtractIconA(0, File.c_str(), index), 0u) << index;
}

TEST_P(ExtractFromPe, IndexBeyondTheGroupsGivesNoIcon)
{
    for (int index : {7, 8, 300, INT_MAX})
        EXPECT_EQ(ExtractIconA(0, File.c_str(), index), 0u) << index;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ExtractFromPe, testing::Values("groups32.dll", "groups64.dll"),
                         [](const auto& info) { return std::string(info.param).substr(0, 8); });

TEST(ExtractFromPe, LibraryWithoutIconsHasNone)
{
    const std::string file = DataPath("noicons64.dll");
    EXPECT_EQ(Count(file), 0);
    EXPECT_EQ(ExtractIconA(0, file.c_str(), 0), 0u);
    EXPECT_EQ(Count(DataPath("noicons32.dll")), 0);
}

class ExtractFromNe : public testing::TestWithParam<const char*> {
protected:
    std::string File = DataPath(GetParam());
};

TEST_P(ExtractFromNe, GroupsInStoredOrder)
{
    EXPECT_EQ(Count(File), 4);
    ExpectSource(Take(File, 0), "pal16_32.png");     // SUNRISE: 32 and 16, the 32 wins
    ExpectSource(Take(File, 1), "pal2_32.png");      // 5
    ExpectSource(Take(File, 2), "masked16_32.png");  // MOON: 12-byte header, with mask
    ExpectSource(Take(File, 3), "pal256_32.png");    // 2
    EXPECT_EQ(ExtractIconA(0, File.c_str(), 4), 0u);
}

TEST_P(ExtractFromNe, NegativeIndexNamesAResourceId)
{
    ExpectSame(Take(File, -5), Take(File, 1));
    ExpectSame(Take(File, -2), Take(File, 3));
    EXPECT_EQ(ExtractIconA(0, File.c_str(), -3), 0u);
}

INSTANTIATE_TEST_SUITE_P(Alignments, ExtractFromNe, testing::Values("library4.icl", "library9.icl"),
                         [](const auto& info) { return std::string(info.param).substr(0, 8); });

TEST(ExtractFromIco, OneIconNumberZero)
{
    const std::string file = DataPath("multi.ico");
    EXPECT_EQ(Count(file), 1);
    auto icon = Take(file, 0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->SourceBitCount, 32);  // the deepest 32 x 32 of five images
    for (int index : {1, 2, -2, -32768})
        EXPECT_EQ(ExtractIconA(0, file.c_str(), index), 0u) << index;
}

TEST(ExtractFromIco, EveryIconIsLargeIconSize)
{
    for (const char* name : {"depth1.ico", "checker64.ico", "png256.ico", "no32.ico", "sizes.ico"}) {
        auto icon = Take(DataPath(name), 0);
        ASSERT_TRUE(icon) << name;
        EXPECT_EQ(icon->Width, kLargeIconSize) << name;
        EXPECT_EQ(icon->Height, kLargeIconSize) << name;
        EXPECT_EQ(icon->Pixels.size(), 32u * 32u) << name;
        EXPECT_EQ(icon->Mask.size(), 32u * 32u) << name;
    }
}

TEST(ExtractFromOther, ReadableFilesWithoutIconsGiveCountZeroAndHandleOne)
{
    TempDir dir;
    WriteBytes(dir / "notes.txt", {'h', 'e', 'l', 'l', 'o'});
    WriteBytes(dir / "fake.ico", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'c', 'o', 'n'});
    WriteBytes(dir / "dos.exe", {'M', 'Z', 0, 0});
    for (const std::string& file : {ImagePath("pal2_32.png"), dir / "notes.txt", dir / "fake.ico"}) {
        EXPECT_EQ(Count(file), 0) << file;
        EXPECT_EQ(ExtractIconA(0, file.c_str(), 0), 1u) << file;
        EXPECT_EQ(ExtractIconA(0, file.c_str(), 3), 1u) << file;
    }
}

TEST(ExtractFromOther, ContentDecidesNotTheExtension)
{
    TempDir dir;
    WriteBytes(dir / "library.txt", ReadBytes(DataPath("groups64.dll")));
    WriteBytes(dir / "icon.dll", ReadBytes(DataPath("depth4.ico")));
    EXPECT_EQ(Count(dir / "library.txt"), 7);
    EXPECT_EQ(Count(dir / "icon.dll"), 1);
    ExpectSource(Take(dir / "icon.dll", 0), "pal16_32.png");
}

TEST(ExtractFromOther, UnusablePathsGiveZero)
{
    TempDir dir;
    WriteBytes(dir / "empty.ico", {});
    std::filesystem::create_directory(dir / "folder.dll");
    ASSERT_EQ(::mkfifo((dir / "pipe.ico").c_str(), 0600), 0);
    for (const std::string& file : {dir / "empty.ico", dir / "folder.dll", dir / "missing.dll", dir / "pipe.ico",
                                    std::string()}) {
        EXPECT_EQ(Count(file), 0) << file;
        EXPECT_EQ(ExtractIconA(0, file.c_str(), 0), 0u) << file;
    }
    EXPECT_EQ(ExtractIconA(0, nullptr, -1), 0u);
    EXPECT_EQ(ExtractIconA(0, nullptr, 0), 0u);
}

TEST(ExtractFromOther, UnreadableFileGivesZero)
{
    TempDir dir;
    const std::string file = dir / "locked.dll";
    WriteBytes(file, ReadBytes(DataPath("groups64.dll")));
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const int result = RunUnprivileged([&] {
        ShellIconCache::Clear();
        if (ExtractIconA(0, file.c_str(), -1) != 0)
            return 1;
        if (ExtractIconA(0, file.c_str(), 0) != 0)
            return 2;
        return 0;
    });
    ASSERT_NE(result, -1) << "cannot drop privileges";
    EXPECT_EQ(result, 0) << "1: counted, 2: extracted an unreadable file";
}

TEST(ExtractIcon, BareNameIsFoundInTheCurrentFolder)
{
    // The folder scan passes names relative to the current folder.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(GW_TEST_DATA_DIR);
    const int count = Count("groups32.dll");
    auto icon = Take("library4.icl", 1);
    std::filesystem::current_path(previous);
    EXPECT_EQ(count, 7);
    ExpectSource(icon, "pal2_32.png");
}

TEST(ExtractIcon, SameFileAndIndexGiveTheSameIconEveryTime)
{
    const std::string file = DataPath("groups64.dll");
    HICON a = ExtractIconA(0, file.c_str(), 3);
    HICON b = ExtractIconA(0, file.c_str(), 3);
    EXPECT_NE(a, b);  // each call hands out its own handle
    ExpectSame(IconTable::Get(a), IconTable::Get(b));
    DestroyIcon(a);
    DestroyIcon(b);
    ShellIconCache::SetEnabled(false);
    auto uncached = Take(file, 3);
    ShellIconCache::SetEnabled(true);
    ExpectSame(uncached, Take(file, 3));
}

TEST(ExtractIcon, ChangedOrVanishedFileIsReadAgain)
{
    TempDir dir;
    const std::string file = dir / "changing.dll";
    WriteBytes(file, ReadBytes(DataPath("depth4.ico")));
    EXPECT_EQ(Count(file), 1);
    ExpectSource(Take(file, 0), "pal16_32.png");
    WriteBytes(file, ReadBytes(DataPath("library9.icl")));
    EXPECT_EQ(Count(file), 4);
    // Same size (766 bytes each), other contents, a later modification time.
    auto rewrite = [&](const char* name) {
        const auto before = std::filesystem::last_write_time(file);
        WriteBytes(file, ReadBytes(DataPath(name)));
        std::filesystem::last_write_time(file, before + std::chrono::seconds(1));
    };
    rewrite("masked4.ico");
    EXPECT_EQ(Count(file), 1);
    ExpectSource(Take(file, 0), "masked16_32.png");
    rewrite("depth4.ico");
    ExpectSource(Take(file, 0), "pal16_32.png");
    std::filesystem::remove(file);
    EXPECT_EQ(Count(file), 0);
    EXPECT_EQ(ExtractIconA(0, file.c_str(), 0), 0u);
}

TEST(ExtractIcon, AnImageThatManyGroupsNameIsDecodedOnce)
{
    // 1000 groups naming one 1024 x 1024 PNG of 64-row bands, as wrestool lists them.
    TempDir dir;
    const std::string file = dir / "shared.dll";
    WriteBytes(file, ReadBytes(DataPath("shared1000.dll")));
    ASSERT_EQ(Count(file), 1000);
    // Bands of black, red, green, blue, ... scaled to 32 rows: two rows each.
    const std::uint32_t bands[] = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    const std::size_t before = ShellIconCache::ImagesDecoded();
    for (int i = 0; i < 1000; ++i) {
        auto icon = Take(file, i);
        ASSERT_TRUE(icon) << i;
        ASSERT_EQ(icon->Width, 32);
        for (int band = 0; band < 4; ++band)
            ASSERT_EQ(icon->Pixel(7, 2 * band + 1), bands[band]) << i;
    }
    EXPECT_EQ(ShellIconCache::ImagesDecoded() - before, 1u);

    // Another file between: the memory of the first is dropped, and a changed file
    // is decoded anew.
    EXPECT_TRUE(Take(DataPath("depth4.ico"), 0));
    EXPECT_TRUE(Take(file, 5));
    const auto stamp = std::filesystem::last_write_time(file);
    std::filesystem::last_write_time(file, stamp + std::chrono::seconds(1));
    EXPECT_TRUE(Take(file, 6));
    EXPECT_EQ(ShellIconCache::ImagesDecoded() - before, 4u);
}

} // namespace
