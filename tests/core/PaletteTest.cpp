// The standard 16-colour palette and the nearest-colour mapping of the .ico encoder.
#include "core/IcoEncoder.h"

#include <gtest/gtest.h>

namespace {

TEST(Palette16, HoldsTheStandardColoursInOrder)
{
    const std::uint32_t expected[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(gw::kStandardPalette16[i], expected[i]) << i;
        EXPECT_EQ(gw::NearestPaletteIndex(expected[i]), i) << i;
    }
}

TEST(Palette16, MapsToTheNearestColour)
{
    EXPECT_EQ(gw::NearestPaletteIndex(0xF01010), 9);   // red
    EXPECT_EQ(gw::NearestPaletteIndex(0x101070), 4);   // navy
    EXPECT_EQ(gw::NearestPaletteIndex(0x606060), 8);   // grey
    EXPECT_EQ(gw::NearestPaletteIndex(0xD0D0D0), 7);   // silver
    EXPECT_EQ(gw::NearestPaletteIndex(0x30302F), 0);   // black
    EXPECT_EQ(gw::NearestPaletteIndex(0xE0E020), 11);  // yellow
    EXPECT_EQ(gw::NearestPaletteIndex(0x20A0A0), 6);   // teal
    // Alpha bits do not take part.
    EXPECT_EQ(gw::NearestPaletteIndex(0xFF00FF00), 10);
}

TEST(Palette16, TiesGoToTheLowerIndex)
{
    // 0xA0 grey lies 0x20 from both grey (8) and silver (7) on every channel.
    EXPECT_EQ(gw::NearestPaletteIndex(0xA0A0A0), 7);
    // 0x40 red lies as far from black (0) as from maroon (1).
    EXPECT_EQ(gw::NearestPaletteIndex(0x400000), 0);
}

} // namespace
