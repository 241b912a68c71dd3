// A decoded icon image: colour pixels plus the transparency mask.
#pragma once

#include <cstdint>
#include <vector>

namespace gw {

// Icons larger than this on either side are refused before anything is allocated.
inline constexpr int kMaxIconSide = 1024;

struct IconImage {
    int Width = 0;
    int Height = 0;
    // Top-down rows, 0xAARRGGBB. Alpha is meaningful only when HasAlpha is set;
    // otherwise it is 0xFF where the mask is opaque and 0 where it is transparent.
    std::vector<std::uint32_t> Pixels;
    // One byte per pixel, top-down: 1 where the icon is transparent (the AND mask).
    std::vector<std::uint8_t> Mask;
    bool HasAlpha = false;
    // Bits per pixel of the source image (1 ... 32); PNG images count as 32.
    int SourceBitCount = 0;

    bool Empty() const { return Width <= 0 || Height <= 0; }
    std::uint32_t Pixel(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
    bool Transparent(int x, int y) const { return Mask[static_cast<std::size_t>(y) * Width + x] != 0; }
};

// Size and depth of an icon image, read from its own header without decoding it.
struct ImageInfo {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
};

} // namespace gw
