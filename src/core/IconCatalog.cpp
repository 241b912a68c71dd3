// Readers of the icon resources of PE and NE executables and of .ico files.
#include "core/IconCatalog.h"

#include "core/IconDecoder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace gw {

namespace {

constexpr std::uint32_t kRtCursor = 1;
constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupCursor = 12;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr std::uint16_t kNeTypeCursor = 0x8001;
constexpr std::uint16_t kNeTypeIcon = 0x8003;
constexpr std::uint16_t kNeTypeGroupCursor = 0x800C;
constexpr std::uint16_t kNeTypeGroupIcon = 0x800E;
constexpr std::uint32_t kGroupHeader = 6;
constexpr std::uint32_t kGroupEntry = 14;  // GRPICONDIRENTRY (and its cursor twin) in resources
constexpr std::uint32_t kIcoEntry = 16;    // ICONDIRENTRY in .ico and .cur files
constexpr std::uint32_t kHotspot = 4;      // the hot spot before a cursor resource's image

// The directory type word of .ico (1) and .cur (2) files.
constexpr std::uint16_t kIcoType = 1;
constexpr std::uint16_t kCurType = 2;

} // namespace

// A window [base, base + size) on the bytes being parsed, with bounds-checked
// little-endian reads relative to its start.
class SourceView : public LittleEndianReads<SourceView> {
public:
    SourceView(const ByteSource& source, std::uint64_t base, std::uint64_t size)
        : FSource(&source), FBase(base), FSize(size)
    {
    }

    std::uint64_t Size() const { return FSize; }
    std::uint64_t Base() const { return FBase; }
    bool Has(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= FSize && length <= FSize - offset;
    }
    SourceView Head(std::uint64_t length) const { return {*FSource, FBase, std::min(length, FSize)}; }
    SourceView Tail(std::uint64_t offset) const
    {
        if (offset >= FSize)
            return {*FSource, FBase + FSize, 0};
        return {*FSource, FBase + offset, FSize - offset};
    }
    // The file extent of [offset, offset + length), cut at the end of the window.
    Extent Clamp(std::uint64_t offset, std::uint64_t length) const
    {
        if (offset >= FSize)
            return {};
        return {FBase + offset, std::min(length, FSize - offset)};
    }

    std::string Text(std::uint64_t offset, std::uint64_t length) const
    {
        std::string text;
        if (!Has(offset, length))
            return text;
        text.resize(std::size_t(length));
        if (!Copy(offset, reinterpret_cast<std::uint8_t*>(text.data()), text.size()))
            text.clear();
        return text;
    }

    bool Copy(std::uint64_t offset, std::uint8_t* out, std::size_t n) const
    {
        return Has(offset, n) && FSource->ReadAt(FBase + offset, out, n);
    }

private:

    const ByteSource* FSource;
    std::uint64_t FBase;
    std::uint64_t FSize;
};

namespace {

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

// The NE header's fields that lead to the resource table.
struct NeHeader {
    std::uint16_t ResourceTable;       // offset from the NE header
    std::uint16_t ResidentNameTable;   // the same; equal to ResourceTable when there are no resources

    static std::optional<NeHeader> Read(SourceView file, std::uint64_t at)
    {
        auto resources = file.ReadU16LE(at + 0x24), residentNames = file.ReadU16LE(at + 0x26);
        if (!resources || !residentNames)
            return std::nullopt;
        return NeHeader{*resources, *residentNames};
    }
};

// The NE resource table: an alignment shift, then per type a TYPEINFO followed by its
// resources' NAMEINFO entries, ended by a type ID of 0.
struct NeTypeInfo {
    static constexpr std::uint64_t kSize = 8;
    std::uint16_t TypeId;
    std::uint16_t Count;

    // Nothing at the end of the table or where it is cut off.
    static std::optional<NeTypeInfo> Read(SourceView table, std::uint64_t at)
    {
        auto typeId = table.ReadU16LE(at), count = table.ReadU16LE(at + 2);
        if (!typeId || *typeId == 0 || !count)
            return std::nullopt;
        return NeTypeInfo{*typeId, *count};
    }
};

struct NeNameInfo {
    static constexpr std::uint64_t kSize = 12;
    std::uint16_t Offset;  // in alignment units
    std::uint16_t Length;  // in alignment units
    std::uint16_t Id;      // high bit: an ID, else the offset of a name in the table

    static std::optional<NeNameInfo> Read(SourceView table, std::uint64_t at)
    {
        auto offset = table.ReadU16LE(at), length = table.ReadU16LE(at + 2), id = table.ReadU16LE(at + 6);
        if (!offset || !length || !id)
            return std::nullopt;
        return NeNameInfo{*offset, *length, *id};
    }
};

// Maps a relative virtual address of a PE image to its file extent.
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
    ResourceDir(SourceView root, std::uint32_t offset) : FRoot(root), FOffset(offset)
    {
        auto named = root.ReadU16LE(std::uint64_t(offset) + 12);
        auto ids = root.ReadU16LE(std::uint64_t(offset) + 14);
        if (!named || !ids)
            return;
        std::uint64_t count = std::uint64_t(*named) + *ids;
        // Entries beyond the resource section are not there; keep those that are.
        std::uint64_t fit = root.Size() > offset + 16u ? (root.Size() - offset - 16) / 8 : 0;
        FCount = std::uint32_t(std::min(count, fit));
    }

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

    FirstLanguageData(SourceView root, const RvaMap& map)
        : FRoot(root), FMap(map), FBudget(root.Size() / 8 + 16)
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
        ResourceDir langs(FRoot, offset);
        for (std::uint32_t i = 0; i < langs.Count() && FBudget > 0; ++i, --FBudget) {
            auto entry = langs.Entry(i);
            if (!entry)
                break;
            const DirEntry e = *entry;
            if (IsSubdir(e.Target))
                continue;  // a fourth level does not exist
            auto rva = FRoot.ReadU32LE(e.Target), size = FRoot.ReadU32LE(std::uint64_t(e.Target) + 4);
            if (!rva || !size)
                continue;
            auto data = FMap.Data(*rva, *size);
            if (!data)
                continue;
            if (!found.Data)
                found.Data = data;
            if (!(e.Name & 0x80000000u))
                found.Languages.push_back({std::uint16_t(e.Name & 0xFFFF), *data});
            if (found.Languages.size() == IconGroup::kMaxLanguages)
                break;
        }
        return found;
    }

    SourceView FRoot;
    const RvaMap& FMap;
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

std::string NeName(SourceView table, std::uint16_t id)
{
    if (auto len = table.ReadU8(id))
        return table.Text(std::uint64_t(id) + 1, *len);
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
    SourceView file(*cached, 0, source.Size());

    auto reserved = file.ReadU16LE(0), type = file.ReadU16LE(2), count = file.ReadU16LE(4);
    if (reserved && *reserved == 0 && type && (*type == kIcoType || *type == kCurType) && count && *count > 0) {
        c.FKind = *type == kIcoType ? FileKind::Ico : FileKind::Cur;
        const std::uint64_t entries = std::min<std::uint32_t>(*count, limits.MaxImagesPerGroup);
        (c.FKind == FileKind::Cur ? c.FCursorGroups : c.FGroups).push_back({ResourceName{}, file.Clamp(0, kGroupHeader + entries * kIcoEntry), {}});
        return c;
    }
    if (file.Text(0, 4) == "RIFF" && file.Text(8, 4) == "ACON") {
        c.FKind = FileKind::Ani;
        c.ParseAni(file, limits);
        return c;
    }

    auto mz = file.ReadU16LE(0);
    if (!mz || *mz != 0x5A4D)
        return c;
    auto newHeader = file.ReadU32LE(0x3C);
    if (!newHeader)
        return c;
    auto sig = file.ReadU32LE(*newHeader);
    if (sig && *sig == 0x00004550) {
        c.FKind = FileKind::Pe;
        c.ParsePe(file, *newHeader, limits);
    } else if (auto sig16 = file.ReadU16LE(*newHeader); sig16 && *sig16 == 0x454E) {
        c.FKind = FileKind::Ne;
        c.ParseNe(file, *newHeader, limits);
    }
    return c;
}

void IconCatalog::AddGroup(std::vector<IconGroup>& groups, ResourceName name, Extent directory,
                           const CatalogLimits& limits, std::vector<GroupLanguage> languages)
{
    if (groups.size() >= limits.MaxGroups)
        return;
    groups.push_back({std::move(name), directory, std::move(languages)});
}

void IconCatalog::ParsePe(SourceView file, std::uint32_t pe, const CatalogLimits& limits)
{
    const std::uint64_t coffAt = std::uint64_t(pe) + 4;
    const auto coff = CoffHeader::Read(file, coffAt);
    const std::uint64_t optAt = coffAt + CoffHeader::kSize;
    if (!coff)
        return;
    const auto opt = OptionalHeader::Read(file, optAt);
    if (!opt)
        return;
    FPe64 = opt->Pe64;
    // The resource directory must lie inside the optional header.
    const std::uint32_t resource = OptionalHeader::kResourceDirectory;
    const std::uint64_t resourceAt = opt->DataDirectories + resource * OptionalHeader::kDataDirectorySize;
    if (!opt->NumberOfRvaAndSizes || *opt->NumberOfRvaAndSizes <= resource ||
        resourceAt + OptionalHeader::kDataDirectorySize > optAt + coff->SizeOfOptionalHeader)
        return;
    auto resRva = file.ReadU32LE(resourceAt);
    if (!resRva || *resRva == 0)
        return;

    std::vector<Section> sections;
    const std::uint64_t table = optAt + coff->SizeOfOptionalHeader;
    // Every lookup walks the section table; the format's own limit of 96 sections keeps
    // that walk short.
    const std::uint32_t kMaxSections = 96;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(coff->NumberOfSections, kMaxSections); ++i) {
        auto section = Section::Read(file, table + std::uint64_t(i) * Section::kSize);
        if (!section)
            break;
        sections.push_back(*section);
    }
    RvaMap map(file, std::move(sections));
    auto rootOffset = map.Offset(*resRva);
    if (!rootOffset)
        return;
    // Offsets inside the resource tree are relative to its root; everything from the
    // root to the end of the file is addressable that way.
    SourceView root(file.Tail(*rootOffset));

    FirstLanguageData firstLanguageData(root, map);
    ResourceDir types(root, 0);
    std::optional<std::uint32_t> groupsDir, iconsDir, cursorGroupsDir, cursorsDir;
    for (std::uint32_t i = 0; i < types.Count(); ++i) {
        auto entry = types.Entry(i);
        if (!entry)
            break;
        const DirEntry e = *entry;
        if ((e.Name & 0x80000000u) || !IsSubdir(e.Target))
            continue;
        std::optional<std::uint32_t>* dir = nullptr;
        switch (e.Name) {
        case kRtGroupIcon: dir = &groupsDir; break;
        case kRtIcon: dir = &iconsDir; break;
        case kRtGroupCursor: dir = &cursorGroupsDir; break;
        case kRtCursor: dir = &cursorsDir; break;
        default: continue;
        }
        if (!*dir)
            *dir = Low31(e.Target);
    }

    auto readImages = [&](std::optional<std::uint32_t> at, std::vector<IconEntry>& images) {
        if (!at)
            return;
        ResourceDir dir(root, *at);
        images.reserve(dir.Count());
        for (std::uint32_t i = 0; i < dir.Count(); ++i) {
            auto entry = dir.Entry(i);
            if (!entry)
                break;
            const DirEntry e = *entry;
            if (e.Name & 0x80000000u)
                continue;
            if (auto data = firstLanguageData(e.Target).Data)
                images.push_back({e.Name & 0xFFFF, *data});
        }
        std::stable_sort(images.begin(), images.end(),
                         [](const IconEntry& a, const IconEntry& b) { return a.Id < b.Id; });
    };
    auto readGroups = [&](std::optional<std::uint32_t> at, std::vector<IconGroup>& out) {
        if (!at)
            return;
        ResourceDir groups(root, *at);
        // The same group stored twice counts once.
        std::unordered_set<std::uint32_t> seenIds;
        std::unordered_set<std::string> seenNames;
        for (std::uint32_t i = 0; i < groups.Count() && out.size() < limits.MaxGroups; ++i) {
            auto entry = groups.Entry(i);
            if (!entry)
                break;
            const DirEntry e = *entry;
            ResourceName name;
            if (e.Name & 0x80000000u) {
                std::string text = PeNameText(root, e.Name);
                if (seenNames.count(text))
                    continue;
                seenNames.insert(text);
                name.IsId = false;
                name.Text = std::move(text);
            } else {
                name.Id = e.Name & 0xFFFF;
                if (!seenIds.insert(name.Id).second)
                    continue;
            }
            const auto& found = firstLanguageData(e.Target);
            AddGroup(out, std::move(name), found.Data ? *found.Data : Extent{}, limits, found.Languages);
        }
    };
    if (groupsDir)
        readImages(iconsDir, FIcons);
    readGroups(groupsDir, FGroups);
    if (cursorGroupsDir)
        readImages(cursorsDir, FCursors);
    readGroups(cursorGroupsDir, FCursorGroups);
}

void IconCatalog::ParseNe(SourceView file, std::uint32_t ne, const CatalogLimits& limits)
{
    const auto header = NeHeader::Read(file, ne);
    if (!header || header->ResourceTable == header->ResidentNameTable)
        return;  // no resource table
    const std::uint64_t tableAt = std::uint64_t(ne) + header->ResourceTable;
    SourceView table(file.Tail(tableAt));
    auto shift = table.ReadU16LE(0);
    if (!shift || *shift > 24)
        return;

    // Extent of a resource, its offset and length in alignment units, clamped to the file.
    auto extent = [&](std::uint16_t offset, std::uint16_t length) -> Extent {
        return file.Clamp(std::uint64_t(offset) << *shift, std::uint64_t(length) << *shift);
    };

    struct Pending { ResourceName Name; Extent Data; };
    std::vector<Pending> groups, cursorGroups;
    std::uint64_t at = 2;
    while (true) {
        const auto type = NeTypeInfo::Read(table, at);
        if (!type)
            break;
        at += NeTypeInfo::kSize;
        for (std::uint32_t i = 0; i < type->Count; ++i, at += NeNameInfo::kSize) {
            const auto entry = NeNameInfo::Read(table, at);
            if (!entry)
                break;
            if ((type->TypeId == kNeTypeIcon || type->TypeId == kNeTypeCursor) && (entry->Id & 0x8000)) {
                (type->TypeId == kNeTypeIcon ? FIcons : FCursors)
                    .push_back({std::uint32_t(entry->Id & 0x7FFF), extent(entry->Offset, entry->Length)});
            } else if (type->TypeId == kNeTypeGroupIcon || type->TypeId == kNeTypeGroupCursor) {
                auto& pending = type->TypeId == kNeTypeGroupIcon ? groups : cursorGroups;
                if (pending.size() >= limits.MaxGroups)
                    continue;
                ResourceName name;
                if (entry->Id & 0x8000) {
                    name.Id = entry->Id & 0x7FFF;
                } else {
                    name.IsId = false;
                    name.Text = NeName(table, entry->Id);
                }
                pending.push_back({std::move(name), extent(entry->Offset, entry->Length)});
            }
        }
        if (!table.Has(at, 2))
            break;
    }
    for (auto* images : {&FIcons, &FCursors})
        std::stable_sort(images->begin(), images->end(),
                         [](const IconEntry& a, const IconEntry& b) { return a.Id < b.Id; });
    auto addGroups = [&](std::vector<Pending>& pending, std::vector<IconGroup>& out) {
        std::unordered_set<std::string> seen;
        for (Pending& g : pending) {
            std::string key(1, g.Name.IsId ? '#' : '$');
            key += g.Name.IsId ? std::to_string(g.Name.Id) : g.Name.Text;
            if (seen.insert(key).second)
                AddGroup(out, std::move(g.Name), g.Data, limits);
        }
    };
    addGroups(groups, FGroups);
    addGroups(cursorGroups, FCursorGroups);
}

void IconCatalog::ParseAni(SourceView file, const CatalogLimits& limits)
{
    // RIFF chunks: an eight-byte head (four-letter id, length), the data, a pad byte to
    // an even length. The frames are "icon" chunks, each a whole .ico or .cur file,
    // inside a "LIST" chunk of type "fram". Chunks are cut at the end of the RIFF or
    // of the file, whichever comes first.
    auto riffSize = file.ReadU32LE(4);
    if (!riffSize)
        return;
    const SourceView riff = file.Head(8 + std::uint64_t(*riffSize));
    auto walk = [&](std::uint64_t from, std::uint64_t to, auto&& visit) {
        for (std::uint64_t at = from; at + 8 <= to && riff.Has(at, 8);) {
            const std::string id = riff.Text(at, 4);
            auto length = riff.ReadU32LE(at + 4);
            if (!length)
                return;
            const std::uint64_t data = at + 8;
            const std::uint64_t size = std::min<std::uint64_t>(*length, to - data);
            visit(id, data, size);
            at = data + size + (size & 1);
        }
    };
    walk(12, riff.Size(), [&](const std::string& id, std::uint64_t data, std::uint64_t size) {
        if (id != "LIST" || size < 4 || riff.Text(data, 4) != "fram")
            return;
        walk(data + 4, data + size, [&](const std::string& frameId, std::uint64_t frame, std::uint64_t frameSize) {
            auto reserved = riff.ReadU16LE(frame), type = riff.ReadU16LE(frame + 2), count = riff.ReadU16LE(frame + 4);
            if (frameId != "icon" || !reserved || *reserved != 0 || !type || (*type != kIcoType && *type != kCurType) ||
                !count || *count == 0)
                return;
            const std::uint64_t entries = std::min<std::uint32_t>(*count, limits.MaxImagesPerGroup);
            ResourceName name;
            name.Id = std::uint32_t(FCursorGroups.size());
            AddGroup(FCursorGroups, std::move(name),
                     riff.Clamp(frame, std::min<std::uint64_t>(frameSize, kGroupHeader + entries * kIcoEntry)), limits);
        });
    });
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

std::optional<Extent> IconCatalog::Find(const std::vector<IconEntry>& images, std::uint32_t id)
{
    auto it = std::lower_bound(images.begin(), images.end(), id,
                               [](const IconEntry& e, std::uint32_t v) { return e.Id < v; });
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
        GroupEntry e;
        e.Width = *dir.ReadU8(at);
        e.Height = *dir.ReadU8(at + 1);
        e.ColorCount = *dir.ReadU8(at + 2);
        e.Reserved = *dir.ReadU8(at + 3);
        e.Planes = *dir.ReadU16LE(at + 4);
        e.BitCount = *dir.ReadU16LE(at + 6);
        e.StoredSize = *dir.ReadU32LE(at + 8);
        if (file) {
            // A cursor file's entry holds the hot spot where an icon's holds planes and depth.
            if (*type == kCurType) {
                e.HotspotX = std::exchange(e.Planes, 1);
                e.HotspotY = std::exchange(e.BitCount, 0);
            }
            const std::uint64_t offset = directory.Offset + *dir.ReadU32LE(at + 12);
            if (offset >= FFileSize)
                continue;
            // A size that runs past the end of the file is clamped to it.
            std::uint64_t len = std::min<std::uint64_t>(e.StoredSize, FFileSize - offset);
            if (!len)
                continue;
            e.Image = {offset, len};
        } else {
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
                continue;
            e.Image = *data;
            // NE resources fill whole alignment units: the image is as long as the
            // group says when that is shorter.
            if (FKind == FileKind::Ne && e.StoredSize && e.StoredSize < e.Image.Size)
                e.Image.Size = e.StoredSize;
            if (cursors) {
                std::uint8_t hotspot[kHotspot];
                if (e.Image.Size <= kHotspot || !source.ReadAt(e.Image.Offset, hotspot, kHotspot))
                    continue;
                e.HotspotX = LoadU16LE(hotspot);
                e.HotspotY = LoadU16LE(hotspot + 2);
                e.Image.Offset += kHotspot;
                e.Image.Size -= kHotspot;
            }
        }
        entries.push_back(e);
    }
    return entries;
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
