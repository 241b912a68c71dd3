// What a format reader finds in a file: its icon and cursor groups, the images
// they name, and what was wrong with the file on the way.
#pragma once

#include "core/Diagnostic.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gw {

enum class FileKind {
    NotIcons,  // readable, but neither an executable nor an icon file
    Pe,
    Ne,
    Ico,
    Cur,  // a cursor file: one cursor group
    Ani,  // an animated cursor (RIFF ACON): one cursor group per frame
};

// A resource name: an integer ID or a string (raw bytes: UTF-16LE in PE files,
// 8-bit text in NE files).
struct ResourceName {
    bool IsId = true;
    std::uint32_t Id = 0;
    std::string Text;

    bool operator==(const ResourceName&) const = default;
};

// A stretch of the file: where something lies, to be read when it is needed.
struct Extent {
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;

    bool operator==(const Extent&) const = default;
};

// One language of a group stored in several (PE files only).
struct GroupLanguage {
    std::uint16_t Id = 0;
    Extent Directory;
};

struct IconGroup {
    ResourceName Name;
    // The group's icon directory (GRPICONDIR) in its first language; for .ico the
    // header and its entries.
    Extent Directory;
    // Every language the group is stored in, in stored order (at most kMaxLanguages).
    std::vector<GroupLanguage> Languages;

    static constexpr std::size_t kMaxLanguages = 32;
};

// Limits that keep hostile files from costing more than their size.
struct CatalogLimits {
    std::uint32_t MaxGroups = 65536;
    std::uint32_t MaxImagesPerGroup = 256;
};

// An image resource of an executable (RT_ICON, RT_CURSOR and their NE twins): its ID
// and where its data lies.
struct ImageResource {
    std::uint32_t Id;
    Extent Data;
};

// A reader's result.
struct ResourceTable {
    FileKind Kind = FileKind::NotIcons;
    bool Pe64 = false;
    std::vector<IconGroup> Groups;
    std::vector<IconGroup> CursorGroups;
    std::vector<ImageResource> Icons;    // sorted by Id, first language only
    std::vector<ImageResource> Cursors;  // the same for cursor images
    DiagnosticList Problems;

    // Appends a group unless `limits` already holds as many as it allows.
    static void AddGroup(std::vector<IconGroup>& groups, ResourceName name, Extent directory,
                         const CatalogLimits& limits, std::vector<GroupLanguage> languages = {})
    {
        if (groups.size() < limits.MaxGroups)
            groups.push_back({std::move(name), directory, std::move(languages)});
    }
};

} // namespace gw
