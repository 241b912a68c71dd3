// Fuzz target: decode an image, write it as a 16-colour .ico, read that back and
// compare it with what the writer was asked to keep.
#include "FuzzChecks.h"
#include "core/IcoEncoder.h"

namespace {

void RoundTrip(const gw::IconImage& source)
{
    const std::vector<std::uint8_t> ico = gw::EncodeIco16(source);
    const std::uint64_t colorStride = ((std::uint64_t(source.Width) * 4 + 31) / 32) * 4;
    const std::uint64_t maskStride = ((std::uint64_t(source.Width) + 31) / 32) * 4;
    GW_FUZZ_CHECK(ico.size() == 6 + 16 + 40 + 64 + (colorStride + maskStride) * std::uint64_t(source.Height));

    const gw::Bytes file(ico.data(), ico.size());
    const auto catalog = gw::IconCatalog::Parse(file);
    GW_FUZZ_CHECK(catalog.Kind() == gw::FileKind::Ico && catalog.Count() == 1);
    const auto images = catalog.GroupImages(0);
    GW_FUZZ_CHECK(images.size() == 1);

    // A square icon goes through the same choice ExtractIconA makes; at its own size
    // it must come back unscaled.
    std::optional<gw::IconImage> reread;
    if (source.Width == source.Height) {
        reread = catalog.Extract(0, source.Width);
    } else if (auto decoded = gw::DecodeIconImage(images[0])) {
        reread = std::move(*decoded);
    }
    GW_FUZZ_CHECK(reread.has_value());
    gw::fuzz::CheckDecoded(images[0], *reread);
    GW_FUZZ_CHECK(reread->Width == source.Width && reread->Height == source.Height);
    GW_FUZZ_CHECK(reread->SourceBitCount == 4 && !reread->HasAlpha);

    for (int y = 0; y < source.Height; ++y) {
        for (int x = 0; x < source.Width; ++x) {
            const bool transparent = source.Transparent(x, y);
            // Transparent pixels of an image with alpha are written black.
            const int index = transparent && source.HasAlpha
                                  ? 0
                                  : gw::NearestPaletteIndex(source.Pixel(x, y) & 0xFFFFFF);
            const std::uint32_t expected =
                gw::kStandardPalette16[index] | (transparent ? 0u : 0xFF000000u);
            GW_FUZZ_CHECK(reread->Transparent(x, y) == transparent);
            GW_FUZZ_CHECK(reread->Pixel(x, y) == expected);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto decoded = gw::DecodeIconImage(gw::Bytes(data, size));
    // Icons are written at 256 pixels a side at most (the largest an .ico entry can
    // name); bigger images would only slow the search down.
    if (!decoded || decoded->Width > 256 || decoded->Height > 256)
        return 0;
    RoundTrip(*decoded);
    // What the writer sees in the program: the icon at the large size.
    if (decoded->Width != 32 || decoded->Height != 32)
        RoundTrip(gw::ScaleIcon(*decoded, 32, 32));
    return 0;
}
