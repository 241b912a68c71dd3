// Fuzz target: the PE32/PE32+ resource reader, as ExtractIconA drives it.
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const gw::Bytes file(data, size);
    const auto catalog = gw::IconCatalog::Parse(file);
    gw::fuzz::CheckCatalog(file, catalog);
    return 0;
}
