// Invariants shared by the fuzz targets: a broken one aborts, which libFuzzer reports as a crash.
#pragma once

#include "core/ByteReader.h"
#include "core/IconCatalog.h"
#include "core/IconDecoder.h"
#include "core/IconImage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>

#define GW_FUZZ_CHECK(cond)                                                                  \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);   \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)

namespace gw::fuzz {

// True when `inner` lies inside `outer` (an empty span anywhere counts as inside).
inline bool Within(Bytes inner, Bytes outer)
{
    if (inner.empty())
        return true;
    std::less_equal<const std::uint8_t*> le;
    return le(outer.data(), inner.data()) && le(inner.data() + inner.size(), outer.data() + outer.size());
}

// A decoded image is well formed: sides within the limit, one pixel and one mask byte
// per position, and without alpha the mask alone decides each pixel's alpha.
inline void CheckImage(const IconImage& img)
{
    GW_FUZZ_CHECK(img.Width >= 1 && img.Width <= kMaxIconSide);
    GW_FUZZ_CHECK(img.Height >= 1 && img.Height <= kMaxIconSide);
    const std::size_t n = std::size_t(img.Width) * std::size_t(img.Height);
    GW_FUZZ_CHECK(img.Pixels.size() == n);
    GW_FUZZ_CHECK(img.Mask.size() == n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t alpha = img.Pixels[i] >> 24;
        GW_FUZZ_CHECK(img.Mask[i] <= 1);
        if (!img.HasAlpha)
            GW_FUZZ_CHECK(alpha == (img.Mask[i] ? 0u : 0xFFu));
        if (alpha == 0)
            GW_FUZZ_CHECK(img.HasAlpha ? img.Pixels[i] == 0 : img.Mask[i] == 1);
    }
}

// Image choice reads sizes from the headers alone, so whatever decodes must have a
// header that says what the decoder produced.
inline void CheckDecoded(Bytes data, const IconImage& img)
{
    CheckImage(img);
    auto info = PeekIconImage(data);
    GW_FUZZ_CHECK(info.has_value());
    GW_FUZZ_CHECK(info->Width == img.Width && info->Height == img.Height);
    GW_FUZZ_CHECK(info->BitCount == img.SourceBitCount);
}

// An area filter keeps full coverage full and empty coverage empty.
inline void CheckScaled(const IconImage& source, const IconImage& scaled, int width, int height)
{
    GW_FUZZ_CHECK(scaled.Width == width && scaled.Height == height);
    CheckImage(scaled);
    bool allOpaque = true, allClear = true;
    for (std::uint32_t p : source.Pixels) {
        allOpaque &= (p >> 24) == 0xFF;
        allClear &= (p >> 24) == 0;
    }
    for (std::size_t i = 0; i < scaled.Pixels.size(); ++i) {
        if (allOpaque)
            GW_FUZZ_CHECK(scaled.Mask[i] == 0 && (scaled.Pixels[i] >> 24) == 0xFF);
        if (allClear)
            GW_FUZZ_CHECK(scaled.Mask[i] == 1 && scaled.Pixels[i] == 0);
    }
}

// Everything a catalog hands out points into the file, and every group extracts to a
// well-formed icon or to nothing, as ExtractIconA does.
// True when every image names a side of at most `side` pixels in its header.
inline bool AllWithin(const std::vector<Bytes>& images, int side)
{
    for (Bytes image : images)
        if (auto info = PeekIconImage(image); info && (info->Width > side || info->Height > side))
            return false;
    return true;
}

// `maxSide` leaves out groups with larger images: a few bytes of PNG make a megapixel,
// and the image targets already cover decoding those.
inline void CheckCatalog(Bytes file, const IconCatalog& catalog, int maxSide = kMaxIconSide)
{
    const auto& groups = catalog.Groups();
    switch (catalog.Kind()) {
    case FileKind::NotIcons:
        GW_FUZZ_CHECK(groups.empty() && catalog.Count() == 0);
        return;
    case FileKind::Ico:
        GW_FUZZ_CHECK(groups.size() == 1 && catalog.Count() == 1);
        break;
    case FileKind::Cur:
    case FileKind::Ani:
        GW_FUZZ_CHECK(groups.empty() && catalog.Count() == 0);
        break;
    case FileKind::Pe:
    case FileKind::Ne:
        GW_FUZZ_CHECK(catalog.Count() == int(groups.size()));
        break;
    }
    // Every cursor image named lies in the file, after its hot spot.
    const MemorySource cursorSource(file);
    for (std::size_t i = 0; i < std::min<std::size_t>(catalog.CursorGroups().size(), 16); ++i)
        for (const GroupEntry& e : catalog.ReadGroupEntries(catalog.CursorGroups()[i].Directory, cursorSource, true))
            GW_FUZZ_CHECK(e.Image.Size > 0 && e.Image.Offset <= file.size() &&
                          e.Image.Size <= file.size() - e.Image.Offset);
    std::set<std::pair<std::uint64_t, std::uint64_t>> extracted;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const Extent dir = groups[i].Directory;
        GW_FUZZ_CHECK(dir.Offset <= file.size() && dir.Size <= file.size() - dir.Offset);
        // Names are distinct, so a lookup by ID finds the group itself. The lookup is a
        // linear search: a sample keeps hostile files with thousands of groups fast.
        const bool sampled = i < 16 || i + 1 == groups.size();
        if (sampled && groups[i].Name.IsId && catalog.Kind() != FileKind::Ico)
            GW_FUZZ_CHECK(catalog.FindGroupById(groups[i].Name.Id) == int(i));
        // A group's icon depends on its directory alone; hostile files name one
        // directory thousands of times.
        if (!extracted.insert({dir.Offset, dir.Size}).second)
            continue;
        const auto images = catalog.GroupImages(i);
        for (Bytes image : images)
            GW_FUZZ_CHECK(!image.empty() && Within(image, file));
        // Read through a source as files are, the group gives the same bytes.
        if (i < 16) {
            const MemorySource source(file);
            const ImageData read = catalog.ReadGroupImages(i, source);
            GW_FUZZ_CHECK(read.Images.size() == images.size());
            for (std::size_t k = 0; k < images.size(); ++k)
                GW_FUZZ_CHECK(std::equal(images[k].begin(), images[k].end(), read.Images[k].begin(),
                                         read.Images[k].end()));
        }
        if (!AllWithin(images, maxSide))
            continue;
        if (auto icon = catalog.Extract(i, 32)) {
            GW_FUZZ_CHECK(icon->Width == 32 && icon->Height == 32);
            CheckImage(*icon);
        }
    }
    GW_FUZZ_CHECK(!catalog.Extract(groups.size(), 32).has_value());
}

} // namespace gw::fuzz
