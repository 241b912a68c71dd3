#include "core/IconHash.h"

#include "core/IconCatalog.h"
#include "core/IconDecoder.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

namespace gw {

std::string Sha256Hex(Bytes data)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!ctx || !EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) ||
        !EVP_DigestUpdate(ctx.get(), data.data(), data.size()) || !EVP_DigestFinal_ex(ctx.get(), digest, &length))
        return {};
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out;
}

namespace {

// One pass of a box-filter reduction of `inSize` samples to `outSize`, in the fixed
// point of the common imaging libraries' resamplers (22 fraction bits, each pass
// rounded to 8 bits), so that the hash agrees with theirs bit for bit. `at(i)` reads
// input sample i; the result goes to `put(o, value)`.
constexpr int kPrecisionBits = 22;

struct BoxTap {
    int First = 0;
    std::vector<std::int32_t> Weights;
};

std::vector<BoxTap> BoxTaps(int inSize, int outSize)
{
    const double scale = double(inSize) / outSize;
    const double filterScale = std::max(scale, 1.0);
    const double support = 0.5 * filterScale;
    const double step = 1.0 / filterScale;
    std::vector<BoxTap> taps(static_cast<std::size_t>(outSize));
    for (int o = 0; o < outSize; ++o) {
        const double center = (o + 0.5) * scale;
        const int first = std::max(0, int(center - support + 0.5));
        const int last = std::min(inSize, int(center + support + 0.5));
        std::vector<double> w;
        double sum = 0;
        for (int x = first; x < last; ++x) {
            const double t = (x - center + 0.5) * step;
            const double v = t > -0.5 && t <= 0.5 ? 1.0 : 0.0;
            w.push_back(v);
            sum += v;
        }
        BoxTap& tap = taps[std::size_t(o)];
        tap.First = first;
        for (double v : w)
            tap.Weights.push_back(std::int32_t(0.5 + (sum != 0 ? v / sum : v) * (1 << kPrecisionBits)));
    }
    return taps;
}

std::uint8_t Clip8(std::int64_t v)
{
    v >>= kPrecisionBits;
    return std::uint8_t(std::clamp<std::int64_t>(v, 0, 255));
}

// Grey `grey` (width x height) reduced to outW x outH: rows first, then columns, each
// pass only where the size changes.
std::vector<std::uint8_t> BoxReduce(std::vector<std::uint8_t> grey, int width, int height, int outW, int outH)
{
    if (width != outW) {
        const auto taps = BoxTaps(width, outW);
        std::vector<std::uint8_t> out(std::size_t(outW) * height);
        for (int y = 0; y < height; ++y)
            for (int o = 0; o < outW; ++o) {
                std::int64_t sum = 1 << (kPrecisionBits - 1);
                const BoxTap& t = taps[std::size_t(o)];
                for (std::size_t k = 0; k < t.Weights.size(); ++k)
                    sum += std::int64_t(grey[std::size_t(y) * width + t.First + k]) * t.Weights[k];
                out[std::size_t(y) * outW + o] = Clip8(sum);
            }
        grey = std::move(out);
        width = outW;
    }
    if (height != outH) {
        const auto taps = BoxTaps(height, outH);
        std::vector<std::uint8_t> out(std::size_t(width) * outH);
        for (int o = 0; o < outH; ++o)
            for (int x = 0; x < width; ++x) {
                std::int64_t sum = 1 << (kPrecisionBits - 1);
                const BoxTap& t = taps[std::size_t(o)];
                for (std::size_t k = 0; k < t.Weights.size(); ++k)
                    sum += std::int64_t(grey[(t.First + k) * std::size_t(width) + x]) * t.Weights[k];
                out[std::size_t(o) * width + x] = Clip8(sum);
            }
        grey = std::move(out);
    }
    return grey;
}

} // namespace

std::uint64_t DifferenceHash(const IconImage& image)
{
    if (image.Empty())
        return 0;
    std::vector<std::uint8_t> grey(image.Pixels.size());
    for (std::size_t i = 0; i < image.Pixels.size(); ++i) {
        const std::uint32_t p = image.Pixels[i];
        const std::uint32_t a = p >> 24;
        // Over white, rounded to the nearest.
        auto over = [a](std::uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
        const std::uint32_t r = over((p >> 16) & 0xFF), g = over((p >> 8) & 0xFF), b = over(p & 0xFF);
        grey[i] = std::uint8_t((r * 19595 + g * 38470 + b * 7471 + 0x8000) >> 16);
    }
    const auto small = BoxReduce(std::move(grey), image.Width, image.Height, 9, 8);
    std::uint64_t hash = 0;
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
            if (small[std::size_t(row) * 9 + col + 1] > small[std::size_t(row) * 9 + col])
                hash |= std::uint64_t(1) << (63 - (row * 8 + col));
    return hash;
}

std::string DhashHex(std::uint64_t dhash)
{
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(dhash));
    return buf;
}

Result<IconFingerprint> FingerprintIco(Bytes ico, bool cursors)
{
    const IconCatalog catalog = IconCatalog::Parse(ico);
    const auto& groups = catalog.Groups(cursors);
    if (groups.empty())
        return Error{ErrorCode::BadHeader, 0, "no group"};
    const auto entries = catalog.ReadGroupEntries(groups[0].Directory, MemorySource(ico), cursors);
    IconFingerprint print;
    print.Sha256 = Sha256Hex(ico);
    std::vector<Bytes> images;
    for (const GroupEntry& e : entries) {
        const Bytes data = ico.subspan(std::size_t(e.Image.Offset), std::size_t(e.Image.Size));
        ImageSummary s{e.Width ? e.Width : 256, e.Height ? e.Height : 256, e.BitCount, IsPng(data), data.size()};
        if (auto info = PeekIconImage(data)) {
            s.Width = info->Width;
            s.Height = info->Height;
            s.BitCount = info->BitCount;
        }
        print.Images.push_back(s);
        images.push_back(data);
    }
    // The largest image, the deepest of those; the first of equals.
    std::vector<std::size_t> order(images.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto key = [&](std::size_t i) {
        const ImageSummary& s = print.Images[i];
        return std::pair{std::int64_t(s.Width) * s.Height, s.BitCount};
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) > key(b); });
    for (std::size_t i : order) {
        auto decoded = DecodeIconImage(images[i]);
        if (!decoded)
            continue;
        print.Largest = print.Images[i];
        print.Dhash = DifferenceHash(*decoded);
        return print;
    }
    return Error{ErrorCode::Unsupported, 0, "no image can be decoded"};
}

Result<IconFingerprint> Fingerprint(const IconFile& file, std::size_t group, bool cursors)
{
    auto ico = GroupIco(file, group, -1, cursors);
    if (!ico)
        return ico.Err();
    // Decoding the largest image may ask for more memory than there is: that group
    // fails, as every other group function does, and callers on worker threads go on.
    try {
        return FingerprintIco(*ico, cursors);
    } catch (const std::bad_alloc&) {
        return Error{ErrorCode::NoMemory, 0, "not enough memory for its images"};
    }
}

} // namespace gw
