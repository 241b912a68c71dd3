// Encoders: single-image 16-colour .ico files, icon groups as stored, and PNG images.
#pragma once

#include "core/ByteReader.h"
#include "core/IconCatalog.h"
#include "core/IconImage.h"

#include <optional>

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

// An .ico file of a group as stored: a directory with the group's fields for each
// entry, the true size and offset of each image, and the images' bytes unchanged, in
// the group's order. `images[i]` holds the bytes of `entries[i]`. An image that
// several entries name (the same span) is written once and each of them points at it,
// so the file holds no more than the group's distinct images: nullopt when those
// exceed `budget` bytes. With `cursor`, a .cur file: each entry's hot spot where an
// icon's entry holds planes and depth.
std::optional<std::vector<std::uint8_t>> EncodeGroupIco(const std::vector<GroupEntry>& entries,
                                                        const std::vector<Bytes>& images, bool cursor = false,
                                                        std::uint64_t budget = IconCatalog::kDefaultReadBudget);

// An 8-bit RGBA PNG of the image (straight alpha; transparent pixels as the image holds
// them); nullopt when the encoder fails.
std::optional<std::vector<std::uint8_t>> EncodePng(const IconImage& image);

} // namespace gw
