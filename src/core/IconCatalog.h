// The icon groups of a file (PE32/PE32+, 16-bit NE, or .ico), read from its bytes.
#pragma once

#include "ByteReader.h"
#include "IconImage.h"
#include "Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gw {

enum class FileKind {
    NotIcons,  // readable, but neither an executable nor an icon file
    Pe,
    Ne,
    Ico,
};

// A resource name: an integer ID or a string (raw bytes: UTF-16LE in PE files,
// 8-bit text in NE files).
struct ResourceName {
    bool IsId = true;
    std::uint32_t Id = 0;
    std::string Text;

    bool operator==(const ResourceName&) const = default;
};

struct IconGroup {
    ResourceName Name;
    Bytes Directory;  // the group's icon directory (GRPICONDIR); the whole file for .ico
};

// Limits that keep hostile files from costing more than their size.
struct CatalogLimits {
    std::uint32_t MaxGroups = 65536;
    std::uint32_t MaxImagesPerGroup = 256;
};

class IconCatalog {
public:
    // Never fails: a file that cannot be understood is NotIcons (when it is no
    // executable) or an executable/icon file with no groups.
    static IconCatalog Parse(Bytes file, const CatalogLimits& limits = {});

    FileKind Kind() const { return FKind; }
    const std::vector<IconGroup>& Groups() const { return FGroups; }
    // Number of icons as the shell reports it: one for an icon file, the number of
    // distinct groups for an executable.
    int Count() const;
    // Index of the group whose integer ID is `id`, or -1.
    int FindGroupById(std::uint32_t id) const;

    // The data of every image that group `index` names and the file holds, in
    // directory order. Entries naming missing images are left out.
    std::vector<Bytes> GroupImages(std::size_t index) const;

    // Group `index` decoded to a `size` x `size` image (see ChooseIconImage).
    std::optional<IconImage> Extract(std::size_t index, int size) const;

private:
    struct IconEntry {
        std::uint32_t Id;
        Bytes Data;
    };

    std::optional<Bytes> FindIcon(std::uint32_t id) const;
    void ParsePe(ByteReader file, std::uint32_t peOffset, const CatalogLimits& limits);
    void ParseNe(ByteReader file, std::uint32_t neOffset, const CatalogLimits& limits);
    void AddGroup(ResourceName name, Bytes directory, const CatalogLimits& limits);

    FileKind FKind = FileKind::NotIcons;
    Bytes FFile;
    std::vector<IconGroup> FGroups;
    std::vector<IconEntry> FIcons;  // sorted by Id, first language only
    std::uint32_t FMaxImages = 256;
};

} // namespace gw
