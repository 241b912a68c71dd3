// Reader of the resource tree of PE32 and PE32+ executables.
#include "core/PeResources.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace gw {

namespace {

constexpr std::uint32_t kRtCursor = 1;
constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupCursor = 12;
constexpr std::uint32_t kRtGroupIcon = 14;

// The COFF file header, after the "PE\0\0" signature.
struct CoffHeader {
    static constexpr std::uint64_t kSize = 20;
    std::uint16_t NumberOfSections;
    std::uint16_t SizeOfOptionalHeader;

    static std::optional<CoffHeader> Read(SourceView file, std::uint64_t at)
    {
        auto sections = file.ReadU16LE(at + 2), optionalSize = file.ReadU16LE(at + 16);
        if (!sections || !optionalSize)
            return std::nullopt;
        return CoffHeader{*sections, *optionalSize};
    }
};

// The optional header, as far as the resource directory: PE32 (magic 0x10B) and PE32+
// (0x20B) differ in where the data directories start.
struct OptionalHeader {
    static constexpr std::uint16_t kPe32Magic = 0x10B;
    static constexpr std::uint16_t kPe32PlusMagic = 0x20B;
    static constexpr std::uint64_t kDataDirectorySize = 8;
    static constexpr std::uint32_t kResourceDirectory = 2;
    bool Pe64;
    std::optional<std::uint32_t> NumberOfRvaAndSizes;  // nothing when cut off
    std::uint64_t DataDirectories;                     // offset in the file

    // Nothing for another magic.
    static std::optional<OptionalHeader> Read(SourceView file, std::uint64_t at)
    {
        auto magic = file.ReadU16LE(at);
        if (!magic || (*magic != kPe32Magic && *magic != kPe32PlusMagic))
            return std::nullopt;
        const bool pe64 = *magic == kPe32PlusMagic;
        const std::uint64_t countAt = at + (pe64 ? 108 : 92);
        return OptionalHeader{pe64, file.ReadU32LE(countAt), countAt + 4};
    }
};

// One entry of the section table.
struct Section {
    static constexpr std::uint64_t kSize = 40;
    std::uint32_t VirtualAddress;
    std::uint32_t VirtualSize;
    std::uint32_t RawSize;
    std::uint32_t RawOffset;

    static std::optional<Section> Read(SourceView file, std::uint64_t at)
    {
        auto vsize = file.ReadU32LE(at + 8), va = file.ReadU32LE(at + 12);
        auto rawSize = file.ReadU32LE(at + 16), rawOff = file.ReadU32LE(at + 20);
        if (!vsize || !va || !rawSize || !rawOff)
            return std::nullopt;
        return Section{*va, *vsize, *rawSize, *rawOff};
    }
};

// The NE header's fields that lead to the resource table.// Maps a relative virtual address of a PE image to its file extent.
class RvaMap {
public:
    RvaMap(SourceView file, std::vector<Section> sections) : FFile(file), FSections(std::move(sections)) {}

    std::optional<Extent> Data(std::uint32_t rva, std::uint32_t size) const
    {
        for (const Section& s : FSections) {
            std::uint64_t span = std::max(s.VirtualSize, s.RawSize);
            if (rva < s.VirtualAddress || rva - s.VirtualAddress >= span)
                continue;
            std::uint64_t delta = rva - s.VirtualAddress;
            // Only what the section stores in the file can be read: a size that runs
            // past the section's raw data or the file is cut there.
            if (delta >= s.RawSize)
                return std::nullopt;
            std::uint64_t start = std::uint64_t(s.RawOffset) + delta;
            if (start >= FFile.Size())
                return std::nullopt;
            std::uint64_t len = std::min<std::uint64_t>({size, s.RawSize - delta, FFile.Size() - start});
            return Extent{FFile.Base() + start, len};
        }
        return std::nullopt;
    }

    // Offset in the file of a resource directory structure at `rva` (unbounded length).
    std::optional<std::uint64_t> Offset(std::uint32_t rva) const
    {
        for (const Section& s : FSections) {
            std::uint64_t span = std::max(s.VirtualSize, s.RawSize);
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < span && rva - s.VirtualAddress < s.RawSize)
                return std::uint64_t(s.RawOffset) + (rva - s.VirtualAddress);
        }
        return std::nullopt;
    }

private:
    SourceView FFile;
    std::vector<Section> FSections;
};

struct DirEntry {
    std::uint32_t Name;    // high bit: offset of a name string
    std::uint32_t Target;  // high bit: offset of a subdirectory, else a data entry
};

// One level of the PE resource tree, its entries read from the file in stored order.
class ResourceDir {
public:
    ResourceDir(SourceView root, std::uint32_t offset, DiagnosticList& problems) : FRoot(root), FOffset(offset)
    {
        auto named = root.ReadU16LE(std::uint64_t(offset) + 12);
        auto ids = root.ReadU16LE(std::uint64_t(offset) + 14);
        if (!named || !ids) {
            problems.Add(ErrorCode::Truncated, root.Base() + offset, "resource directory");
            return;
        }
        std::uint64_t count = std::uint64_t(*named) + *ids;
        // Entries beyond the resource section are not there; keep those that are.
        std::uint64_t fit = root.Size() > offset + 16u ? (root.Size() - offset - 16) / 8 : 0;
        if (count > fit)
            problems.Add(ErrorCode::Truncated, root.Base() + offset, "resource directory");
        FCount = std::uint32_t(std::min(count, fit));
    }

    std::uint32_t Offset() const { return FOffset; }
    // Where entry i lies in the file.
    std::uint64_t EntryAt(std::uint32_t i) const { return FRoot.Base() + FOffset + 16 + std::uint64_t(i) * 8; }

    std::uint32_t Count() const { return FCount; }

    // Entry i; nullopt when it cannot be read (the file changed under the reader).
    std::optional<DirEntry> Entry(std::uint32_t i) const
    {
        std::uint64_t at = std::uint64_t(FOffset) + 16 + std::uint64_t(i) * 8;
        auto name = FRoot.ReadU32LE(at), target = FRoot.ReadU32LE(at + 4);
        if (!name || !target)
            return std::nullopt;
        return DirEntry{*name, *target};
    }

private:
    SourceView FRoot;
    std::uint32_t FOffset;
    std::uint32_t FCount = 0;
};

bool IsSubdir(std::uint32_t target) { return target & 0x80000000u; }
std::uint32_t Low31(std::uint32_t v) { return v & 0x7FFFFFFFu; }

// The data entry of the first language under a name entry. Hostile files point many
// names at one long language directory, or at many overlapping ones: each directory is
// scanned once, and all scans together read no more entries than the tree has room
// for, or the cost would be the square of the file size. A well-formed tree reads
// each entry at most once.
class FirstLanguageData {
public:
    struct Found {
        std::optional<Extent> Data;  // the first language whose data can be read
        std::vector<GroupLanguage> Languages;
    };

    FirstLanguageData(SourceView root, const RvaMap& map, DiagnosticList& problems)
        : FRoot(root), FMap(map), FProblems(problems), FBudget(root.Size() / 8 + 16)
    {
    }

    const Found& operator()(std::uint32_t nameTarget)
    {
        static const Found kNone;
        if (!IsSubdir(nameTarget))
            return kNone;
        auto [it, added] = FScanned.try_emplace(Low31(nameTarget));
        if (added)
            it->second = Scan(Low31(nameTarget));
        return it->second;
    }

private:
    Found Scan(std::uint32_t offset)
    {
        Found found;
        ResourceDir langs(FRoot, offset, FProblems);
        std::uint32_t i = 0;
        for (; i < langs.Count() && FBudget > 0; ++i, --FBudget) {
            auto entry = langs.Entry(i);
            if (!entry)
                break;
            if (IsSubdir(entry->Target)) {
                // A fourth level does not exist: the entry points back into the tree.
                FProblems.Add(ErrorCode::Loop, langs.EntryAt(i), "resource tree");
                continue;
            }
            if (Add(*entry, found))
                break;
        }
        if (FBudget == 0 && i < langs.Count())
            FProblems.Add(ErrorCode::TooLarge, FRoot.Base() + offset, "resource tree");
        return found;
    }

    // Adds the language `e` to `found`; true when it holds as many as are kept.
    bool Add(const DirEntry& e, Found& found)
    {
        auto rva = FRoot.ReadU32LE(e.Target), size = FRoot.ReadU32LE(std::uint64_t(e.Target) + 4);
        if (!rva || !size) {
            FProblems.Add(ErrorCode::Truncated, FRoot.Base() + e.Target, "resource data entry");
            return false;
        }
        auto data = FMap.Data(*rva, *size);
        if (!data) {
            FProblems.Add(ErrorCode::BadHeader, FRoot.Base() + e.Target, "resource data address");
            return false;
        }
        if (data->Size < *size)
            FProblems.Add(ErrorCode::Truncated, data->Offset, "resource data");
        if (!found.Data)
            found.Data = data;
        if (!(e.Name & 0x80000000u))
            found.Languages.push_back({std::uint16_t(e.Name & 0xFFFF), *data});
        return found.Languages.size() == IconGroup::kMaxLanguages;
    }

    SourceView FRoot;
    const RvaMap& FMap;
    DiagnosticList& FProblems;
    std::uint64_t FBudget;
    std::unordered_map<std::uint32_t, Found> FScanned;
};

// The UTF-16 bytes of a named entry's name (empty when it does not fit in the file).
// Real names are short; the cap keeps names that overlap one another in the file from
// costing the square of its size in time and memory.
std::string PeNameText(SourceView root, std::uint32_t name)
{
    constexpr std::uint64_t kMaxNameChars = 256;
    std::uint32_t at = Low31(name);
    if (auto len = root.ReadU16LE(at))
        if (root.Has(std::uint64_t(at) + 2, std::uint64_t(*len) * 2))
            return root.Text(std::uint64_t(at) + 2, std::min<std::uint64_t>(*len, kMaxNameChars) * 2);
    return {};
}

// The directories of the tree's first level that hold icons and cursors.
struct TypeDirs {
    std::optional<std::uint32_t> Groups, Icons, CursorGroups, Cursors;

    std::optional<std::uint32_t>* For(std::uint32_t type)
    {
        switch (type) {
        case kRtGroupIcon: return &Groups;
        case kRtIcon: return &Icons;
        case kRtGroupCursor: return &CursorGroups;
        case kRtCursor: return &Cursors;
        default: return nullptr;
        }
    }
};

// Where the resource tree lies: the section map and the tree's root in the file.
struct ResourceTree {
    RvaMap Map;
    std::uint64_t Root;
};

// The section table, as far as the file holds it.
std::vector<Section> ReadSections(SourceView file, std::uint64_t table, std::uint16_t count, DiagnosticList& problems)
{
    std::vector<Section> sections;
    // Every lookup walks the section table; the format's own limit of 96 sections keeps
    // that walk short.
    const std::uint32_t kMaxSections = 96;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count, kMaxSections); ++i) {
        const std::uint64_t at = table + std::uint64_t(i) * Section::kSize;
        auto section = Section::Read(file, at);
        if (!section) {
            problems.Add(ErrorCode::Truncated, at, "section table");
            break;
        }
        sections.push_back(*section);
    }
    return sections;
}

// The headers from the signature to the resource tree's root; nothing for an image
// without resources.
std::optional<ResourceTree> LocateTree(SourceView file, std::uint32_t pe, ResourceTable& t)
{
    const std::uint64_t coffAt = std::uint64_t(pe) + 4;
    const auto coff = CoffHeader::Read(file, coffAt);
    const std::uint64_t optAt = coffAt + CoffHeader::kSize;
    if (!coff) {
        t.Problems.Add(ErrorCode::Truncated, coffAt, "file header");
        return std::nullopt;
    }
    const auto opt = OptionalHeader::Read(file, optAt);
    if (!opt) {
        t.Problems.Add(ErrorCode::BadMagic, optAt, "optional header");
        return std::nullopt;
    }
    t.Pe64 = opt->Pe64;
    // The resource directory must lie inside the optional header.
    const std::uint32_t resource = OptionalHeader::kResourceDirectory;
    const std::uint64_t resourceAt = opt->DataDirectories + resource * OptionalHeader::kDataDirectorySize;
    if (!opt->NumberOfRvaAndSizes)
        t.Problems.Add(ErrorCode::Truncated, optAt, "optional header");
    if (!opt->NumberOfRvaAndSizes || *opt->NumberOfRvaAndSizes <= resource ||
        resourceAt + OptionalHeader::kDataDirectorySize > optAt + coff->SizeOfOptionalHeader)
        return std::nullopt;
    auto resRva = file.ReadU32LE(resourceAt);
    if (!resRva || *resRva == 0)
        return std::nullopt;
    RvaMap map(file, ReadSections(file, optAt + coff->SizeOfOptionalHeader, coff->NumberOfSections, t.Problems));
    auto rootOffset = map.Offset(*resRva);
    if (!rootOffset) {
        t.Problems.Add(ErrorCode::BadHeader, resourceAt, "resource directory address");
        return std::nullopt;
    }
    return ResourceTree{std::move(map), *rootOffset};
}

// Reads the icon and cursor parts of the tree rooted at `root` into the table.
class TreeReader {
public:
    TreeReader(SourceView root, const RvaMap& map, const CatalogLimits& limits, ResourceTable& table)
        : FRoot(root), FLimits(limits), FTable(table), FFirstLanguageData(root, map, table.Problems)
    {
    }

    void Read()
    {
        const TypeDirs dirs = ReadTypes();
        if (dirs.Groups)
            ReadImages(dirs.Icons, FTable.Icons);
        ReadGroups(dirs.Groups, FTable.Groups, "icon ");
        if (dirs.CursorGroups)
            ReadImages(dirs.Cursors, FTable.Cursors);
        ReadGroups(dirs.CursorGroups, FTable.CursorGroups, "cursor ");
    }

private:
    // An entry pointing at the directory it is in, or at the root, makes the tree a loop.
    bool Loops(const ResourceDir& dir, std::uint32_t i, const DirEntry& e)
    {
        if (!IsSubdir(e.Target) || (Low31(e.Target) != 0 && Low31(e.Target) != dir.Offset()))
            return false;
        FTable.Problems.Add(ErrorCode::Loop, dir.EntryAt(i), "resource tree");
        return true;
    }

    TypeDirs ReadTypes()
    {
        TypeDirs dirs;
        ResourceDir types(FRoot, 0, FTable.Problems);
        for (std::uint32_t i = 0; i < types.Count(); ++i) {
            auto entry = types.Entry(i);
            if (!entry)
                break;
            const DirEntry e = *entry;
            if ((e.Name & 0x80000000u) || !IsSubdir(e.Target))
                continue;
            std::optional<std::uint32_t>* dir = dirs.For(e.Name);
            if (dir && !*dir) {
                Loops(types, i, e);
                *dir = Low31(e.Target);
            }
        }
        return dirs;
    }

    void ReadImages(std::optional<std::uint32_t> at, std::vector<ImageResource>& images)
    {
        if (!at)
            return;
        ResourceDir dir(FRoot, *at, FTable.Problems);
        images.reserve(dir.Count());
        for (std::uint32_t i = 0; i < dir.Count(); ++i) {
            auto entry = dir.Entry(i);
            if (!entry)
                break;
            const DirEntry e = *entry;
            if (e.Name & 0x80000000u)
                continue;
            Loops(dir, i, e);
            if (auto data = FFirstLanguageData(e.Target).Data)
                images.push_back({e.Name & 0xFFFF, *data});
        }
        std::stable_sort(images.begin(), images.end(),
                         [](const ImageResource& a, const ImageResource& b) { return a.Id < b.Id; });
    }

    void ReadGroups(std::optional<std::uint32_t> at, std::vector<IconGroup>& out, const char* where)
    {
        if (!at)
            return;
        ResourceDir groups(FRoot, *at, FTable.Problems);
        // The same group stored twice counts once.
        std::unordered_set<std::uint32_t> seenIds;
        std::unordered_set<std::string> seenNames;
        for (std::uint32_t i = 0; i < groups.Count() && out.size() < FLimits.MaxGroups; ++i) {
            auto entry = groups.Entry(i);
            if (!entry)
                break;
            const DirEntry e = *entry;
            ResourceName name;
            if (e.Name & 0x80000000u) {
                std::string text = PeNameText(FRoot, e.Name);
                if (!seenNames.insert(text).second)
                    continue;
                name.IsId = false;
                name.Text = std::move(text);
            } else {
                name.Id = e.Name & 0xFFFF;
                if (!seenIds.insert(name.Id).second)
                    continue;
            }
            Loops(groups, i, e);
            const auto& found = FFirstLanguageData(e.Target);
            if (!found.Data)
                FTable.Problems.Add(ErrorCode::NotFound, groups.EntryAt(i), "group directory",
                                    where + std::to_string(out.size()));
            ResourceTable::AddGroup(out, std::move(name), found.Data ? *found.Data : Extent{}, FLimits,
                                    found.Languages);
        }
    }

    SourceView FRoot;
    const CatalogLimits& FLimits;
    ResourceTable& FTable;
    FirstLanguageData FFirstLanguageData;
};

} // namespace

ResourceTable ReadPeResources(SourceView file, std::uint32_t pe, const CatalogLimits& limits)
{
    ResourceTable table;
    table.Kind = FileKind::Pe;
    if (auto tree = LocateTree(file, pe, table)) {
        // Offsets inside the resource tree are relative to its root; everything from the
        // root to the end of the file is addressable that way.
        TreeReader(file.Tail(tree->Root), tree->Map, limits, table).Read();
    }
    return table;
}

} // namespace gw
