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
    // The large icon size, or a size picked by the input so that both directions and
    // uneven ratios get scaled.
    int w = 32, h = 32;
    if (data[size - 1] & 1) {
        w = 1 + data[size - 1] / 2 % 64;
        h = 1 + data[size / 2] % 64;
    }
    gw::fuzz::CheckScaled(img, gw::ScaleIcon(img, w, h), w, h);
    return 0;
}
