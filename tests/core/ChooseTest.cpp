// The choice of one image from a group for the 32 x 32 icon, and the area filter.
#include "TestSupport.h"
#include "core/IconCatalog.h"
#include "core/IconDecoder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gwtest;

namespace {

gw::Bytes View(const std::vector<std::uint8_t>& v) { return {v.data(), v.size()}; }

// All images of an .ico file, as the catalog lists them.
std::vector<gw::Bytes> Images(const std::vector<std::uint8_t>& ico)
{
    return gw::IconCatalog::Parse(View(ico)).GroupImages(0);
}

TEST(ChooseIconImage, ExactSizeWithTheDeepestColourWins)
{
    // multi.ico: 16 (4 bits), 32 (32 bits), 32 (4 bits), 48 (32 bits), 32 (8 bits).
    const auto ico = ReadBytes(DataPath("multi.ico"));
    const auto images = Images(ico);
    ASSERT_EQ(images.size(), 5u);
    auto chosen = gw::ChooseIconImage(images, 32);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->SourceBitCount, 32);
    const Rgba src = LoadPng(ImagePath("alpha_32.png"));
    EXPECT_EQ(chosen->Pixel(31, 31), src.At(31, 31));
    EXPECT_EQ(chosen->Pixel(20, 3), src.At(20, 3));

    // Without the 32-bit image the 8-bit one beats the 4-bit one, wherever it stands.
    std::vector<gw::Bytes> rest = {images[0], images[2], images[3], images[4]};
    chosen = gw::ChooseIconImage(rest, 32);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->SourceBitCount, 8);
    std::vector<gw::Bytes> low = {images[2], images[0], images[3]};
    chosen = gw::ChooseIconImage(low, 32);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->SourceBitCount, 4);
    EXPECT_EQ(chosen->Width, 32);
}

TEST(ChooseIconImage, NearestSizeIsScaledWithAnAreaFilter)
{
    // no32.ico: 16 x 16 (4 bits) and 48 x 48 (24 bits), equally far from 32: the
    // larger one is scaled down.
    const auto ico = ReadBytes(DataPath("no32.ico"));
    auto chosen = gw::ChooseIconImage(Images(ico), 32);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->Width, 32);
    EXPECT_EQ(chosen->Height, 32);
    EXPECT_EQ(chosen->SourceBitCount, 24);
    // Destination pixel 10 covers source pixels 15 (two thirds) and 16 (one third)
    // on each axis; rgb_48.png has red = 5x and green = 5y.
    const Rgba src = LoadPng(ImagePath("rgb_48.png"));
    ASSERT_EQ(src.At(15, 0) >> 16 & 0xFF, 75u);
    const std::uint32_t c = std::uint32_t(std::lround((2 * 75 + 80) / 3.0));
    EXPECT_EQ(chosen->Pixel(10, 10), 0xFF000000u | c << 16 | c << 8 | 0x80);
    EXPECT_FALSE(chosen->Transparent(10, 10));
}

TEST(ChooseIconImage, CheckerboardAveragesToGrey)
{
    // A one-pixel checkerboard halved: every output pixel covers two black and two
    // white pixels. Point sampling would give black or white.
    const auto ico = ReadBytes(DataPath("checker64.ico"));
    auto chosen = gw::ChooseIconImage(Images(ico), 32);
    ASSERT_TRUE(chosen);
    for (int y = 0; y < 32; y += 7)
        for (int x = 0; x < 32; x += 5)
            EXPECT_EQ(chosen->Pixel(x, y), 0xFF808080u) << x << "," << y;
}

TEST(ChooseIconImage, PngFrameIsScaledWithItsTransparency)
{
    // big_256.png: a 16-pixel transparent border around 32-pixel colour blocks.
    const auto ico = ReadBytes(DataPath("png256.ico"));
    auto chosen = gw::ChooseIconImage(Images(ico), 32);
    ASSERT_TRUE(chosen);
    ASSERT_EQ(chosen->Width, 32);
    EXPECT_TRUE(chosen->Transparent(0, 0));
    EXPECT_TRUE(chosen->Transparent(1, 31));
    EXPECT_EQ(chosen->Pixel(0, 0), 0u);
    EXPECT_FALSE(chosen->Transparent(2, 2));
    EXPECT_EQ(chosen->Pixel(2, 2), 0xFFE02020u);  // first block colour
    EXPECT_EQ(chosen->Pixel(6, 2), 0xFF20E020u);  // second block
}

TEST(ChooseIconImage, ImagesThatDoNotDecodeArePassedOver)
{
    const auto multi = ReadBytes(DataPath("multi.ico"));
    const auto images = Images(multi);
    // A 32 x 32 32-bit header with its pixels cut off, then the 16 x 16 image.
    std::vector<std::uint8_t> broken(images[1].begin(), images[1].begin() + 60);
    auto chosen = gw::ChooseIconImage({View(broken), images[0]}, 32);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->SourceBitCount, 4);
    EXPECT_EQ(chosen->Width, 32);

    EXPECT_FALSE(gw::ChooseIconImage({View(broken)}, 32));
    EXPECT_FALSE(gw::ChooseIconImage({}, 32));
}

TEST(ScaleIcon, MaskFollowsTheAveragedAlpha)
{
    // 2 x 1 -> 1 x 1: one opaque and one transparent pixel give alpha 128, opaque.
    gw::IconImage src;
    src.Width = 4;
    src.Height = 2;
    src.HasAlpha = true;
    src.Pixels = {0xFFFF0000, 0x00000000, 0xFF0000FF, 0x00000000,
                  0xFFFF0000, 0x00000000, 0x40000000, 0x00000000};
    src.Mask = {0, 1, 0, 1, 0, 1, 1, 1};
    gw::IconImage out = gw::ScaleIcon(src, 2, 1);
    ASSERT_EQ(out.Pixels.size(), 2u);
    // Premultiplied: the transparent pixels add no colour.
    EXPECT_EQ(out.Pixel(0, 0), 0x80FF0000u);
    EXPECT_FALSE(out.Transparent(0, 0));
    // (255 + 64) / 4 = 80 alpha: transparent; colour is the weighted blue and black.
    EXPECT_EQ(out.Pixel(1, 0) >> 24, 80u);
    EXPECT_TRUE(out.Transparent(1, 0));
}

} // namespace
