// Fuzz target: PNG-compressed icon images.
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const gw::Bytes bytes(data, size);
    auto decoded = gw::DecodePng(bytes);
    if (!decoded)
        return 0;
    const gw::IconImage& img = *decoded;
    gw::fuzz::CheckDecoded(bytes, img);
    // PNG icons carry no AND mask: it comes from the alpha channel.
    for (std::size_t i = 0; i < img.Pixels.size(); ++i)
        GW_FUZZ_CHECK(img.Mask[i] == ((img.Pixels[i] >> 24) < 128 ? 1 : 0));
    return 0;
}
