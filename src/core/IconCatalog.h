// The icon and cursor groups of a file (PE32/PE32+, 16-bit NE, .ico, .cur or an
// animated cursor), read from its bytes.
#pragma once

#include "core/ByteReader.h"
#include "core/Diagnostic.h"
#include "core/FileSource.h"
#include "core/IconDecoder.h"
#include "core/IconImage.h"
#include "core/ResourceTable.h"
#include "core/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gw {

// An entry of a group's directory whose image the file holds: the fields the
// directory gives, and where the image lies.
struct GroupEntry {
    std::uint8_t Width = 0;   // 0 means 256
    std::uint8_t Height = 0;
    std::uint8_t ColorCount = 0;
    std::uint8_t Reserved = 0;
    std::uint16_t Planes = 0;
    std::uint16_t BitCount = 0;
    std::uint32_t StoredSize = 0;  // the image size the directory claims
    std::uint16_t Id = 0;          // the RT_ICON or RT_CURSOR resource (executables only)
    // A cursor's hot spot: from the directory of a cursor file, or the first four bytes
    // of an executable's cursor resource (`Image` starts after them).
    std::uint16_t HotspotX = 0;
    std::uint16_t HotspotY = 0;
    Extent Image;
};

// Images read from a source: each distinct stretch read once, `Images` pointing into
// `Buffers` in the order they were asked for.
struct ImageData {
    std::vector<std::vector<std::uint8_t>> Buffers;
    std::vector<Bytes> Images;
};

class IconCatalog {
public:
    // Never fails: a file that cannot be understood is NotIcons (when it is no
    // executable) or an executable/icon file with no groups. Reads only the headers
    // and the resource directory; a read that fails counts as missing data.
    static IconCatalog Parse(const ByteSource& file, const CatalogLimits& limits = {});
    // The same over bytes in memory, which the catalog keeps pointing into: the
    // overloads below without a source read from them.
    static IconCatalog Parse(Bytes file, const CatalogLimits& limits = {});

    FileKind Kind() const { return FKind; }
    // A PE32+ (64-bit) executable.
    bool Pe64() const { return FPe64; }
    const std::vector<IconGroup>& Groups() const { return FGroups; }
    // Cursor groups: an executable's RT_GROUP_CURSOR resources, the one group of a
    // cursor file, or the frames of an animated cursor. Kept apart from Groups(): the
    // window and ExtractIconA know icons only.
    const std::vector<IconGroup>& CursorGroups() const { return FCursorGroups; }
    const std::vector<IconGroup>& Groups(bool cursors) const { return cursors ? FCursorGroups : FGroups; }
    // What the reader found wrong with the file's structure and read past: each
    // kind of fault once, in the order met.
    const std::vector<Diagnostic>& Diagnostics() const { return FDiagnostics; }
    // Number of icons as the shell reports it: one for an icon file, the number of
    // distinct groups for an executable.
    int Count() const;
    // Index of the group whose integer ID is `id`, or -1.
    int FindGroupById(std::uint32_t id) const;

    // Where every image lies that group `index` names and the file holds, in
    // directory order. Entries naming missing images are left out. Reads the group's
    // directory from `file`.
    std::vector<Extent> GroupImageExtents(std::size_t index, const ByteSource& file) const;
    // The entries of the group directory at `directory` whose images the file holds;
    // `cursors`: a directory of CursorGroups().
    std::vector<GroupEntry> ReadGroupEntries(const Extent& directory, const ByteSource& file,
                                             bool cursors = false) const;
    // The images of group `index` read from `file`; those that cannot be read, or that
    // come after `budget` bytes, are left out.
    ImageData ReadGroupImages(std::size_t index, const ByteSource& file,
                              std::uint64_t budget = kDefaultReadBudget) const;
    // Group `index` decoded to a `size` x `size` image (see ChooseIconImage), through
    // `memo` when one is given.
    std::optional<IconImage> Extract(std::size_t index, int size, const ByteSource& file,
                                     DecodeMemo* memo = nullptr) const;

    // For a catalog parsed from memory: the images as spans of that memory, and the
    // decoded icon.
    std::vector<Bytes> GroupImages(std::size_t index) const;
    std::optional<IconImage> Extract(std::size_t index, int size) const;

    // Bytes of image data read for one group at most: far beyond any real group,
    // and a bound on what a hostile file can make a request read.
    static constexpr std::uint64_t kDefaultReadBudget = 64u << 20;

private:
    static std::optional<Extent> Find(const std::vector<ImageResource>& images, std::uint32_t id);
    GroupEntry ReadFileEntry(ByteReader dir, std::uint64_t at, std::uint16_t type, const Extent& directory) const;
    std::optional<GroupEntry> ReadResourceEntry(ByteReader dir, std::uint64_t at, const ByteSource& source,
                                                bool cursors) const;
    void Adopt(ResourceTable table);

    FileKind FKind = FileKind::NotIcons;
    bool FPe64 = false;
    std::uint64_t FFileSize = 0;
    Bytes FMemory;  // the bytes parsed, when they were given in memory
    std::vector<IconGroup> FGroups;
    std::vector<IconGroup> FCursorGroups;
    std::vector<ImageResource> FIcons;    // sorted by Id, first language only
    std::vector<ImageResource> FCursors;  // the same for cursor images
    std::vector<Diagnostic> FDiagnostics;
    std::uint32_t FMaxImages = 256;
};

} // namespace gw
