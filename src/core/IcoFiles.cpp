// Readers of icon and cursor files and of animated cursors.
#include "core/IcoFiles.h"

#include <algorithm>
#include <string>
#include <utility>

namespace gw {

namespace {

// The directory of an icon or cursor file (or frame) at `at`: its type word and
// entry count, when they make one.
struct IcoHeader {
    std::uint16_t Type;
    std::uint16_t Count;

    static std::optional<IcoHeader> Read(SourceView file, std::uint64_t at)
    {
        auto reserved = file.ReadU16LE(at), type = file.ReadU16LE(at + 2), count = file.ReadU16LE(at + 4);
        if (!reserved || *reserved != 0 || !type || (*type != kIcoType && *type != kCurType) || !count || *count == 0)
            return std::nullopt;
        return IcoHeader{*type, *count};
    }

    // The directory's length as far as `limits` reads it.
    std::uint64_t Length(const CatalogLimits& limits) const
    {
        return kGroupHeader + std::uint64_t(std::min<std::uint32_t>(Count, limits.MaxImagesPerGroup)) * kIcoEntry;
    }
};

// Reports a directory that claims more entries than the file or the limits hold.
void CheckDirectory(const IcoHeader& header, const Extent& directory, const CatalogLimits& limits,
                    DiagnosticList& problems, const std::string& where)
{
    if (header.Count > limits.MaxImagesPerGroup)
        problems.Add(ErrorCode::TooLarge, directory.Offset + 4, "image count", where);
    if (directory.Size < header.Length(limits))
        problems.Add(ErrorCode::Truncated, directory.Offset + directory.Size, "icon directory", where);
}

// RIFF chunks: an eight-byte head (four-letter id, length), the data, a pad byte to
// an even length. Calls visit(id, data, size) for each chunk in [from, to); chunks are
// cut at `to`.
template <class Visit>
void WalkChunks(SourceView riff, std::uint64_t from, std::uint64_t to, DiagnosticList& problems, Visit&& visit)
{
    for (std::uint64_t at = from; at + 8 <= to && riff.Has(at, 8);) {
        const std::string id = riff.Text(at, 4);
        auto length = riff.ReadU32LE(at + 4);
        if (!length)
            return;
        const std::uint64_t data = at + 8;
        const std::uint64_t size = std::min<std::uint64_t>(*length, to - data);
        if (size < *length)
            problems.Add(ErrorCode::Truncated, riff.Base() + at, "RIFF chunk");
        visit(id, data, size);
        at = data + size + (size & 1);
    }
}

} // namespace

bool IsIconFile(SourceView file)
{
    return IcoHeader::Read(file, 0).has_value();
}

ResourceTable ReadIconFile(SourceView file, const CatalogLimits& limits)
{
    ResourceTable table;
    const IcoHeader header = *IcoHeader::Read(file, 0);
    table.Kind = header.Type == kIcoType ? FileKind::Ico : FileKind::Cur;
    const Extent directory = file.Clamp(0, header.Length(limits));
    CheckDirectory(header, directory, limits, table.Problems, "");
    (table.Kind == FileKind::Cur ? table.CursorGroups : table.Groups).push_back({ResourceName{}, directory, {}});
    return table;
}

bool IsAnimatedCursor(SourceView file)
{
    return file.Text(0, 4) == "RIFF" && file.Text(8, 4) == "ACON";
}

ResourceTable ReadAnimatedCursor(SourceView file, const CatalogLimits& limits)
{
    // The frames are "icon" chunks, each a whole .ico or .cur file, inside a "LIST"
    // chunk of type "fram". Chunks are cut at the end of the RIFF or of the file,
    // whichever comes first.
    ResourceTable table;
    table.Kind = FileKind::Ani;
    auto riffSize = file.ReadU32LE(4);
    if (!riffSize)
        return table;
    const SourceView riff = file.Head(8 + std::uint64_t(*riffSize));
    if (riff.Size() < 8 + std::uint64_t(*riffSize))
        table.Problems.Add(ErrorCode::Truncated, 0, "RIFF file");
    auto frame = [&](const std::string& id, std::uint64_t at, std::uint64_t size) {
        const auto header = IcoHeader::Read(riff, at);
        if (id != "icon")
            return;
        const std::string where = "cursor " + std::to_string(table.CursorGroups.size());
        if (!header) {
            table.Problems.Add(ErrorCode::BadMagic, riff.Base() + at, "animation frame");
            return;
        }
        const Extent directory = riff.Clamp(at, std::min<std::uint64_t>(size, header->Length(limits)));
        CheckDirectory(*header, directory, limits, table.Problems, where);
        ResourceName name;
        name.Id = std::uint32_t(table.CursorGroups.size());
        ResourceTable::AddGroup(table.CursorGroups, std::move(name), directory, limits);
    };
    WalkChunks(riff, 12, riff.Size(), table.Problems, [&](const std::string& id, std::uint64_t data, std::uint64_t size) {
        if (id == "LIST" && size >= 4 && riff.Text(data, 4) == "fram")
            WalkChunks(riff, data + 4, data + size, table.Problems, frame);
    });
    return table;
}

} // namespace gw
