// TIcon's .ico writer: byte layout, colour mapping, errors and file handling.
#include "TestSupport.h"
#include "core/FileWrite.h"
#include "core/IcoEncoder.h"
#include "platform/Icon.h"
#include "platform/ShellIcons.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>

using namespace gwtest;

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint32_t kPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// An icon image without alpha: `rgb(x, y)` colours, `clear(x, y)` transparent pixels.
gw::IconImage MakeImage(int w, int h, const std::function<std::uint32_t(int, int)>& rgb,
                        const std::function<bool(int, int)>& clear = {})
{
    gw::IconImage img;
    img.Width = w;
    img.Height = h;
    img.SourceBitCount = 24;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool t = clear && clear(x, y);
            img.Pixels.push_back((t ? 0u : 0xFF000000u) | (rgb(x, y) & 0xFFFFFF));
            img.Mask.push_back(t ? 1 : 0);
        }
    }
    return img;
}

// Saves through a holder and returns the file's bytes.
Bytes Save(gw::IconImage image, const std::string& path)
{
    TIcon icon;
    icon.SetHandle(IconTable::Create(std::move(image)));
    icon.SaveToFile(path);
    return ReadBytes(path);
}

std::size_t Stride(int width, int bits) { return std::size_t((width * bits + 31) / 32) * 4; }

// The palette index that the file stores for pixel (x, y) of a W x H icon.
int Nibble(const Bytes& file, int w, int h, int x, int y)
{
    const std::size_t row = 126 + std::size_t(h - 1 - y) * Stride(w, 4);
    const std::uint8_t b = file.at(row + std::size_t(x) / 2);
    return x % 2 ? b & 0xF : b >> 4;
}

bool MaskBit(const Bytes& file, int w, int h, int x, int y)
{
    const std::size_t row = 126 + Stride(w, 4) * h + std::size_t(h - 1 - y) * Stride(w, 1);
    return file.at(row + std::size_t(x) / 8) & (0x80 >> (x % 8));
}

std::string Hex(const Bytes& bytes, std::size_t from, std::size_t count)
{
    std::string out;
    char buf[4];
    for (std::size_t i = from; i < from + count; ++i) {
        std::snprintf(buf, sizeof buf, i + 1 < from + count ? "%02X " : "%02X", bytes.at(i));
        out += buf;
    }
    return out;
}

struct SizeCase {
    int Side;
    std::uint32_t BytesInRes;
};

class IcoWriterSizes : public testing::TestWithParam<SizeCase> {};

TEST_P(IcoWriterSizes, HeaderFieldsAndFileSize)
{
    const SizeCase c = GetParam();
    TempDir dir;
    const Bytes f = Save(MakeImage(c.Side, c.Side, [](int x, int y) { return (x * 7 + y * 3) * 0x010203u; }),
                         dir / "icon.ico");
    const std::uint32_t x = std::uint32_t(Stride(c.Side, 4) * c.Side);
    ASSERT_EQ(f.size(), 22 + c.BytesInRes);
    EXPECT_EQ(c.BytesInRes, 104 + x + Stride(c.Side, 1) * c.Side);
    EXPECT_EQ(Hex(f, 0, 6), "00 00 01 00 01 00");
    EXPECT_EQ(f[6], std::uint8_t(c.Side));  // 256 is written as 0
    EXPECT_EQ(f[7], std::uint8_t(c.Side));
    EXPECT_EQ(f[8], 4);                     // planes x bit count as one word
    EXPECT_EQ(f[9], 0);
    EXPECT_EQ(GetU16(f, 10), 0);
    EXPECT_EQ(GetU16(f, 12), 0);
    EXPECT_EQ(GetU32(f, 14), c.BytesInRes);
    EXPECT_EQ(GetU32(f, 18), 22u);
    // BITMAPINFOHEADER
    EXPECT_EQ(GetU32(f, 22), 40u);
    EXPECT_EQ(GetU32(f, 26), std::uint32_t(c.Side));
    EXPECT_EQ(GetU32(f, 30), std::uint32_t(2 * c.Side));
    EXPECT_EQ(GetU16(f, 34), 1);
    EXPECT_EQ(GetU16(f, 36), 4);
    EXPECT_EQ(GetU32(f, 38), 0u);
    EXPECT_EQ(GetU32(f, 42), x);
    EXPECT_EQ(GetU32(f, 46), 0u);
    EXPECT_EQ(GetU32(f, 50), 0u);
    EXPECT_EQ(GetU32(f, 54), 16u);
    EXPECT_EQ(GetU32(f, 58), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sides, IcoWriterSizes,
                         testing::Values(SizeCase{16, 296}, SizeCase{20, 424}, SizeCase{24, 488},
                                         SizeCase{32, 744}, SizeCase{48, 1640}, SizeCase{256, 41064}),
                         [](const auto& info) { return std::to_string(info.param.Side); });

TEST(IcoWriter, ExactHeaderOf32x32)
{
    TempDir dir;
    const Bytes f = Save(MakeImage(32, 32, [](int, int) { return 0xFF0000u; }), dir / "a.ico");
    ASSERT_EQ(f.size(), 766u);
    EXPECT_EQ(Hex(f, 0, 22), "00 00 01 00 01 00 20 20 04 00 00 00 00 00 E8 02 00 00 16 00 00 00");
    EXPECT_EQ(GetU32(f, 30), 64u);
    EXPECT_EQ(GetU32(f, 42), 512u);
}

TEST(IcoWriter, ColourTableIsTheStandardPalette)
{
    TempDir dir;
    const Bytes f = Save(MakeImage(16, 16, [](int, int) { return 0u; }), dir / "a.ico");
    for (int i = 0; i < 16; ++i) {
        const std::size_t at = 62 + 4 * std::size_t(i);
        EXPECT_EQ(f[at], kPalette[i] & 0xFF) << i;          // blue
        EXPECT_EQ(f[at + 1], kPalette[i] >> 8 & 0xFF) << i;  // green
        EXPECT_EQ(f[at + 2], kPalette[i] >> 16) << i;        // red
        EXPECT_EQ(f[at + 3], 0) << i;
    }
}

TEST(IcoWriter, ColoursMapToTheNearestEntryLeftPixelInTheHighNibble)
{
    // Row 0: the palette itself; row 1: colours near entries; row 2: the palette reversed.
    const std::uint32_t near[16] = {0x101010, 0x701010, 0x107010, 0x707020, 0x101070, 0x701070,
                                    0x107070, 0xB0B0B0, 0x909090, 0xF01010, 0x10F010, 0xF0F010,
                                    0x1010F0, 0xF010F0, 0x10F0F0, 0xF0F0F0};
    auto rgb = [&](int x, int y) {
        if (y == 0)
            return kPalette[x];
        if (y == 1)
            return near[x];
        return kPalette[15 - x];
    };
    TempDir dir;
    const Bytes f = Save(MakeImage(16, 3, rgb), dir / "a.ico");
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(Nibble(f, 16, 3, x, 0), x) << x;
        EXPECT_EQ(Nibble(f, 16, 3, x, 1), x) << x;
        EXPECT_EQ(Nibble(f, 16, 3, x, 2), 15 - x) << x;
    }
    // Bottom-up: the first colour row in the file is the bottom row (reversed palette),
    // two pixels a byte with the left one in the high nibble.
    EXPECT_EQ(Hex(f, 126, 8), "FE DC BA 98 76 54 32 10");
    EXPECT_EQ(Hex(f, 126 + 16, 8), "01 23 45 67 89 AB CD EF");
}

TEST(IcoWriter, MaskRowsBottomUpMostSignificantBitFirst)
{
    TempDir dir;
    auto clear = [](int x, int y) { return (x == 0 && y == 0) || (x == 9 && y == 3) || (x == 19 && y == 19); };
    const Bytes f = Save(MakeImage(20, 20, [](int, int) { return 0xFFFFFFu; }, clear), dir / "a.ico");
    const std::size_t mask = 126 + 12 * 20;
    EXPECT_EQ(Hex(f, mask + 19 * 4, 4), "80 00 00 00");  // top row, stored last
    EXPECT_EQ(Hex(f, mask + 16 * 4, 4), "00 40 00 00");  // row 3, pixel 9
    EXPECT_EQ(Hex(f, mask, 4), "00 00 10 00");           // bottom row, pixel 19
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(MaskBit(f, 20, 20, x, y), clear(x, y)) << x << "," << y;
}

TEST(IcoWriter, RowsOfOddWidthsArePaddedWithZeros)
{
    // 20 pixels: colour rows of 10 bytes + 2 padding, mask rows of 2.5 bytes + 1.5 padding.
    TempDir dir;
    const Bytes f = Save(MakeImage(20, 20, [](int, int) { return 0xFFFFFFu; }, [](int, int) { return true; }),
                         dir / "a.ico");
    ASSERT_EQ(GetU32(f, 14), 424u);
    for (int row = 0; row < 20; ++row) {
        EXPECT_EQ(Hex(f, 126 + 12 * std::size_t(row), 12), "FF FF FF FF FF FF FF FF FF FF 00 00") << row;
        EXPECT_EQ(Hex(f, 126 + 240 + 4 * std::size_t(row), 4), "FF FF F0 00") << row;
    }
}

TEST(IcoWriter, TransparentPixelsOfAlphaIconsAreWrittenBlack)
{
    // Colour bits under a set mask bit would invert the background.
    gw::IconImage img = MakeImage(8, 1, [](int, int) { return 0xFFFFFFu; });
    img.HasAlpha = true;
    img.Pixels[3] = 0x00FFFFFF;
    img.Mask[3] = 1;
    TempDir dir;
    const Bytes f = Save(img, dir / "a.ico");
    EXPECT_EQ(Nibble(f, 8, 1, 3, 0), 0);
    EXPECT_EQ(Nibble(f, 8, 1, 2, 0), 15);
    EXPECT_TRUE(MaskBit(f, 8, 1, 3, 0));
}

TEST(IcoWriter, IcotoolReadsTheFileAsWritten)
{
    // An independent reader: icotool lists the image and extracts it as a PNG.
    TempDir dir;
    auto rgb = [](int x, int y) { return kPalette[(x / 4 + y / 8 * 2) % 16]; };
    auto clear = [](int x, int y) { return x >= 28 || (y == 5 && x == 5); };
    Save(MakeImage(32, 32, rgb, clear), dir / "icon.ico");
    const std::string list = std::string(GW_ICOTOOL) + " -l '" + (dir / "icon.ico") + "'";
    FILE* p = ::popen(list.c_str(), "r");
    ASSERT_TRUE(p);
    char line[256] = {};
    ASSERT_TRUE(std::fgets(line, sizeof line, p));
    ::pclose(p);
    EXPECT_STREQ(line, "--icon --index=1 --width=32 --height=32 --bit-depth=4 --palette-size=16\n");

    const std::string extract = std::string(GW_ICOTOOL) + " -x -o '" + dir.Path() + "' '" + (dir / "icon.ico") + "'";
    ASSERT_EQ(std::system(extract.c_str()), 0);
    const Rgba png = LoadPng(dir / "icon_1_32x32x4.png");
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (clear(x, y))
                EXPECT_EQ(png.Alpha(x, y), 0u) << x << "," << y;
            else
                EXPECT_EQ(png.At(x, y), 0xFF000000u | rgb(x, y)) << x << "," << y;
}

// ---- every source depth gives the same 766-byte layout ----

class IcoWriterFromSource : public testing::TestWithParam<const char*> {};

TEST_P(IcoWriterFromSource, ThirtyTwoPixelIconGives766Bytes)
{
    TempDir dir;
    std::string source = GetParam();
    if (source == "depth16") {
        // icotool writes no 16-bit images: a 5-5-5 image built here.
        DibSpec s;
        s.Width = s.Height = 32;
        s.BitCount = 16;
        for (int y = 0; y < 32; ++y) {
            s.Rows.emplace_back();
            for (int x = 0; x < 32; ++x)
                s.Rows.back().push_back(std::uint32_t(x) << 10 | std::uint32_t(y) << 5 | 0x1F);
        }
        source = dir / "depth16.ico";
        WriteBytes(source, BuildIco({BuildDib(s)}));
    } else {
        source = DataPath(source);
    }
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, source.c_str(), 0));
    ASSERT_GT(icon.GetHandle(), 1u);
    auto image = IconTable::Get(icon.GetHandle());
    icon.SaveToFile(dir / "out.ico");
    const Bytes f = ReadBytes(dir / "out.ico");
    ASSERT_EQ(f.size(), 766u);
    EXPECT_EQ(Hex(f, 0, 22), "00 00 01 00 01 00 20 20 04 00 00 00 00 00 E8 02 00 00 16 00 00 00");
    EXPECT_EQ(GetU32(f, 30), 64u);
    EXPECT_EQ(GetU16(f, 36), 4);
    EXPECT_EQ(GetU32(f, 54), 16u);
    EXPECT_EQ(GetU32(f, 42), 512u);
    // Every pixel lands on the palette entry nearest to the decoded colour, and the
    // mask is the icon's.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool t = image->Transparent(x, y);
            EXPECT_EQ(MaskBit(f, 32, 32, x, y), t);
            if (!t) {
                EXPECT_EQ(Nibble(f, 32, 32, x, y), gw::NearestPaletteIndex(image->Pixel(x, y)));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, IcoWriterFromSource,
                         testing::Values("depth1.ico", "depth4.ico", "depth8.ico", "depth16", "depth24.ico",
                                         "depth32.ico", "png32.ico", "masked4.ico", "library4.icl"),
                         [](const auto& info) {
                             std::string n = info.param;
                             return n.substr(0, n.find('.'));
                         });

// ---- errors: the target is never touched, nothing is left behind ----

template <class E>
std::string Error(const std::function<void()>& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("wrong exception: ") + e.what();
    }
    return "no exception";
}

TEST(IcoWriterErrors, NoIconIsInvalidAndCreatesNoFile)
{
    TempDir dir;
    TIcon icon;
    EXPECT_EQ(Error<EInvalidGraphic>([&] { icon.SaveToFile(dir / "new.ico"); }), "Icon image is not valid");
    EXPECT_TRUE(dir.List().empty());
    WriteBytes(dir / "old.ico", {'k', 'e', 'e', 'p'});
    EXPECT_EQ(Error<EInvalidGraphic>([&] { icon.SaveToFile(dir / "old.ico"); }), "Icon image is not valid");
    EXPECT_EQ(ReadBytes(dir / "old.ico"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"old.ico"});
    std::ostringstream stream;
    EXPECT_EQ(Error<EInvalidGraphic>([&] { icon.SaveToStream(stream); }), "Icon image is not valid");
    EXPECT_TRUE(stream.str().empty());
}

TEST(IcoWriterErrors, NotAnIconHasNoValidBitmap)
{
    TempDir dir;
    WriteBytes(dir / "old.ico", {'k', 'e', 'e', 'p'});
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, ImagePath("pal2_32.png").c_str(), 0));
    ASSERT_EQ(icon.GetHandle(), 1u);
    EXPECT_EQ(Error<EInvalidGraphic>([&] { icon.SaveToFile(dir / "old.ico"); }), "Bitmap image is not valid");
    EXPECT_EQ(Error<EInvalidGraphic>([&] { icon.SaveToFile(dir / "new.ico"); }), "Bitmap image is not valid");
    EXPECT_EQ(ReadBytes(dir / "old.ico"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"old.ico"});

    // A handle that was destroyed behind the holder's back.
    HICON h = ExtractIconA(0, DataPath("depth4.ico").c_str(), 0);
    icon.SetHandle(h);
    DestroyIcon(h);
    EXPECT_EQ(Error<EInvalidGraphic>([&] { icon.SaveToFile(dir / "new.ico"); }), "Bitmap image is not valid");
    EXPECT_EQ(dir.List(), std::vector<std::string>{"old.ico"});
}

TEST(IcoWriterErrors, FileThatCannotBeCreated)
{
    TempDir dir;
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("depth4.ico").c_str(), 0));
    const std::string missing = dir / "no-such-folder/out.ico";
    EXPECT_EQ(Error<EFCreateError>([&] { icon.SaveToFile(missing); }), "Cannot create file " + missing);
    // The target is a folder: it stays, and no temporary file is left beside it.
    ASSERT_EQ(::mkdir((dir / "taken.ico").c_str(), 0755), 0);
    EXPECT_EQ(Error<EFCreateError>([&] { icon.SaveToFile(dir / "taken.ico"); }),
              "Cannot create file " + (dir / "taken.ico"));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"taken.ico"});
}

TEST(IcoWriterErrors, UnwritableFolder)
{
    TempDir dir;
    const std::string sub = dir / "readonly";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    WriteBytes(sub + "/old.ico", {'k', 'e', 'e', 'p'});
    ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("depth4.ico").c_str(), 0));
    icon.Encoded();
    const int result = RunUnprivileged([&] {
        for (const std::string name : {"old.ico", "new.ico"}) {
            const std::string target = sub + "/" + name;
            if (Error<EFCreateError>([&] { icon.SaveToFile(target); }) != "Cannot create file " + target)
                return 1;
        }
        return 0;
    });
    ASSERT_NE(result, -1) << "cannot drop privileges";
    EXPECT_EQ(result, 0) << "wrong or no error";
    EXPECT_EQ(ReadBytes(sub + "/old.ico"), (Bytes{'k', 'e', 'e', 'p'}));
    std::vector<std::string> left;
    for (auto& e : std::filesystem::directory_iterator(sub))
        left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"old.ico"});
}

TEST(IcoWriterErrors, StreamThatCannotTakeEverything)
{
    // A stream buffer that takes 100 bytes and then refuses.
    struct Small : std::streambuf {
        std::size_t Room = 100;
        int_type overflow(int_type c) override { return Room ? (--Room, c) : traits_type::eof(); }
        std::streamsize xsputn(const char*, std::streamsize n) override
        {
            std::streamsize take = std::min<std::streamsize>(n, std::streamsize(Room));
            Room -= std::size_t(take);
            return take;
        }
    } buffer;
    std::ostream stream(&buffer);
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("depth4.ico").c_str(), 0));
    EXPECT_THROW(icon.SaveToStream(stream), EWriteError);
}

// ---- saving again ----

TEST(IcoWriterFiles, SavingTwiceGivesIdenticalFilesFromOneEncoding)
{
    TempDir dir;
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("groups64.dll").c_str(), 3));
    icon.SaveToFile(dir / "a.ico");
    const std::uint8_t* cached = icon.Encoded().data();
    icon.SaveToFile(dir / "b.ico");
    EXPECT_EQ(icon.Encoded().data(), cached);
    EXPECT_EQ(ReadBytes(dir / "a.ico"), ReadBytes(dir / "b.ico"));
    std::ostringstream stream;
    icon.SaveToStream(stream);
    const std::string s = stream.str();
    EXPECT_EQ(Bytes(s.begin(), s.end()), ReadBytes(dir / "a.ico"));

    // A new handle drops the cached encoding.
    icon.SetHandle(ExtractIconA(0, DataPath("groups64.dll").c_str(), 0));
    icon.SaveToFile(dir / "c.ico");
    EXPECT_NE(ReadBytes(dir / "c.ico"), ReadBytes(dir / "a.ico"));
}

TEST(IcoWriterFiles, OverwritingReplacesTheWholeFile)
{
    TempDir dir;
    WriteBytes(dir / "old.ico", Bytes(5000, 0xAA));
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("depth8.ico").c_str(), 0));
    icon.SaveToFile(dir / "old.ico");
    icon.SaveToFile(dir / "fresh.ico");
    EXPECT_EQ(ReadBytes(dir / "old.ico"), ReadBytes(dir / "fresh.ico"));
    EXPECT_EQ(ReadBytes(dir / "old.ico").size(), 766u);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"fresh.ico", "old.ico"}));
}

TEST(IcoWriterFiles, BareNameIsWrittenInTheCurrentFolder)
{
    TempDir dir;
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("depth8.ico").c_str(), 0));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    icon.SaveToFile("bare.ico");
    const bool fresh = icon.SaveToNewFile("other.ico");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"bare.ico", "other.ico"}));
    EXPECT_EQ(ReadBytes(dir / "bare.ico").size(), 766u);
}

TEST(IcoWriterFiles, NewFilesGetTheUsualPermissions)
{
    TempDir dir;
    const mode_t previous = ::umask(022);
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("depth8.ico").c_str(), 0));
    icon.SaveToFile(dir / "a.ico");
    ::umask(previous);
    struct stat st;
    ASSERT_EQ(::stat((dir / "a.ico").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(IcoWriterFiles, SaveToNewFileNeverReplaces)
{
    TempDir dir;
    WriteBytes(dir / "old.ico", {'k', 'e', 'e', 'p'});
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("depth8.ico").c_str(), 0));
    EXPECT_FALSE(icon.SaveToNewFile(dir / "old.ico"));
    EXPECT_EQ(ReadBytes(dir / "old.ico"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(icon.SaveToNewFile(dir / "new.ico"));
    EXPECT_EQ(ReadBytes(dir / "new.ico").size(), 766u);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"new.ico", "old.ico"}));
}

// On a file system without hard links, exclusive renames or modes (fusefat), the
// writer still takes new names only, and says why when it cannot.
TEST(IcoWriterFiles, WithoutLinksRenamesOrModesTakenNamesAndFailuresAreReported)
{
    FileWrite::Operations& ops = FileWrite::Seam();
    ops.Link = [](const char*, const char*) {
        errno = EPERM;
        return -1;
    };
    ops.RenameNoReplace = [](const char*, const char*) {
        errno = EINVAL;
        return -1;
    };
    ops.Fchmod = [](int, mode_t) {
        errno = ENOSYS;
        return -1;
    };
    struct Reset {
        ~Reset() { FileWrite::ResetSeam(); }
    } reset;
    TempDir dir;
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, DataPath("depth4.ico").c_str(), 0));
    EXPECT_TRUE(icon.SaveToNewFile(dir / "a0.ico"));
    EXPECT_FALSE(icon.SaveToNewFile(dir / "a0.ico"));
    EXPECT_EQ(ReadBytes(dir / "a0.ico").size(), 766u);
    try {
        icon.SaveToNewFile(dir / "none/a0.ico");
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Code, ENOENT);
    }
    EXPECT_EQ(dir.List(), std::vector<std::string>{"a0.ico"});
}

} // namespace
