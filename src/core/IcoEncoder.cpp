// Encoders: 16-colour .ico files, icon groups as stored, PNG images.
#include "core/IcoEncoder.h"

#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <cstring>

namespace gw {

const std::array<std::uint32_t, 16> kStandardPalette16 = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

int NearestPaletteIndex(std::uint32_t rgb)
{
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t p = kStandardPalette16[i];
        const int dr = r - int((p >> 16) & 0xFF), dg = g - int((p >> 8) & 0xFF), db = b - int(p & 0xFF);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

namespace {

std::uint32_t RowBytes(std::uint32_t width, std::uint32_t bits)
{
    return ((width * bits + 31) / 32) * 4;
}

void PutU16(std::uint8_t*& p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p += 2;
}

void PutU32(std::uint8_t*& p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
    p += 4;
}

} // namespace

std::vector<std::uint8_t> EncodeIco16(const IconImage& image)
{
    const std::uint32_t w = std::uint32_t(image.Width), h = std::uint32_t(image.Height);
    const std::uint32_t colorStride = RowBytes(w, 4), maskStride = RowBytes(w, 1);
    const std::uint32_t x = colorStride * h, a = maskStride * h;
    const std::uint32_t headerSize = 40 + 16 * 4;

    std::vector<std::uint8_t> out(6 + 16 + headerSize + x + a, 0);
    std::uint8_t* p = out.data();
    PutU16(p, 0);  // reserved
    PutU16(p, 1);  // icon
    PutU16(p, 1);  // one image
    *p++ = std::uint8_t(w);
    *p++ = std::uint8_t(h);
    // planes x bit count of the image as one word, then two zero words: read as the
    // usual fields this is a colour count of 4 and zero planes and bit count.
    PutU16(p, 1 * 4);
    PutU16(p, 0);
    PutU16(p, 0);
    PutU32(p, headerSize + x + a);
    PutU32(p, 22);

    PutU32(p, 40);
    PutU32(p, w);
    PutU32(p, 2 * h);
    PutU16(p, 1);
    PutU16(p, 4);
    PutU32(p, 0);   // BI_RGB
    PutU32(p, x);
    PutU32(p, 0);
    PutU32(p, 0);
    PutU32(p, 16);
    PutU32(p, 0);
    for (std::uint32_t c : kStandardPalette16) {
        *p++ = std::uint8_t(c);
        *p++ = std::uint8_t(c >> 8);
        *p++ = std::uint8_t(c >> 16);
        *p++ = 0;
    }

    std::uint8_t* colorBits = p;
    std::uint8_t* maskBits = p + x;
    // A cache of the last mapping: icons are mostly runs of one colour.
    std::uint32_t lastRgb = 0;
    int lastIndex = 0;
    for (std::uint32_t row = 0; row < h; ++row) {
        const std::uint32_t y = h - 1 - row;  // bottom-up
        std::uint8_t* crow = colorBits + row * colorStride;
        std::uint8_t* mrow = maskBits + row * maskStride;
        for (std::uint32_t col = 0; col < w; ++col) {
            const bool transparent = image.Transparent(int(col), int(y));
            int index = 0;
            // A transparent pixel of an image with alpha has no colour of its own; it is
            // written black so that it does not invert the background.
            if (!(transparent && image.HasAlpha)) {
                const std::uint32_t rgb = image.Pixel(int(col), int(y)) & 0xFFFFFF;
                if (rgb != lastRgb) {
                    lastRgb = rgb;
                    lastIndex = NearestPaletteIndex(rgb);
                }
                index = lastIndex;
            }
            crow[col >> 1] |= std::uint8_t((col & 1) ? index : index << 4);
            if (transparent)
                mrow[col >> 3] |= std::uint8_t(0x80 >> (col & 7));
        }
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> EncodeGroupIco(const std::vector<GroupEntry>& entries,
                                                        const std::vector<Bytes>& images, bool cursor,
                                                        std::uint64_t budget)
{
    const std::size_t n = std::min(entries.size(), images.size());
    // Where each entry's image lies in the file: a span met before keeps its place.
    std::vector<std::uint64_t> offsets(n);
    std::vector<std::size_t> distinct;
    const std::uint64_t headerSize = 6 + 16 * std::uint64_t(n);
    std::uint64_t end = headerSize;
    for (std::size_t i = 0; i < n; ++i) {
        auto same = std::find_if(distinct.begin(), distinct.end(), [&](std::size_t k) {
            return images[k].data() == images[i].data() && images[k].size() == images[i].size();
        });
        if (same != distinct.end()) {
            offsets[i] = offsets[*same];
            continue;
        }
        if (images[i].size() > budget - std::min(budget, end - headerSize))
            return std::nullopt;
        distinct.push_back(i);
        offsets[i] = end;
        end += images[i].size();
    }
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(end));
    auto u16 = [&](std::uint32_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    auto u32 = [&](std::uint64_t v) {
        u16(std::uint32_t(v & 0xFFFF));
        u16(std::uint32_t((v >> 16) & 0xFFFF));
    };
    u16(0);
    u16(cursor ? 2 : 1);
    u16(std::uint32_t(n));
    for (std::size_t i = 0; i < n; ++i) {
        const GroupEntry& e = entries[i];
        out.push_back(e.Width);
        out.push_back(e.Height);
        out.push_back(e.ColorCount);
        out.push_back(e.Reserved);
        u16(cursor ? e.HotspotX : e.Planes);
        u16(cursor ? e.HotspotY : e.BitCount);
        u32(images[i].size());
        u32(offsets[i]);
    }
    for (std::size_t k : distinct)
        out.insert(out.end(), images[k].begin(), images[k].end());
    return out;
}

std::optional<std::vector<std::uint8_t>> EncodePng(const IconImage& image)
{
    if (image.Empty())
        return std::nullopt;
    std::vector<std::uint8_t> rgba(std::size_t(image.Width) * std::size_t(image.Height) * 4);
    for (std::size_t i = 0; i < image.Pixels.size(); ++i) {
        const std::uint32_t p = image.Pixels[i];
        rgba[i * 4] = std::uint8_t(p >> 16);
        rgba[i * 4 + 1] = std::uint8_t(p >> 8);
        rgba[i * 4 + 2] = std::uint8_t(p);
        rgba[i * 4 + 3] = std::uint8_t(p >> 24);
    }
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(SPNG_CTX_ENCODER), &spng_ctx_free);
    if (!ctx)
        return std::nullopt;
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    // Icons are small and flat: the fastest deflate level costs little in size and
    // keeps a 256 x 256 export to a few milliseconds.
    spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, 1);
    spng_ihdr ihdr{};
    ihdr.width = std::uint32_t(image.Width);
    ihdr.height = std::uint32_t(image.Height);
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (spng_set_ihdr(ctx.get(), &ihdr) ||
        spng_encode_image(ctx.get(), rgba.data(), rgba.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE))
        return std::nullopt;
    int err = 0;
    std::size_t size = 0;
    void* buffer = spng_get_png_buffer(ctx.get(), &size, &err);
    if (!buffer || err)
        return std::nullopt;
    std::vector<std::uint8_t> png(static_cast<std::uint8_t*>(buffer), static_cast<std::uint8_t*>(buffer) + size);
    std::free(buffer);
    return png;
}

} // namespace gw
