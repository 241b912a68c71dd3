// Decoding of single icon images: DIBs of every depth with their AND mask, and PNG.
#include "TestSupport.h"
#include "core/IconCatalog.h"
#include "core/IconDecoder.h"

#include <gtest/gtest.h>

using namespace gwtest;

namespace {

gw::Bytes View(const std::vector<std::uint8_t>& v) { return {v.data(), v.size()}; }

// Every pixel of `img` against the source PNG: the mask where alpha < 128 (icotool's
// threshold), the colour of every opaque pixel, and the alpha when the image has one.
void ExpectMatchesSource(const gw::IconImage& img, const Rgba& src)
{
    ASSERT_EQ(img.Width, src.Width);
    ASSERT_EQ(img.Height, src.Height);
    ASSERT_EQ(img.Pixels.size(), std::size_t(src.Width) * src.Height);
    int bad = 0;
    for (int y = 0; y < src.Height && bad < 5; ++y) {
        for (int x = 0; x < src.Width && bad < 5; ++x) {
            const std::uint32_t s = src.At(x, y), a = s >> 24;
            const bool transparent = a < 128;
            std::uint32_t expected = s;
            if (!img.HasAlpha)
                expected = transparent ? img.Pixel(x, y) & 0x00FFFFFF : s | 0xFF000000u;
            else if (a == 0)
                expected = 0;
            if (img.Transparent(x, y) != transparent || img.Pixel(x, y) != expected) {
                ADD_FAILURE() << "pixel (" << x << "," << y << "): got " << std::hex << img.Pixel(x, y)
                              << " mask " << img.Transparent(x, y) << ", source " << s;
                ++bad;
            }
        }
    }
}

struct Fixture {
    const char* Ico;
    const char* Png;
    int BitCount;
    bool HasAlpha;
};

class DecodeToolMadeImage : public testing::TestWithParam<Fixture> {};

TEST_P(DecodeToolMadeImage, EqualsTheSourceImage)
{
    const Fixture& f = GetParam();
    const auto ico = ReadBytes(DataPath(f.Ico));
    const auto image = FirstIcoImage(ico);
    auto decoded = gw::DecodeIconImage(View(image));
    ASSERT_TRUE(decoded.Ok()) << gw::ErrorCodeName(decoded.Err().Code) << " " << decoded.Err().Context;
    EXPECT_EQ(decoded->SourceBitCount, f.BitCount);
    EXPECT_EQ(decoded->HasAlpha, f.HasAlpha);
    ExpectMatchesSource(*decoded, LoadPng(ImagePath(f.Png)));

    auto info = gw::PeekIconImage(View(image));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Width, decoded->Width);
    EXPECT_EQ(info->Height, decoded->Height);
    EXPECT_EQ(info->BitCount, f.BitCount);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, DecodeToolMadeImage,
    testing::Values(Fixture{"depth1.ico", "pal2_32.png", 1, false}, Fixture{"depth4.ico", "pal16_32.png", 4, false},
                    Fixture{"depth8.ico", "pal256_32.png", 8, false}, Fixture{"depth24.ico", "rgb_32.png", 24, false},
                    Fixture{"depth32.ico", "alpha_32.png", 32, true},
                    Fixture{"masked4.ico", "masked16_32.png", 4, false},
                    Fixture{"masked32.ico", "masked16_32.png", 32, true},
                    Fixture{"checker64.ico", "checker_64.png", 1, false},
                    Fixture{"png32.ico", "alpha_32.png", 32, true}, Fixture{"png256.ico", "big_256.png", 32, true}),
    [](const testing::TestParamInfo<Fixture>& info) {
        std::string name = info.param.Ico;
        return name.substr(0, name.find('.'));
    });

TEST(DecodeToolMadeImage, KnownPixelsOfTheTwoColourImage)
{
    // The comparison above is only as good as the reference: pin two pixels by value.
    const auto ico = ReadBytes(DataPath("depth1.ico"));
    const auto image = FirstIcoImage(ico);
    auto decoded = gw::DecodeDib(View(image));
    ASSERT_TRUE(decoded.Ok());
    EXPECT_EQ(decoded->Pixel(0, 0), 0xFFF09010u);
    EXPECT_EQ(decoded->Pixel(4, 0), 0xFF2040C0u);
    EXPECT_FALSE(decoded->Transparent(0, 0));
}

// ---- hand-built images: depths and encodings that icotool does not write ----

DibSpec Spec(int width, int height, int bits)
{
    DibSpec s;
    s.Width = width;
    s.Height = height;
    s.BitCount = bits;
    return s;
}

gw::IconImage DecodeOk(const DibSpec& spec)
{
    const auto bytes = BuildDib(spec);
    auto decoded = gw::DecodeDib(View(bytes));
    if (!decoded.Ok()) {
        ADD_FAILURE() << gw::ErrorCodeName(decoded.Err().Code) << " " << decoded.Err().Context;
        return {};
    }
    return std::move(*decoded);
}

TEST(DecodeDib, SixteenBitsDefaultTo555)
{
    DibSpec s = Spec(4, 1, 16);
    s.Rows = {{0x7C00, 0x03E0, 0x001F, 0x4210}};
    gw::IconImage img = DecodeOk(s);
    ASSERT_EQ(img.Width, 4);
    EXPECT_EQ(img.SourceBitCount, 16);
    EXPECT_EQ(img.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(img.Pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(img.Pixel(2, 0), 0xFF0000FFu);
    EXPECT_EQ(img.Pixel(3, 0), 0xFF848484u);  // 16 of 31 scaled to 8 bits
    EXPECT_FALSE(img.HasAlpha);
}

TEST(DecodeDib, SixteenBitBitFields565)
{
    DibSpec s = Spec(3, 2, 16);
    s.Compression = 3;
    s.BitFields = {0xF800, 0x07E0, 0x001F};
    s.Rows = {{0xF800, 0x07E0, 0x001F}, {0xFFFF, 0x0000, 0x0841}};
    gw::IconImage img = DecodeOk(s);
    ASSERT_EQ(img.Height, 2);
    EXPECT_EQ(img.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(img.Pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(img.Pixel(2, 0), 0xFF0000FFu);
    EXPECT_EQ(img.Pixel(0, 1), 0xFFFFFFFFu);
    EXPECT_EQ(img.Pixel(1, 1), 0xFF000000u);
    EXPECT_EQ(img.Pixel(2, 1), 0xFF080808u);
}

TEST(DecodeDib, ThirtyTwoBitBitFieldsWithSwappedChannels)
{
    // Red in the low byte, blue in the third: the masks, not the byte order, decide.
    DibSpec s = Spec(2, 1, 32);
    s.Compression = 3;
    s.BitFields = {0x000000FF, 0x0000FF00, 0x00FF0000};
    s.Rows = {{0xFF0000FF, 0x80FF0000}};
    gw::IconImage img = DecodeOk(s);
    ASSERT_EQ(img.Width, 2);
    EXPECT_TRUE(img.HasAlpha);
    EXPECT_EQ(img.Pixel(0, 0), 0xFFFF0000u);  // red
    EXPECT_EQ(img.Pixel(1, 0), 0x800000FFu);  // half-transparent blue
}

TEST(DecodeDib, PaletteDepthsIndexTheirColourTable)
{
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    // A colour table shorter than the depth allows: the bits follow its last entry.
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        DibSpec s = Spec(9, 2, bits);
        s.Palette.assign(palette.begin(), palette.begin() + (bits == 1 ? 2 : 5));
        std::vector<std::uint32_t> row;
        for (int x = 0; x < 9; ++x)
            row.push_back(bits == 1 ? x % 2 : x % 5);
        s.Rows = {row, std::vector<std::uint32_t>(row.rbegin(), row.rend())};
        gw::IconImage img = DecodeOk(s);
        ASSERT_EQ(img.Width, 9);
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(img.Pixel(x, 0), 0xFF000000u | palette[row[x]]) << x;
            EXPECT_EQ(img.Pixel(8 - x, 1), 0xFF000000u | palette[row[x]]) << x;
        }
    }
}

TEST(DecodeDib, AndMaskMakesPixelsTransparent)
{
    DibSpec s = Spec(3, 2, 24);
    s.Rows = {{0xFF0000, 0x00FF00, 0x0000FF}, {0x101010, 0x202020, 0x303030}};
    s.MaskRows = {{false, true, false}, {true, false, false}};
    gw::IconImage img = DecodeOk(s);
    ASSERT_EQ(img.Width, 3);
    EXPECT_FALSE(img.HasAlpha);
    EXPECT_EQ(img.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_TRUE(img.Transparent(1, 0));
    EXPECT_EQ(img.Pixel(1, 0) >> 24, 0u);
    EXPECT_TRUE(img.Transparent(0, 1));
    EXPECT_FALSE(img.Transparent(1, 1));
    EXPECT_EQ(img.Pixel(2, 1), 0xFF303030u);
}

TEST(DecodeDib, ZeroAlphaIsDrawnThroughTheAndMask)
{
    // masked32.ico: 32 bits whose alpha is 0 or 255 and whose AND mask matches it.
    // With every alpha byte cleared, the AND mask alone must decide.
    const auto ico = ReadBytes(DataPath("masked32.ico"));
    auto image = FirstIcoImage(ico);
    ASSERT_EQ(GetU16(image, 14), 32);
    const std::size_t bits = GetU32(image, 0);
    for (std::size_t i = bits + 3; i < bits + 32 * 32 * 4; i += 4)
        image[i] = 0;
    auto decoded = gw::DecodeDib(View(image));
    ASSERT_TRUE(decoded.Ok());
    EXPECT_FALSE(decoded->HasAlpha);
    ExpectMatchesSource(*decoded, LoadPng(ImagePath("masked16_32.png")));
}

TEST(DecodeDib, AlphaWithEmptyMaskTakesTheMaskFromAlpha)
{
    const auto ico = ReadBytes(DataPath("depth32.ico"));
    auto image = FirstIcoImage(ico);
    const std::size_t maskAt = GetU32(image, 0) + 32 * 32 * 4;
    ASSERT_EQ(image.size(), maskAt + 32 * 4);
    bool hadMask = false;
    for (std::size_t i = maskAt; i < image.size(); ++i) {
        hadMask |= image[i] != 0;
        image[i] = 0;
    }
    ASSERT_TRUE(hadMask) << "fixture should carry a mask to clear";
    auto decoded = gw::DecodeDib(View(image));
    ASSERT_TRUE(decoded.Ok());
    EXPECT_TRUE(decoded->HasAlpha);
    ExpectMatchesSource(*decoded, LoadPng(ImagePath("alpha_32.png")));
}

TEST(DecodeDib, ShortAndMaskLeavesTheMissingRowsOpaque)
{
    DibSpec s = Spec(8, 4, 24);
    s.Rows.assign(4, std::vector<std::uint32_t>(8, 0x336699));
    s.MaskRows.assign(4, std::vector<bool>(8, true));
    auto bytes = BuildDib(s);
    bytes.resize(bytes.size() - 2 * 4);  // the two top rows of the mask are missing
    auto decoded = gw::DecodeDib(View(bytes));
    ASSERT_TRUE(decoded.Ok());
    EXPECT_FALSE(decoded->Transparent(0, 0));
    EXPECT_FALSE(decoded->Transparent(7, 1));
    EXPECT_TRUE(decoded->Transparent(0, 2));
    EXPECT_TRUE(decoded->Transparent(7, 3));
}

TEST(DecodeDib, RefusesImpossibleHeaders)
{
    DibSpec good = Spec(4, 4, 8);
    good.Palette = {0xFF0000};
    good.Rows.assign(4, std::vector<std::uint32_t>(4, 0));
    const auto base = BuildDib(good);
    ASSERT_TRUE(gw::DecodeDib(View(base)).Ok());

    struct Case {
        const char* What;
        std::size_t At;
        std::uint32_t Value;
        gw::ErrorCode Code;
    };
    const Case cases[] = {
        {"width 0", 4, 0, gw::ErrorCode::BadHeader},
        {"width 1025", 4, 1025, gw::ErrorCode::TooLarge},
        {"negative width", 4, std::uint32_t(-4), gw::ErrorCode::BadHeader},
        {"negative height", 8, std::uint32_t(-8), gw::ErrorCode::BadHeader},
        {"height 1 (no icon rows)", 8, 1, gw::ErrorCode::BadHeader},
        {"height 2050", 8, 2050, gw::ErrorCode::TooLarge},
        {"header size 13", 0, 13, gw::ErrorCode::BadHeader},
        {"header size beyond the data", 0, 0xFFFFFFFF, gw::ErrorCode::Truncated},
        {"RLE8", 16, 1, gw::ErrorCode::Unsupported},
        {"bit fields on 8 bits", 16, 3, gw::ErrorCode::Unsupported},
    };
    for (const Case& c : cases) {
        auto bytes = base;
        SetU32(bytes, c.At, c.Value);
        auto r = gw::DecodeDib(View(bytes));
        ASSERT_FALSE(r.Ok()) << c.What;
        EXPECT_EQ(r.Err().Code, c.Code) << c.What;
        EXPECT_FALSE(gw::PeekIconImage(View(bytes))) << c.What;
    }
    for (std::uint16_t bits : {0, 2, 3, 7, 64}) {
        auto bytes = base;
        SetU16(bytes, 14, bits);
        auto r = gw::DecodeDib(View(bytes));
        ASSERT_FALSE(r.Ok()) << bits;
        EXPECT_EQ(r.Err().Code, gw::ErrorCode::Unsupported) << bits;
    }
}

TEST(DecodeDib, RefusesImagesCutShort)
{
    DibSpec s = Spec(16, 16, 24);
    s.Rows.assign(16, std::vector<std::uint32_t>(16, 0x808080));
    const auto full = BuildDib(s);
    // Header, then colour rows: every cut before the end of the colour bits fails.
    for (std::size_t cut : {std::size_t(0), std::size_t(3), std::size_t(39), std::size_t(40), std::size_t(100),
                            std::size_t(40 + 48 * 16 - 1)}) {
        std::vector<std::uint8_t> bytes(full.begin(), full.begin() + std::ptrdiff_t(cut));
        EXPECT_FALSE(gw::DecodeDib(View(bytes)).Ok()) << cut;
    }
    // A colour table that runs past the end.
    DibSpec p = Spec(2, 2, 8);
    p.Palette.assign(256, 0x112233);
    p.Rows.assign(2, std::vector<std::uint32_t>(2, 0));
    auto bytes = BuildDib(p);
    bytes.resize(40 + 100);
    auto r = gw::DecodeDib(View(bytes));
    ASSERT_FALSE(r.Ok());
    EXPECT_EQ(r.Err().Code, gw::ErrorCode::Truncated);
}

TEST(DecodeDib, LargestSideIsAccepted)
{
    DibSpec s = Spec(gw::kMaxIconSide, 1, 1);
    s.Palette = {0, 0xFFFFFF};
    s.Rows = {std::vector<std::uint32_t>(gw::kMaxIconSide, 1)};
    gw::IconImage img = DecodeOk(s);
    EXPECT_EQ(img.Width, gw::kMaxIconSide);
    EXPECT_EQ(img.Pixel(gw::kMaxIconSide - 1, 0), 0xFFFFFFFFu);
}

// ---- PNG ----

TEST(DecodePng, RefusesOversizedAndBrokenImages)
{
    const auto ico = ReadBytes(DataPath("png32.ico"));
    const auto png = FirstIcoImage(ico);
    ASSERT_TRUE(gw::DecodePng(View(png)).Ok());

    auto wide = png;  // IHDR width (big-endian) at 16
    wide[16] = 0;
    wide[17] = 0;
    wide[18] = 0x04;
    wide[19] = 0x01;  // 1025
    auto r = gw::DecodePng(View(wide));
    ASSERT_FALSE(r.Ok());
    EXPECT_EQ(r.Err().Code, gw::ErrorCode::TooLarge);
    EXPECT_FALSE(gw::PeekIconImage(View(wide)));

    for (std::size_t cut : {std::size_t(8), std::size_t(20), std::size_t(33), png.size() / 2, png.size() - 30}) {
        std::vector<std::uint8_t> bytes(png.begin(), png.begin() + std::ptrdiff_t(cut));
        EXPECT_FALSE(gw::DecodePng(View(bytes)).Ok()) << cut;
    }
    std::vector<std::uint8_t> notPng(png.begin() + 1, png.end());
    EXPECT_EQ(gw::DecodePng(View(notPng)).Err().Code, gw::ErrorCode::BadMagic);
}

TEST(PeekIconImage, ReadsSizeAndDepthWithoutDecoding)
{
    const auto sizes = ReadBytes(DataPath("sizes.ico"));
    const std::pair<int, int> expected[] = {{16, 4}, {32, 8}, {48, 32}, {256, 32}};
    for (int i = 0; i < 4; ++i) {
        auto [offset, size] = IcoImageExtent(sizes, i);
        auto info = gw::PeekIconImage(View(sizes).subspan(offset, size));
        ASSERT_TRUE(info) << i;
        EXPECT_EQ(info->Width, expected[i].first);
        EXPECT_EQ(info->Height, expected[i].first);
        EXPECT_EQ(info->BitCount, expected[i].second);
    }
}

} // namespace
