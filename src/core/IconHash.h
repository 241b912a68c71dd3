// The fingerprint of an icon group: the SHA-256 of its .ico as extracted, and a
// difference hash of its largest image that finds icons that look alike.
#pragma once

#include "core/ByteReader.h"
#include "core/IconFile.h"
#include "core/IconImage.h"
#include "core/Result.h"

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace gw {

struct IconFingerprint {
    std::string Sha256;       // of the group's .ico (.cur) as extract writes it, 64 hex digits
    std::uint64_t Dhash = 0;  // of the largest image; bit 0 the most significant
    ImageSummary Largest;     // the image the dhash is of
    std::vector<ImageSummary> Images;  // every image of the group, in directory order
};

// SHA-256 of `data` as 64 lowercase hex digits.
std::string Sha256Hex(Bytes data);

// The 64-bit difference hash of `image`: composited over white, made grey as an 8-bit
// luma (R*19595 + G*38470 + B*7471 + 32768) >> 16, reduced to 9x8 with a box filter,
// bit (row*8 + col) set when pixel (col+1, row) is brighter than pixel (col, row),
// bit 0 being the most significant.
std::uint64_t DifferenceHash(const IconImage& image);
// 16 lowercase hex digits.
std::string DhashHex(std::uint64_t dhash);
// Bits in which two hashes differ: 0 for the same picture, up to 64.
inline int HashDistance(std::uint64_t a, std::uint64_t b) { return std::popcount(a ^ b); }

// The fingerprint of group `group` of `file` (a cursor group with `cursors`) in its
// first language; an error when the group cannot be read or no image of it decoded.
Result<IconFingerprint> Fingerprint(const IconFile& file, std::size_t group, bool cursors = false);
// The same of a group's .ico (.cur with `cursors`) bytes.
Result<IconFingerprint> FingerprintIco(Bytes ico, bool cursors = false);

} // namespace gw
