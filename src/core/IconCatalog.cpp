// The catalog of a file's icon and cursor groups, read by the reader of its format.
#include "core/IconCatalog.h"

#include "core/IcoFiles.h"
#include "core/IconDecoder.h"
#include "core/NeResources.h"
#include "core/PeResources.h"
#include "core/SourceView.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace gw {

namespace {

constexpr std::uint32_t kGroupEntry = 14;  // GRPICONDIRENTRY (and its cursor twin) in resources
constexpr std::uint32_t kHotspot = 4;      // the hot spot before a cursor resource's image

// The reader of the file's format.
ResourceTable ReadResources(SourceView file, const CatalogLimits& limits)
{
    if (IsIconFile(file))
        return ReadIconFile(file, limits);
    if (IsAnimatedCursor(file))
        return ReadAnimatedCursor(file, limits);
    auto mz = file.ReadU16LE(0);
    if (!mz || *mz != 0x5A4D)
        return {};
    auto newHeader = file.ReadU32LE(0x3C);
    if (!newHeader)
        return {};
    if (auto sig = file.ReadU32LE(*newHeader); sig && *sig == 0x00004550)
        return ReadPeResources(file, *newHeader, limits);
    if (auto sig16 = file.ReadU16LE(*newHeader); sig16 && *sig16 == 0x454E)
        return ReadNeResources(file, *newHeader, limits);
    return {};
}

} // namespace

IconCatalog IconCatalog::Parse(Bytes bytes, const CatalogLimits& limits)
{
    IconCatalog c = Parse(MemorySource(bytes), limits);
    c.FMemory = bytes;
    return c;
}

IconCatalog IconCatalog::Parse(const ByteSource& source, const CatalogLimits& limits)
{
    IconCatalog c;
    c.FFileSize = source.Size();
    c.FMaxImages = limits.MaxImagesPerGroup;
    // A source that caches already serves the many small reads of the resource tree.
    const auto* cached = dynamic_cast<const BlockCache*>(&source);
    std::optional<BlockCache> own;
    if (!cached)
        cached = &own.emplace(source);
    c.Adopt(ReadResources(SourceView(*cached, 0, source.Size()), limits));
    return c;
}

void IconCatalog::Adopt(ResourceTable table)
{
    FKind = table.Kind;
    FPe64 = table.Pe64;
    FGroups = std::move(table.Groups);
    FCursorGroups = std::move(table.CursorGroups);
    FIcons = std::move(table.Icons);
    FCursors = std::move(table.Cursors);
    FDiagnostics = table.Problems.Take();
}

int IconCatalog::Count() const
{
    if (FKind == FileKind::Ico)
        return 1;
    return int(FGroups.size());
}

int IconCatalog::FindGroupById(std::uint32_t id) const
{
    if (FKind == FileKind::Ico)
        return -1;
    for (std::size_t i = 0; i < FGroups.size(); ++i)
        if (FGroups[i].Name.IsId && FGroups[i].Name.Id == id)
            return int(i);
    return -1;
}

std::optional<Extent> IconCatalog::Find(const std::vector<ImageResource>& images, std::uint32_t id)
{
    auto it = std::lower_bound(images.begin(), images.end(), id,
                               [](const ImageResource& e, std::uint32_t v) { return e.Id < v; });
    if (it == images.end() || it->Id != id || it->Data.Size == 0)
        return std::nullopt;
    return it->Data;
}

std::vector<GroupEntry> IconCatalog::ReadGroupEntries(const Extent& directory, const ByteSource& source,
                                                      bool cursors) const
{
    std::vector<GroupEntry> entries;
    std::vector<std::uint8_t> bytes(std::size_t(std::min<std::uint64_t>(directory.Size, 6 + 16 * std::uint64_t(FMaxImages))));
    if (bytes.empty() || !source.ReadAt(directory.Offset, bytes.data(), bytes.size()))
        return entries;
    ByteReader dir(Bytes(bytes.data(), bytes.size()));
    auto type = dir.ReadU16LE(2), count = dir.ReadU16LE(4);
    if (!type || !count)
        return entries;
    // Icon and cursor files (an animated cursor's frames among them) hold their images
    // at offsets from the directory's start; executables name resources.
    const bool file = FKind == FileKind::Ico || FKind == FileKind::Cur || FKind == FileKind::Ani;
    const std::uint32_t entrySize = file ? kIcoEntry : kGroupEntry;
    std::uint32_t n = std::min<std::uint32_t>(*count, FMaxImages);
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint64_t at = kGroupHeader + std::uint64_t(i) * entrySize;
        if (!dir.Has(at, entrySize))
            break;  // a directory cut short keeps the entries it has
        if (file) {
            GroupEntry e = ReadFileEntry(dir, at, *type, directory);
            if (e.Image.Size)
                entries.push_back(e);
        } else if (auto e = ReadResourceEntry(dir, at, source, cursors)) {
            entries.push_back(*e);
        }
    }
    return entries;
}

namespace {

// The fields an entry of either kind of directory shares.
GroupEntry ReadCommonFields(const ByteReader& dir, std::uint64_t at)
{
    GroupEntry e;
    e.Width = *dir.ReadU8(at);
    e.Height = *dir.ReadU8(at + 1);
    e.ColorCount = *dir.ReadU8(at + 2);
    e.Reserved = *dir.ReadU8(at + 3);
    e.Planes = *dir.ReadU16LE(at + 4);
    e.BitCount = *dir.ReadU16LE(at + 6);
    e.StoredSize = *dir.ReadU32LE(at + 8);
    return e;
}

} // namespace

// An entry of an icon or cursor file's directory; its Image is empty when the file
// does not hold it.
GroupEntry IconCatalog::ReadFileEntry(ByteReader dir, std::uint64_t at, std::uint16_t type,
                                      const Extent& directory) const
{
    GroupEntry e = ReadCommonFields(dir, at);
    // A cursor file's entry holds the hot spot where an icon's holds planes and depth.
    if (type == kCurType) {
        e.HotspotX = std::exchange(e.Planes, 1);
        e.HotspotY = std::exchange(e.BitCount, 0);
    }
    const std::uint64_t offset = directory.Offset + *dir.ReadU32LE(at + 12);
    if (offset >= FFileSize)
        return e;
    // A size that runs past the end of the file is clamped to it.
    const std::uint64_t len = std::min<std::uint64_t>(e.StoredSize, FFileSize - offset);
    if (len)
        e.Image = {offset, len};
    return e;
}

// An entry of an executable's group resource; nothing when the file does not hold
// its image.
std::optional<GroupEntry> IconCatalog::ReadResourceEntry(ByteReader dir, std::uint64_t at, const ByteSource& source,
                                                         bool cursors) const
{
    GroupEntry e = ReadCommonFields(dir, at);
    if (cursors) {
        // The resource's entry gives width and doubled height as 16-bit words.
        const std::uint16_t width = *dir.ReadU16LE(at), height = *dir.ReadU16LE(at + 2) / 2;
        e.Width = width >= 256 ? 0 : std::uint8_t(width);
        e.Height = height >= 256 ? 0 : std::uint8_t(height);
        e.ColorCount = 0;
        e.Reserved = 0;
    }
    e.Id = *dir.ReadU16LE(at + 12);
    auto data = Find(cursors ? FCursors : FIcons, e.Id);
    if (!data)
        return std::nullopt;
    e.Image = *data;
    // NE resources fill whole alignment units: the image is as long as the
    // group says when that is shorter.
    if (FKind == FileKind::Ne && e.StoredSize && e.StoredSize < e.Image.Size)
        e.Image.Size = e.StoredSize;
    if (cursors) {
        std::uint8_t hotspot[kHotspot];
        if (e.Image.Size <= kHotspot || !source.ReadAt(e.Image.Offset, hotspot, kHotspot))
            return std::nullopt;
        e.HotspotX = LoadU16LE(hotspot);
        e.HotspotY = LoadU16LE(hotspot + 2);
        e.Image.Offset += kHotspot;
        e.Image.Size -= kHotspot;
    }
    return e;
}

std::vector<Extent> IconCatalog::GroupImageExtents(std::size_t index, const ByteSource& source) const
{
    std::vector<Extent> images;
    if (index >= FGroups.size())
        return images;
    for (const GroupEntry& e : ReadGroupEntries(FGroups[index].Directory, source))
        images.push_back(e.Image);
    return images;
}

ImageData IconCatalog::ReadGroupImages(std::size_t index, const ByteSource& source, std::uint64_t budget) const
{
    ImageData out;
    std::vector<std::pair<Extent, std::size_t>> read;  // each distinct stretch once
    for (const Extent& e : GroupImageExtents(index, source)) {
        auto known = std::find_if(read.begin(), read.end(), [&](const auto& r) { return r.first == e; });
        if (known != read.end()) {
            const auto& buffer = out.Buffers[known->second];
            out.Images.emplace_back(buffer.data(), buffer.size());
            continue;
        }
        if (e.Size > budget)
            break;
        std::vector<std::uint8_t> buffer(std::size_t(e.Size));
        if (!source.ReadAt(e.Offset, buffer.data(), buffer.size()))
            continue;
        budget -= e.Size;
        read.push_back({e, out.Buffers.size()});
        out.Buffers.push_back(std::move(buffer));
        out.Images.emplace_back(out.Buffers.back().data(), out.Buffers.back().size());
    }
    return out;
}

std::optional<IconImage> IconCatalog::Extract(std::size_t index, int size, const ByteSource& source,
                                              DecodeMemo* memo) const
{
    if (index >= FGroups.size())
        return std::nullopt;
    const Bytes memory = source.Memory();
    if (memory.data() && memory.size() == source.Size()) {
        std::vector<Bytes> images;
        for (const Extent& e : GroupImageExtents(index, source))
            images.push_back(memory.subspan(std::size_t(e.Offset), std::size_t(e.Size)));
        return ChooseIconImage(images, size, memo);
    }
    return ChooseIconImage(ReadGroupImages(index, source).Images, size, memo);
}

std::vector<Bytes> IconCatalog::GroupImages(std::size_t index) const
{
    std::vector<Bytes> images;
    for (const Extent& e : GroupImageExtents(index, MemorySource(FMemory)))
        images.push_back(FMemory.subspan(std::size_t(e.Offset), std::size_t(e.Size)));
    return images;
}

std::optional<IconImage> IconCatalog::Extract(std::size_t index, int size) const
{
    return Extract(index, size, MemorySource(FMemory));
}

} // namespace gw
