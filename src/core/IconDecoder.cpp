// DIB and PNG icon image decoding, image choice and area-filter scaling.
#include "core/IconDecoder.h"

#include <spng.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace gw {

const char* ErrorCodeName(ErrorCode code)
{
    switch (code) {
    case ErrorCode::Truncated: return "truncated";
    case ErrorCode::BadMagic: return "bad magic";
    case ErrorCode::BadHeader: return "bad header";
    case ErrorCode::TooLarge: return "too large";
    case ErrorCode::Unsupported: return "unsupported";
    case ErrorCode::Loop: return "loop";
    case ErrorCode::NotFound: return "not found";
    case ErrorCode::Io: return "i/o";
    case ErrorCode::NoMemory: return "out of memory";
    }
    return "?";
}

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

bool IsPng(Bytes data)
{
    return data.size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, data.begin());
}

std::uint64_t RowBytes(std::uint64_t width, unsigned bits)
{
    return ((width * bits + 31) / 32) * 4;
}

struct DibHeader {
    std::uint32_t HeaderSize = 0;
    int Width = 0;
    int Height = 0;   // icon height: half of the stored height
    unsigned BitCount = 0;
    std::uint32_t Compression = kBiRgb;
    std::uint32_t ColorsUsed = 0;
    bool Core = false; // 12-byte header with RGBTRIPLE palette
};

Result<DibHeader> ReadDibHeader(const ByteReader& r)
{
    DibHeader h;
    auto size = r.ReadU32LE(0);
    if (!size)
        return Error{ErrorCode::Truncated, 0, "bitmap header"};
    h.HeaderSize = *size;
    if (h.HeaderSize == 12) {
        auto w = r.ReadU16LE(4), ht = r.ReadU16LE(6), bits = r.ReadU16LE(10);
        if (!w || !ht || !bits)
            return Error{ErrorCode::Truncated, 0, "core header"};
        h.Core = true;
        h.Width = *w;
        h.Height = *ht / 2;
        h.BitCount = *bits;
    } else if (h.HeaderSize >= 40) {
        if (!r.Has(0, h.HeaderSize))
            return Error{ErrorCode::Truncated, 0, "info header"};
        std::int32_t w = *r.ReadI32LE(4), ht = *r.ReadI32LE(8);
        h.BitCount = *r.ReadU16LE(14);
        h.Compression = *r.ReadU32LE(16);
        h.ColorsUsed = *r.ReadU32LE(32);
        // Top-down icon bitmaps do not exist; a negative height is refused.
        if (w <= 0 || ht <= 0)
            return Error{ErrorCode::BadHeader, 4, "bitmap size"};
        if (w > kMaxIconSide || ht / 2 > kMaxIconSide)
            return Error{ErrorCode::TooLarge, 4, "bitmap size"};
        h.Width = w;
        h.Height = ht / 2;
    } else {
        return Error{ErrorCode::BadHeader, 0, "bitmap header size"};
    }
    if (h.Width <= 0 || h.Height <= 0)
        return Error{ErrorCode::BadHeader, 4, "bitmap size"};
    if (h.Width > kMaxIconSide || h.Height > kMaxIconSide)
        return Error{ErrorCode::TooLarge, 4, "bitmap size"};
    switch (h.BitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return Error{ErrorCode::Unsupported, 14, "bit count"};
    }
    if (h.Compression != kBiRgb &&
        !(h.Compression == kBiBitfields && (h.BitCount == 16 || h.BitCount == 32)))
        return Error{ErrorCode::Unsupported, 16, "compression"};
    return h;
}

// Extracts a channel through a bit mask and widens it to 8 bits.
struct Channel {
    std::uint32_t Mask = 0;
    int Shift = 0;
    int Bits = 0;

    explicit Channel(std::uint32_t mask = 0) : Mask(mask)
    {
        if (!mask)
            return;
        while (!((mask >> Shift) & 1))
            ++Shift;
        while (Shift + Bits < 32 && ((mask >> (Shift + Bits)) & 1))
            ++Bits;
    }

    std::uint32_t Get(std::uint32_t v) const
    {
        if (!Bits)
            return 0;
        std::uint32_t x = (v & Mask) >> Shift;
        if (Bits >= 8)
            return x >> (Bits - 8);
        const std::uint32_t max = (1u << Bits) - 1;
        return (x * 255 + max / 2) / max; // full scale maps to 255
    }
};

} // namespace

std::optional<ImageInfo> PeekIconImage(Bytes data)
{
    ByteReader r(data);
    if (IsPng(data)) {
        // IHDR follows the signature: length, "IHDR", width, height (big-endian).
        if (!r.Has(16, 8))
            return std::nullopt;
        auto be = [&](std::size_t o) {
            return (std::uint32_t(data[o]) << 24) | (std::uint32_t(data[o + 1]) << 16) |
                   (std::uint32_t(data[o + 2]) << 8) | std::uint32_t(data[o + 3]);
        };
        std::uint32_t w = be(16), h = be(20);
        if (w == 0 || h == 0 || w > kMaxIconSide || h > kMaxIconSide)
            return std::nullopt;
        return ImageInfo{int(w), int(h), 32};
    }
    auto h = ReadDibHeader(r);
    if (!h)
        return std::nullopt;
    return ImageInfo{h->Width, h->Height, int(h->BitCount)};
}

Result<IconImage> DecodeDib(Bytes data)
{
    ByteReader r(data);
    auto hr = ReadDibHeader(r);
    if (!hr)
        return hr.Err();
    const DibHeader& h = *hr;

    std::uint64_t offset = h.HeaderSize;
    Channel red, green, blue, alpha;
    if (h.Compression == kBiBitfields) {
        std::uint64_t maskAt = 40;
        if (h.HeaderSize == 40)
            offset += 12; // the three masks follow a plain info header
        auto rm = r.ReadU32LE(maskAt), gm = r.ReadU32LE(maskAt + 4), bm = r.ReadU32LE(maskAt + 8);
        if (!rm || !gm || !bm)
            return Error{ErrorCode::Truncated, maskAt, "bit field masks"};
        red = Channel(*rm);
        green = Channel(*gm);
        blue = Channel(*bm);
        if (h.BitCount == 32) {
            std::uint32_t am = 0;
            if (h.HeaderSize >= 56)
                am = *r.ReadU32LE(52);
            else if (((*rm | *gm | *bm) & 0xFF000000u) == 0)
                am = 0xFF000000u;
            alpha = Channel(am);
        }
    } else if (h.BitCount == 16) {
        red = Channel(0x7C00);
        green = Channel(0x03E0);
        blue = Channel(0x001F);
    }

    // Palette.
    std::uint32_t palette[256] = {};
    if (h.BitCount <= 8) {
        std::uint32_t maxColors = 1u << h.BitCount;
        std::uint32_t count = h.ColorsUsed && h.ColorsUsed < maxColors ? h.ColorsUsed : maxColors;
        unsigned entry = h.Core ? 3 : 4;
        auto table = r.Sub(offset, std::uint64_t(count) * entry);
        if (!table)
            return Error{ErrorCode::Truncated, offset, "colour table"};
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* p = table->data() + i * entry;
            palette[i] = 0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
        }
        // A colour table that claims more entries than the maximum still occupies its space.
        std::uint64_t stored = (!h.Core && h.ColorsUsed > maxColors) ? h.ColorsUsed : count;
        offset += stored * entry;
    }

    const int w = h.Width, ht = h.Height;
    const std::uint64_t xorStride = RowBytes(std::uint64_t(w), h.BitCount);
    const std::uint64_t andStride = RowBytes(std::uint64_t(w), 1);
    auto xorBits = r.Sub(offset, xorStride * std::uint64_t(ht));
    if (!xorBits)
        return Error{ErrorCode::Truncated, offset, "colour bits"};
    // The AND mask may be cut short in real files; missing rows count as opaque.
    Bytes andBits = r.Tail(offset + xorStride * std::uint64_t(ht));

    IconImage img;
    img.Width = w;
    img.Height = ht;
    img.SourceBitCount = int(h.BitCount);
    const std::size_t n = std::size_t(w) * std::size_t(ht);
    img.Pixels.resize(n);
    img.Mask.assign(n, 0);

    bool anyMask = false;
    for (int y = 0; y < ht; ++y) {
        std::uint64_t rowOffset = std::uint64_t(ht - 1 - y) * andStride;
        for (int x = 0; x < w; ++x) {
            std::uint64_t byte = rowOffset + std::uint64_t(x >> 3);
            if (byte < andBits.size() && (andBits[byte] >> (7 - (x & 7)) & 1)) {
                img.Mask[std::size_t(y) * w + x] = 1;
                anyMask = true;
            }
        }
    }

    bool anyAlpha = false;
    for (int y = 0; y < ht; ++y) {
        const std::uint8_t* row = xorBits->data() + std::uint64_t(ht - 1 - y) * xorStride;
        std::uint32_t* out = img.Pixels.data() + std::size_t(y) * w;
        for (int x = 0; x < w; ++x) {
            std::uint32_t c = 0;
            switch (h.BitCount) {
            case 1: c = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: c = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
            case 8: c = palette[row[x]]; break;
            case 16: {
                std::uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
                c = 0xFF000000u | (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
                break;
            }
            case 24: {
                const std::uint8_t* p = row + 3 * x;
                c = 0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
                break;
            }
            case 32: {
                const std::uint8_t* p = row + 4 * x;
                std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
                std::uint32_t a;
                if (h.Compression == kBiBitfields) {
                    c = (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
                    a = alpha.Get(v);
                } else {
                    c = v & 0x00FFFFFFu;
                    a = v >> 24;
                }
                anyAlpha |= a != 0;
                c |= a << 24;
                break;
            }
            }
            out[x] = c;
        }
    }

    if (anyAlpha) {
        img.HasAlpha = true;
        for (std::size_t i = 0; i < n; ++i) {
            std::uint32_t a = img.Pixels[i] >> 24;
            if (!anyMask)
                img.Mask[i] = a < 128;
            if (a == 0)
                img.Pixels[i] = 0; // a fully transparent pixel has no colour
        }
    } else {
        // No alpha (or a 32-bit image whose alpha is all zero): the AND mask decides.
        for (std::size_t i = 0; i < n; ++i)
            img.Pixels[i] = (img.Pixels[i] & 0x00FFFFFFu) | (img.Mask[i] ? 0u : 0xFF000000u);
    }
    return img;
}

Result<IconImage> DecodePng(Bytes data)
{
    if (!IsPng(data))
        return Error{ErrorCode::BadMagic, 0, "png signature"};
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), &spng_ctx_free);
    if (!ctx)
        return Error{ErrorCode::Io, 0, "png context"};
    spng_set_image_limits(ctx.get(), kMaxIconSide, kMaxIconSide);
    // Ancillary chunks cannot be larger than the resource that holds them.
    spng_set_chunk_limits(ctx.get(), data.size(), data.size());
    spng_set_crc_action(ctx.get(), SPNG_CRC_USE, SPNG_CRC_USE);
    if (spng_set_png_buffer(ctx.get(), data.data(), data.size()))
        return Error{ErrorCode::BadHeader, 0, "png buffer"};
    spng_ihdr ihdr{};
    if (int err = spng_get_ihdr(ctx.get(), &ihdr))
        return Error{err == SPNG_EUSER_WIDTH || err == SPNG_EUSER_HEIGHT ? ErrorCode::TooLarge
                                                                         : ErrorCode::BadHeader,
                     8, "png header"};
    if (ihdr.width == 0 || ihdr.height == 0 || ihdr.width > kMaxIconSide || ihdr.height > kMaxIconSide)
        return Error{ErrorCode::TooLarge, 16, "png size"};
    std::size_t size = 0;
    if (spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size))
        return Error{ErrorCode::BadHeader, 8, "png size"};
    std::vector<std::uint8_t> rgba(size);
    if (spng_decode_image(ctx.get(), rgba.data(), rgba.size(), SPNG_FMT_RGBA8, SPNG_DECODE_TRNS))
        return Error{ErrorCode::Truncated, 0, "png data"};

    IconImage img;
    img.Width = int(ihdr.width);
    img.Height = int(ihdr.height);
    img.SourceBitCount = 32;
    const std::size_t n = std::size_t(img.Width) * img.Height;
    img.Pixels.resize(n);
    img.Mask.assign(n, 0);
    bool anyTranslucent = false;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* p = rgba.data() + 4 * i;
        std::uint32_t a = p[3];
        anyTranslucent |= a != 255;
        img.Pixels[i] = a ? (a << 24) | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2] : 0;
        img.Mask[i] = a < 128;
    }
    img.HasAlpha = anyTranslucent;
    return img;
}

Result<IconImage> DecodeIconImage(Bytes data)
{
    return IsPng(data) ? DecodePng(data) : DecodeDib(data);
}

IconImage ScaleIcon(const IconImage& src, int dw, int dh)
{
    IconImage out;
    out.Width = dw;
    out.Height = dh;
    out.HasAlpha = src.HasAlpha;
    out.SourceBitCount = src.SourceBitCount;
    const std::size_t n = std::size_t(dw) * dh;
    out.Pixels.resize(n);
    out.Mask.resize(n);
    const int sw = src.Width, sh = src.Height;

    // Coverage of each source column (row) by each destination column (row).
    struct Span { int First; std::vector<double> Weights; };
    auto spans = [](int from, int to) {
        std::vector<Span> result(to);
        const double scale = double(from) / to;
        for (int d = 0; d < to; ++d) {
            double lo = d * scale, hi = (d + 1) * scale;
            int first = int(std::floor(lo));
            int last = std::min(from - 1, int(std::ceil(hi)) - 1);
            result[d].First = first;
            for (int s = first; s <= last; ++s) {
                double cover = std::min(hi, double(s + 1)) - std::max(lo, double(s));
                result[d].Weights.push_back(cover / scale);
            }
        }
        return result;
    };
    const std::vector<Span> xs = spans(sw, dw), ys = spans(sh, dh);

    for (int y = 0; y < dh; ++y) {
        for (int x = 0; x < dw; ++x) {
            double a = 0, r = 0, g = 0, b = 0;
            const Span& sy = ys[y];
            const Span& sx = xs[x];
            for (std::size_t j = 0; j < sy.Weights.size(); ++j) {
                for (std::size_t i = 0; i < sx.Weights.size(); ++i) {
                    double wgt = sy.Weights[j] * sx.Weights[i];
                    std::uint32_t p = src.Pixel(sx.First + int(i), sy.First + int(j));
                    double pa = double(p >> 24) / 255.0;
                    a += wgt * pa;
                    r += wgt * pa * ((p >> 16) & 0xFF);
                    g += wgt * pa * ((p >> 8) & 0xFF);
                    b += wgt * pa * (p & 0xFF);
                }
            }
            std::uint32_t pa = std::uint32_t(std::lround(std::clamp(a, 0.0, 1.0) * 255));
            std::uint32_t c = 0;
            if (pa) {
                auto ch = [&](double v) { return std::uint32_t(std::clamp(std::lround(v / a), 0L, 255L)); };
                c = (ch(r) << 16) | (ch(g) << 8) | ch(b);
            }
            const std::size_t i = std::size_t(y) * dw + x;
            out.Mask[i] = pa < 128;
            if (!out.HasAlpha)
                pa = out.Mask[i] ? 0 : 255;
            out.Pixels[i] = pa ? (pa << 24) | c : 0;
        }
    }
    return out;
}

namespace {

std::size_t HashBytes(Bytes data, int size)
{
    const std::string_view view(reinterpret_cast<const char*>(data.data()), data.size());
    return std::hash<std::string_view>{}(view) ^ std::size_t(size);
}

// Decodes one stored image and brings it to `size` x `size`.
std::optional<IconImage> DecodeAtSize(Bytes data, int size)
{
    auto img = DecodeIconImage(data);
    if (!img)
        return std::nullopt;
    if (img->Width == size && img->Height == size)
        return std::move(*img);
    return ScaleIcon(*img, size, size);
}

} // namespace

const std::optional<IconImage>* DecodeMemo::Find(Bytes data, int size) const
{
    auto [first, last] = FEntries.equal_range(HashBytes(data, size));
    for (auto it = first; it != last; ++it) {
        const Entry& e = it->second;
        if (e.Size == size && e.Data.size() == data.size() && std::equal(e.Data.begin(), e.Data.end(), data.begin()))
            return &e.Image;
    }
    return nullptr;
}

void DecodeMemo::Add(Bytes data, int size, const std::optional<IconImage>& image)
{
    const std::size_t cost =
        data.size() + (image ? image->Pixels.size() * sizeof(std::uint32_t) + image->Mask.size() : 0);
    if (FBytes + cost > FMaxBytes)
        return;
    FBytes += cost;
    FEntries.emplace(HashBytes(data, size), Entry{std::vector<std::uint8_t>(data.begin(), data.end()), size, image});
}

void DecodeMemo::Clear()
{
    FEntries.clear();
    FBytes = 0;
}

std::optional<IconImage> ChooseIconImage(const std::vector<Bytes>& images, int size, DecodeMemo* memo)
{
    struct Candidate { std::size_t Index; ImageInfo Info; };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < images.size(); ++i)
        if (auto info = PeekIconImage(images[i]))
            candidates.push_back({i, *info});

    auto distance = [size](const ImageInfo& info) {
        return std::abs(info.Width - size) + std::abs(info.Height - size);
    };
    std::stable_sort(candidates.begin(), candidates.end(), [&](const Candidate& a, const Candidate& b) {
        int da = distance(a.Info), db = distance(b.Info);
        if (da != db)
            return da < db;
        int areaA = a.Info.Width * a.Info.Height, areaB = b.Info.Width * b.Info.Height;
        if (areaA != areaB)
            return areaA > areaB; // scaling down looks better than scaling up
        return a.Info.BitCount > b.Info.BitCount;
    });

    // A decode can fail as late and cost as much as one that succeeds (a PNG broken in
    // its last bytes), and a group may name one broken image hundreds of times: after a
    // few failures the icon is given up rather than cost that many full decodes.
    constexpr int kMaxFailedDecodes = 4;
    int failed = 0;
    for (const Candidate& c : candidates) {
        const Bytes data = images[c.Index];
        std::optional<IconImage> img;
        if (const std::optional<IconImage>* known = memo ? memo->Find(data, size) : nullptr) {
            img = *known;
        } else {
            img = DecodeAtSize(data, size);
            if (memo) {
                memo->CountDecode();
                memo->Add(data, size, img);
            }
        }
        if (img)
            return img;
        if (++failed == kMaxFailedDecodes)
            break;
    }
    return std::nullopt;
}

} // namespace gw
