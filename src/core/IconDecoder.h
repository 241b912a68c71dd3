// Decoding of single icon images (DIB with AND mask, or PNG) and the choice among a group's images.
#pragma once

#include "core/ByteReader.h"
#include "core/IconImage.h"
#include "core/Result.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace gw {

// Reads the size and depth of an icon image from its own header (a BITMAPINFOHEADER,
// a 12-byte BITMAPCOREHEADER or a PNG IHDR). Height is the icon height, not doubled.
std::optional<ImageInfo> PeekIconImage(Bytes data);

Result<IconImage> DecodeDib(Bytes data);
Result<IconImage> DecodePng(Bytes data);
// Dispatches on the PNG signature.
Result<IconImage> DecodeIconImage(Bytes data);

// Scales with an area (box) filter in premultiplied colour; the mask follows the alpha.
IconImage ScaleIcon(const IconImage& source, int width, int height);

// Images already decoded (and scaled), found again by their stored bytes: an image that
// many icon groups of a file name, or one group names many times, is decoded once.
// Failed decodes are remembered too. Bounded: once `maxBytes` are held, further
// images are decoded without being kept.
class DecodeMemo {
public:
    explicit DecodeMemo(std::size_t maxBytes = std::size_t(32) << 20) : FMaxBytes(maxBytes) {}

    // The result remembered for the stored image `data` at side `size`; null when the
    // image has not been seen (a held nullopt: it failed to decode).
    const std::optional<IconImage>* Find(Bytes data, int size) const;
    void Add(Bytes data, int size, const std::optional<IconImage>& image);
    void Clear();
    // Images decoded through this memo since it was made (its misses).
    std::size_t Decodes() const { return FDecodes; }
    void CountDecode() { ++FDecodes; }

private:
    struct Entry {
        std::vector<std::uint8_t> Data;
        int Size;
        std::optional<IconImage> Image;
    };
    std::unordered_multimap<std::size_t, Entry> FEntries;
    std::size_t FBytes = 0;
    std::size_t FMaxBytes;
    std::size_t FDecodes = 0;
};

// Picks the image for an icon of side `size`: an exact size with the deepest colour,
// else the nearest size (larger preferred on ties, then deeper), scaled to `size`.
// Images that fail to decode are passed over, up to four of them; nullopt when none
// decodes. With a memo, images decoded before are not decoded again.
std::optional<IconImage> ChooseIconImage(const std::vector<Bytes>& images, int size, DecodeMemo* memo = nullptr);

} // namespace gw
