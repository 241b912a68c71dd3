// Fuzz target: the 16-bit NE resource reader (icon libraries and old executables).
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const gw::Bytes file(data, size);
    // Tight limits as well as the defaults: the cut-offs must leave a consistent catalog.
    for (const gw::CatalogLimits& limits : {gw::CatalogLimits{}, gw::CatalogLimits{2, 1}}) {
        const auto catalog = gw::IconCatalog::Parse(file, limits);
        GW_FUZZ_CHECK(catalog.Groups().size() <= limits.MaxGroups);
        for (std::size_t i = 0; i < catalog.Groups().size(); ++i)
            GW_FUZZ_CHECK(catalog.GroupImages(i).size() <= limits.MaxImagesPerGroup);
        gw::fuzz::CheckCatalog(file, catalog);
    }
    return 0;
}
