// Fuzz target: DIB icon images (colour bits plus AND mask) and the area-filter scaler.
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const gw::Bytes bytes(data, size);
    auto decoded = gw::DecodeDib(bytes);
    if (!decoded)
        return 0;
    const gw::IconImage& img = *decoded;
    gw::fuzz::CheckDecoded(bytes, img);
    // The large icon size, plus a size picked by the input so that both directions and
    // uneven ratios get scaled.
    const int w = 1 + data[size - 1] % 64, h = 1 + data[size / 2] % 64;
    for (auto [dw, dh] : {std::pair{32, 32}, std::pair{w, h}})
        gw::fuzz::CheckScaled(img, gw::ScaleIcon(img, dw, dh), dw, dh);
    return 0;
}
