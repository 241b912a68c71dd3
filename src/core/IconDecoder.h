// Decoding of single icon images (DIB with AND mask, or PNG) and the choice among a group's images.
#pragma once

#include "ByteReader.h"
#include "IconImage.h"
#include "Result.h"

#include <optional>
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

// Picks the image for an icon of side `size`: an exact size with the deepest colour,
// else the nearest size (larger preferred on ties, then deeper), scaled to `size`.
// Images that fail to decode are passed over, up to four of them; nullopt when none decodes.
std::optional<IconImage> ChooseIconImage(const std::vector<Bytes>& images, int size);

} // namespace gw
