// A file opened for one request with its icon groups: names, summaries, groups as stored, images.
#include "core/IconFile.h"

#include "core/IcoEncoder.h"
#include "core/IconDecoder.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <unordered_map>

#include <zlib.h>

namespace gw {

namespace {

// Image data one request may read, and the largest .ico it may write: far beyond
// any real group, a bound on what a hostile file can cost.
constexpr std::uint64_t kMaxGroupBytes = IconCatalog::kDefaultReadBudget;
constexpr const char* kOverBudget = "its images exceed the limit of 64 MiB a group";
// Decoded pixels count against the same budget: a small image can claim a large size.
constexpr const char* kOverDecodedBudget = "its images exceed the limit of 64 MiB a group once decoded";
constexpr const char* kNoMemory = "not enough memory for its images";

void AppendUtf8(std::string& out, std::uint32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// The distinct images of `entries`, read once each: TooLarge when they exceed the
// budget (nothing beyond it is read), Io when one cannot be read.
std::optional<ErrorCode> ReadImages(const IconFile& file, const std::vector<GroupEntry>& entries, ImageData& out)
{
    std::uint64_t total = 0;
    std::vector<std::pair<Extent, std::size_t>> read;
    for (const GroupEntry& e : entries) {
        auto known = std::find_if(read.begin(), read.end(), [&](const auto& r) { return r.first == e.Image; });
        if (known == read.end()) {
            total += e.Image.Size;
            if (total > kMaxGroupBytes)
                return ErrorCode::TooLarge;
            std::vector<std::uint8_t> buffer(std::size_t(e.Image.Size));
            if (!file.Source.ReadAt(e.Image.Offset, buffer.data(), buffer.size()))
                return ErrorCode::Io;
            known = read.insert(read.end(), {e.Image, out.Buffers.size()});
            out.Buffers.push_back(std::move(buffer));
        }
        const auto& buffer = out.Buffers[known->second];
        out.Images.emplace_back(buffer.data(), buffer.size());
    }
    return std::nullopt;
}

// A group's image as the group names it: its bytes once, the first entry that names it
// and how many do. Entries that name one stretch of the file name one image; two
// stretches holding the same bytes are two images, as the tools count them.
struct DistinctImage {
    Bytes Data;
    std::size_t First = 0;
    int Entries = 0;
};

std::vector<DistinctImage> DistinctImages(const ImageData& images)
{
    std::vector<DistinctImage> out;
    // ReadImages gives entries that name one stretch one buffer.
    std::unordered_map<const std::uint8_t*, std::size_t> byBuffer;
    for (std::size_t i = 0; i < images.Images.size(); ++i) {
        const Bytes data = images.Images[i];
        auto [known, added] = byBuffer.try_emplace(data.data(), out.size());
        if (added)
            out.push_back({data, i, 0});
        ++out[known->second].Entries;
    }
    return out;
}

// The pixels of `images` once decoded, from their headers, against the group's budget:
// TooLarge before anything is decoded when they exceed it.
std::optional<Error> CheckDecodedSize(const std::vector<DistinctImage>& images)
{
    std::uint64_t total = 0;
    for (const DistinctImage& d : images)
        if (auto info = PeekIconImage(d.Data))
            total += std::uint64_t(info->Width) * std::uint64_t(info->Height) * 4;
    if (total > kMaxGroupBytes)
        return Error{ErrorCode::TooLarge, 0, kOverDecodedBudget};
    return std::nullopt;
}

// Bits per pixel of a PNG image from its IHDR (bit depth times channels): what the image
// holds, where the reader counts every PNG as 32 bits; 0 when the header is cut short.
int PngBitsPerPixel(Bytes png)
{
    if (png.size() < 26)
        return 0;
    static const int kChannels[] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    const int depth = png[24], type = png[25];
    return type < 7 ? depth * kChannels[type] : 0;
}

// An image described from its own header (`head`: its first bytes, or none when they
// could not be read), else from its directory entry.
ImageSummary SummaryOf(const GroupEntry& e, Bytes head)
{
    ImageSummary s;
    s.Bytes = e.Image.Size;
    s.Width = e.Width ? e.Width : 256;
    s.Height = e.Height ? e.Height : 256;
    s.BitCount = e.BitCount;
    s.Png = IsPng(head);
    if (auto info = PeekIconImage(head)) {
        s.Width = info->Width;
        s.Height = info->Height;
        s.BitCount = s.Png ? PngBitsPerPixel(head) : info->BitCount;
    }
    return s;
}

// `image` scaled, keeping its shape, to `side` pixels on its longer side.
IconImage ScaledToSide(const IconImage& image, int side)
{
    const double f = double(side) / std::max(image.Width, image.Height);
    return ScaleIcon(image, std::max(1, int(std::lround(image.Width * f))),
                     std::max(1, int(std::lround(image.Height * f))));
}

// A stored image, decoded to `pixels`, as a PNG file: the stored PNG as it is when it
// is intact, else encoded from the pixels.
std::optional<std::vector<std::uint8_t>> PngFile(Bytes stored, const IconImage& pixels)
{
    if (IsIntactPng(stored))
        return std::vector<std::uint8_t>(stored.begin(), stored.end());
    return EncodePng(pixels);
}

// The directory of a group in language `lang` (the first one when -1).
std::optional<Extent> LanguageDirectory(const IconGroup& group, int lang)
{
    if (lang < 0)
        return group.Directory;
    auto it = std::find_if(group.Languages.begin(), group.Languages.end(),
                           [&](const GroupLanguage& l) { return l.Id == lang; });
    if (it == group.Languages.end())
        return std::nullopt;
    return it->Directory;
}

// The entries of group `group` in language `lang` (the first one when -1) and their
// images; an error when the group names no image the file holds, or its images cannot
// be read or exceed the budget.
std::optional<Error> ReadGroup(const IconFile& file, std::size_t group, int lang, bool cursors,
                               std::vector<GroupEntry>& entries, ImageData& images)
{
    const auto& groups = file.Catalog.Groups(cursors);
    if (group >= groups.size())
        return Error{ErrorCode::NotFound, 0, "no such group"};
    const auto directory = LanguageDirectory(groups[group], lang);
    if (!directory)
        return Error{ErrorCode::NotFound, 0, "no such language"};
    entries = file.Catalog.ReadGroupEntries(*directory, file.Reader, cursors);
    if (entries.empty())
        return Error{ErrorCode::NotFound, directory->Offset, "no image can be read"};
    if (const auto err = ReadImages(file, entries, images))
        return Error{*err, 0, *err == ErrorCode::TooLarge ? kOverBudget : "no image can be read"};
    return std::nullopt;
}

} // namespace

bool IsPng(Bytes bytes)
{
    static const std::uint8_t kSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::equal(kSig, kSig + 8, bytes.begin());
}

bool IsIntactPng(Bytes bytes)
{
    if (!IsPng(bytes))
        return false;
    // The image data is inflated to its end, where zlib checks its Adler-32: the
    // decoder stops once it has every row and never looks at it.
    z_stream z{};
    if (::inflateInit(&z) != Z_OK)
        return false;
    struct End {
        z_stream* Z;
        ~End() { ::inflateEnd(Z); }
    } end{&z};
    std::uint8_t sink[16384];
    int state = Z_OK;
    for (std::size_t at = 8; bytes.size() - at >= 12;) {
        const std::uint32_t length = LoadU32BE(bytes.data() + at);
        if (length > bytes.size() - at - 12)
            return false;
        const std::uint8_t* type = bytes.data() + at + 4;
        const uLong crc = ::crc32(::crc32(0L, nullptr, 0), type, uInt(length) + 4);
        if (crc != LoadU32BE(type + 4 + length))
            return false;
        if (at == 8 && !std::equal(type, type + 4, "IHDR"))
            return false;
        if (std::equal(type, type + 4, "IDAT") && state == Z_OK) {
            z.next_in = const_cast<std::uint8_t*>(type + 4);
            z.avail_in = length;
            do {
                z.next_out = sink;
                z.avail_out = sizeof sink;
                state = ::inflate(&z, Z_NO_FLUSH);
            } while (state == Z_OK && (z.avail_in > 0 || z.avail_out == 0));
            if (state == Z_BUF_ERROR)
                state = Z_OK;  // the stream goes on in the next chunk
            if (state != Z_OK && state != Z_STREAM_END)
                return false;
        }
        if (std::equal(type, type + 4, "IEND"))
            return state == Z_STREAM_END;
        at += 12 + std::size_t(length);
    }
    return false;
}

IconFile::IconFile(const std::string& path) : Status(FileSource::Open(path, Source))
{
    if (Ok())
        Catalog = IconCatalog::Parse(Reader);
}

std::string IconFile::KindName() const
{
    switch (Catalog.Kind()) {
    case FileKind::Pe: return Catalog.Pe64() ? "PE32+" : "PE32";
    case FileKind::Ne: return "NE";
    case FileKind::Ico: return "ICO";
    case FileKind::Cur: return "CUR";
    case FileKind::Ani: return "ANI";
    case FileKind::NotIcons: break;
    }
    return "none";
}

std::string NameText(const IconCatalog& catalog, const ResourceName& name)
{
    if (name.IsId)
        return std::to_string(name.Id);
    if (catalog.Kind() != FileKind::Pe)
        return name.Text;
    std::string out;
    const std::string& t = name.Text;
    for (std::size_t i = 0; i + 1 < t.size(); i += 2) {
        std::uint32_t c = std::uint8_t(t[i]) | (std::uint32_t(std::uint8_t(t[i + 1])) << 8);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < t.size()) {
            std::uint32_t low = std::uint8_t(t[i + 2]) | (std::uint32_t(std::uint8_t(t[i + 3])) << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::vector<ImageSummary> Summarise(const IconFile& file, const std::vector<GroupEntry>& entries)
{
    std::vector<ImageSummary> out(entries.size());
    // The first bytes of each image tell its size, depth and format. Heads less than
    // kGap apart are read with one call: a system call costs about as much as copying
    // that many bytes more.
    constexpr std::uint64_t kHead = 128, kGap = 4096, kSpan = 65536;
    std::vector<std::size_t> order(entries.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return entries[a].Image.Offset < entries[b].Image.Offset; });
    auto headEnd = [&](std::size_t i) { return entries[i].Image.Offset + std::min(kHead, entries[i].Image.Size); };
    std::vector<std::uint8_t> buffer;
    for (std::size_t first = 0; first < order.size();) {
        const std::uint64_t start = entries[order[first]].Image.Offset;
        std::uint64_t end = headEnd(order[first]);
        std::size_t last = first + 1;
        while (last < order.size() && entries[order[last]].Image.Offset <= end + kGap &&
               headEnd(order[last]) - start <= kSpan) {
            end = std::max(end, headEnd(order[last]));
            ++last;
        }
        buffer.resize(std::size_t(end - start));
        const bool read = file.Source.ReadAt(start, buffer.data(), buffer.size());
        for (std::size_t k = first; k < last; ++k) {
            const GroupEntry& e = entries[order[k]];
            const Bytes head(buffer.data() + (e.Image.Offset - start), std::size_t(headEnd(order[k]) - e.Image.Offset));
            out[order[k]] = SummaryOf(e, read ? head : Bytes());
        }
        first = last;
    }
    return out;
}

Result<std::vector<std::uint8_t>> GroupIco(const IconFile& file, std::size_t group, int lang, bool cursors)
try {
    std::vector<GroupEntry> entries;
    ImageData images;
    if (auto err = ReadGroup(file, group, lang, cursors, entries, images))
        return *err;
    // A cursor resource's entry has no colour count, and resource compilers fill its
    // depth carelessly: both come from the image's own header.
    if (cursors)
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (auto info = PeekIconImage(images.Images[i]))
                entries[i].ColorCount = info->BitCount < 8 ? std::uint8_t(1u << info->BitCount) : 0;
    auto ico = EncodeGroupIco(entries, images.Images, cursors, kMaxGroupBytes);
    if (!ico)
        return Error{ErrorCode::TooLarge, 0, kOverBudget};
    return std::move(*ico);
} catch (const std::bad_alloc&) {
    return Error{ErrorCode::NoMemory, 0, kNoMemory};
}

std::optional<IconImage> GroupImageAt(const IconFile& file, std::size_t group, int size, bool enlarge,
                                      std::vector<std::uint8_t>* stored, bool cursors)
try {
    const auto& groups = file.Catalog.Groups(cursors);
    if (group >= groups.size())
        return std::nullopt;
    const auto entries = file.Catalog.ReadGroupEntries(groups[group].Directory, file.Reader, cursors);
    ImageData images;
    if (ReadImages(file, entries, images))
        return std::nullopt;
    struct Candidate { std::size_t Index; ImageInfo Info; };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < images.Images.size(); ++i)
        if (auto info = PeekIconImage(images.Images[i]))
            candidates.push_back({i, *info});
    auto side = [](const ImageInfo& i) { return std::max(i.Width, i.Height); };
    auto area = [](const ImageInfo& i) { return i.Width * i.Height; };
    // Best first: exact size, then larger ones from the smallest, then smaller ones
    // from the largest; deeper colour first within one size.
    auto rank = [&](const ImageInfo& i) {
        if (size == 0)
            return std::pair{0, -area(i)};
        if (i.Width == size && i.Height == size)
            return std::pair{0, 0};
        if (side(i) > size)
            return std::pair{1, area(i)};
        return std::pair{2, -area(i)};
    };
    std::stable_sort(candidates.begin(), candidates.end(), [&](const Candidate& a, const Candidate& b) {
        auto ra = rank(a.Info), rb = rank(b.Info);
        if (ra != rb)
            return ra < rb;
        return a.Info.BitCount > b.Info.BitCount;
    });
    int failed = 0;
    for (const Candidate& c : candidates) {
        auto img = DecodeIconImage(images.Images[c.Index]);
        if (!img) {
            if (++failed == 4)
                break;
            continue;
        }
        const int longest = std::max(img->Width, img->Height);
        if (size == 0 || (img->Width == size && img->Height == size) || longest == size ||
            (longest < size && !enlarge)) {
            if (stored)
                stored->assign(images.Images[c.Index].begin(), images.Images[c.Index].end());
            return std::move(*img);
        }
        return ScaledToSide(*img, size);
    }
    return std::nullopt;
} catch (const std::bad_alloc&) {
    return std::nullopt;
}

std::optional<Error> GroupPngs(const IconFile& file, std::size_t group, bool cursors, int& failed,
                               const std::function<bool(PngImage&&)>& take)
try {
    std::vector<GroupEntry> entries;
    ImageData images;
    if (auto err = ReadGroup(file, group, -1, cursors, entries, images))
        return err;
    const auto distinct = DistinctImages(images);
    if (auto err = CheckDecodedSize(distinct))
        return err;
    // The decoded pixels are let go before the PNG is handed on.
    auto make = [](const DistinctImage& d) -> std::optional<PngImage> {
        auto image = DecodeIconImage(d.Data);
        auto info = PeekIconImage(d.Data);
        if (!image || !info)
            return std::nullopt;
        const bool png = IsPng(d.Data);
        PngImage out{image->Width, image->Height, png ? PngBitsPerPixel(d.Data) : info->BitCount,
                     png && IsIntactPng(d.Data), d.Entries, {}};
        if (out.Stored) {
            out.Png.assign(d.Data.begin(), d.Data.end());
        } else if (auto encoded = EncodePng(*image)) {
            out.Png = std::move(*encoded);
        } else {
            return std::nullopt;
        }
        return out;
    };
    for (const DistinctImage& d : distinct) {
        auto png = make(d);
        if (!png)
            ++failed;
        else if (!take(std::move(*png)))
            break;
    }
    return std::nullopt;
} catch (const std::bad_alloc&) {
    return Error{ErrorCode::NoMemory, 0, kNoMemory};
}

std::optional<std::vector<std::uint8_t>> GroupPng(const IconFile& file, std::size_t group, int size)
try {
    std::vector<std::uint8_t> stored;
    auto image = GroupImageAt(file, group, size, false, &stored);
    if (!image)
        return std::nullopt;
    return PngFile(Bytes(stored.data(), stored.size()), *image);
} catch (const std::bad_alloc&) {
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> StoredAsPng(Bytes stored)
try {
    auto image = DecodeIconImage(stored);
    if (!image)
        return std::nullopt;
    return PngFile(stored, *image);
} catch (const std::bad_alloc&) {
    return std::nullopt;
}

Result<std::vector<StoredImage>> GroupStoredImages(const IconFile& file, std::size_t group, int lang)
try {
    std::vector<GroupEntry> entries;
    ImageData images;
    if (auto err = ReadGroup(file, group, lang, false, entries, images))
        return *err;
    const auto distinct = DistinctImages(images);
    if (auto err = CheckDecodedSize(distinct))
        return *err;
    std::vector<StoredImage> out(distinct.size());
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        const Bytes data = distinct[i].Data;
        StoredImage& s = out[i];
        s.Summary = SummaryOf(entries[distinct[i].First], data);
        s.Entries = distinct[i].Entries;
        // The buffer read for the image becomes its copy: a large image is held once.
        // Its storage moves with it, so `data` still points at the bytes.
        auto buffer = std::find_if(images.Buffers.begin(), images.Buffers.end(),
                                   [&](const auto& b) { return b.data() == data.data() && b.size() == data.size(); });
        if (buffer != images.Buffers.end())
            s.Data = std::move(*buffer);
        else
            s.Data.assign(data.begin(), data.end());
        auto image = DecodeIconImage(data);
        if (!image)
            continue;
        if (std::max(image->Width, image->Height) <= StoredImage::kMaxShownSide)
            s.Shown = std::move(*image);
        else
            s.Shown = ScaledToSide(*image, StoredImage::kMaxShownSide);
    }
    std::stable_sort(out.begin(), out.end(), [](const StoredImage& a, const StoredImage& b) {
        const auto area = [](const ImageSummary& s) { return std::uint64_t(s.Width) * std::uint64_t(s.Height); };
        if (area(a.Summary) != area(b.Summary))
            return area(a.Summary) > area(b.Summary);
        return a.Summary.BitCount > b.Summary.BitCount;
    });
    return out;
} catch (const std::bad_alloc&) {
    return Error{ErrorCode::NoMemory, 0, kNoMemory};
}

} // namespace gw
