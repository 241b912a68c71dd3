// Fuzz target: .ico files, each of their images and the choice among them.
#include "FuzzChecks.h"

#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const gw::Bytes file(data, size);
    const auto catalog = gw::IconCatalog::Parse(file);
    // The side of the largest images an .ico entry can name: the choice among them is
    // this target's business, decoding megapixel PNGs the png target's.
    constexpr int kMaxSide = 256;
    gw::fuzz::CheckCatalog(file, catalog, kMaxSide);
    if (catalog.Kind() != gw::FileKind::Ico)
        return 0;
    // Entries may name one image many times; each is decoded once.
    std::set<std::pair<const std::uint8_t*, std::size_t>> seen;
    for (gw::Bytes image : catalog.GroupImages(0)) {
        if (!seen.insert({image.data(), image.size()}).second || !gw::fuzz::AllWithin({image}, kMaxSide))
            continue;
        if (auto decoded = gw::DecodeIconImage(image))
            gw::fuzz::CheckDecoded(image, *decoded);
    }
    return 0;
}
