// Encoder of single-image, 16-colour .ico files.
#pragma once

#include "IconImage.h"

#include <array>
#include <cstdint>
#include <vector>

namespace gw {

// The standard 16-colour palette as 0xRRGGBB: black, maroon, green, olive, navy,
// purple, teal, silver, grey, red, lime, yellow, blue, fuchsia, aqua, white.
extern const std::array<std::uint32_t, 16> kStandardPalette16;

// Index of the palette colour nearest to `rgb` (Euclidean in RGB; ties go to the lower index).
int NearestPaletteIndex(std::uint32_t rgb);

// One 4-bit colour image with its 1-bit mask, laid out as an .ico file of
// 6 + 16 + 40 + 64 + X + A bytes.
std::vector<std::uint8_t> EncodeIco16(const IconImage& image);

} // namespace gw
