// Reader of the resource table of 16-bit NE executables.
#include "core/NeResources.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace gw {

namespace {

constexpr std::uint16_t kNeTypeCursor = 0x8001;
constexpr std::uint16_t kNeTypeIcon = 0x8003;
constexpr std::uint16_t kNeTypeGroupCursor = 0x800C;
constexpr std::uint16_t kNeTypeGroupIcon = 0x800E;

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
std::string NeName(SourceView table, std::uint16_t id)
{
    if (auto len = table.ReadU8(id))
        return table.Text(std::uint64_t(id) + 1, *len);
    return {};
}


// Reads the resource table that starts at `table` into a ResourceTable.
class NeReader {
public:
    NeReader(SourceView file, SourceView table, std::uint16_t shift, const CatalogLimits& limits, ResourceTable& out)
        : FFile(file), FTable(table), FShift(shift), FLimits(limits), FOut(out)
    {
    }

    void Read()
    {
        std::uint64_t at = 2;
        while (true) {
            const auto type = NeTypeInfo::Read(FTable, at);
            if (!type) {
                if (auto id = FTable.ReadU16LE(at); !id || *id != 0)
                    FOut.Problems.Add(ErrorCode::Truncated, FTable.Base() + at, "resource table");
                break;
            }
            at = ReadType(*type, at + NeTypeInfo::kSize);
            if (!FTable.Has(at, 2)) {
                FOut.Problems.Add(ErrorCode::Truncated, FTable.Base() + at, "resource table");
                break;
            }
        }
        for (auto* images : {&FOut.Icons, &FOut.Cursors})
            std::stable_sort(images->begin(), images->end(),
                             [](const ImageResource& a, const ImageResource& b) { return a.Id < b.Id; });
        AddGroups(FGroups, FOut.Groups);
        AddGroups(FCursorGroups, FOut.CursorGroups);
    }

private:
    struct Pending {
        ResourceName Name;
        Extent Data;
    };

    // Reads the NAMEINFO entries of `type` from `at`; returns where the next type starts.
    std::uint64_t ReadType(const NeTypeInfo& type, std::uint64_t at)
    {
        for (std::uint32_t i = 0; i < type.Count; ++i, at += NeNameInfo::kSize) {
            const auto entry = NeNameInfo::Read(FTable, at);
            if (!entry) {
                FOut.Problems.Add(ErrorCode::Truncated, FTable.Base() + at, "resource table");
                break;
            }
            if ((type.TypeId == kNeTypeIcon || type.TypeId == kNeTypeCursor) && (entry->Id & 0x8000)) {
                (type.TypeId == kNeTypeIcon ? FOut.Icons : FOut.Cursors)
                    .push_back({std::uint32_t(entry->Id & 0x7FFF), Data(*entry)});
            } else if (type.TypeId == kNeTypeGroupIcon || type.TypeId == kNeTypeGroupCursor) {
                AddPending(type.TypeId == kNeTypeGroupIcon ? FGroups : FCursorGroups, *entry);
            }
        }
        return at;
    }

    void AddPending(std::vector<Pending>& pending, const NeNameInfo& entry)
    {
        if (pending.size() >= FLimits.MaxGroups)
            return;
        ResourceName name;
        if (entry.Id & 0x8000) {
            name.Id = entry.Id & 0x7FFF;
        } else {
            name.IsId = false;
            name.Text = NeName(FTable, entry.Id);
        }
        pending.push_back({std::move(name), Data(entry)});
    }

    // Extent of a resource, its offset and length in alignment units, clamped to the file.
    Extent Data(const NeNameInfo& entry)
    {
        const std::uint64_t offset = std::uint64_t(entry.Offset) << FShift;
        const std::uint64_t length = std::uint64_t(entry.Length) << FShift;
        const Extent data = FFile.Clamp(offset, length);
        if (data.Size < length)
            FOut.Problems.Add(ErrorCode::Truncated, FFile.Base() + offset, "resource data");
        return data;
    }

    void AddGroups(std::vector<Pending>& pending, std::vector<IconGroup>& out)
    {
        std::unordered_set<std::string> seen;
        for (Pending& g : pending) {
            std::string key(1, g.Name.IsId ? '#' : '$');
            key += g.Name.IsId ? std::to_string(g.Name.Id) : g.Name.Text;
            if (seen.insert(key).second)
                ResourceTable::AddGroup(out, std::move(g.Name), g.Data, FLimits);
        }
    }

    SourceView FFile;
    SourceView FTable;
    std::uint16_t FShift;
    const CatalogLimits& FLimits;
    ResourceTable& FOut;
    std::vector<Pending> FGroups, FCursorGroups;
};

} // namespace

ResourceTable ReadNeResources(SourceView file, std::uint32_t ne, const CatalogLimits& limits)
{
    ResourceTable table;
    table.Kind = FileKind::Ne;
    const auto header = NeHeader::Read(file, ne);
    if (!header) {
        table.Problems.Add(ErrorCode::Truncated, ne, "NE header");
        return table;
    }
    if (header->ResourceTable == header->ResidentNameTable)
        return table;  // no resource table
    const std::uint64_t tableAt = std::uint64_t(ne) + header->ResourceTable;
    SourceView resources(file.Tail(tableAt));
    auto shift = resources.ReadU16LE(0);
    if (!shift || *shift > 24) {
        table.Problems.Add(shift ? ErrorCode::BadHeader : ErrorCode::Truncated, tableAt,
                           shift ? "alignment shift" : "resource table");
        return table;
    }
    NeReader(file, resources, *shift, limits, table).Read();
    return table;
}

} // namespace gw
