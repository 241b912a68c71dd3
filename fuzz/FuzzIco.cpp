// Fuzz target: .ico files, and the choice among their images at several sizes.
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const gw::Bytes file(data, size);
    const auto catalog = gw::IconCatalog::Parse(file);
    gw::fuzz::CheckCatalog(file, catalog);
    if (catalog.Kind() != gw::FileKind::Ico)
        return 0;
    const auto images = catalog.GroupImages(0);
    for (gw::Bytes image : images)
        if (auto decoded = gw::DecodeIconImage(image))
            gw::fuzz::CheckDecoded(image, *decoded);
    for (int side : {16, 48}) {
        if (auto icon = gw::ChooseIconImage(images, side)) {
            GW_FUZZ_CHECK(icon->Width == side && icon->Height == side);
            gw::fuzz::CheckImage(*icon);
        }
    }
    return 0;
}
