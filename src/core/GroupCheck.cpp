#include "core/GroupCheck.h"

#include "core/IconDecoder.h"

#include <cstdint>

namespace gw {

std::string GroupWhere(std::size_t index, bool cursors)
{
    return (cursors ? "cursor " : "icon ") + std::to_string(index);
}

std::vector<Diagnostic> CheckGroupImages(const IconCatalog& catalog, std::size_t index, bool cursors,
                                         const ByteSource& file)
{
    DiagnosticList problems;
    const auto& groups = catalog.Groups(cursors);
    if (index >= groups.size())
        return {};
    const std::string where = GroupWhere(index, cursors);
    std::uint64_t budget = IconCatalog::kDefaultReadBudget;
    for (const GroupEntry& e : catalog.ReadGroupEntries(groups[index].Directory, file, cursors)) {
        if (e.Image.Size > budget)
            break;
        budget -= e.Image.Size;
        std::vector<std::uint8_t> bytes(std::size_t(e.Image.Size));
        if (!file.ReadAt(e.Image.Offset, bytes.data(), bytes.size())) {
            problems.Add(ErrorCode::Io, e.Image.Offset, "image", where);
            continue;
        }
        const auto decoded = DecodeIconImage(Bytes(bytes.data(), bytes.size()));
        if (!decoded)
            problems.Add(decoded.Err().Code, e.Image.Offset + decoded.Err().Offset, decoded.Err().Context, where);
    }
    return problems.Take();
}

std::vector<Diagnostic> CheckFile(const IconCatalog& catalog, const ByteSource& file)
{
    std::vector<Diagnostic> all = catalog.Diagnostics();
    for (const bool cursors : {false, true})
        for (std::size_t i = 0; i < catalog.Groups(cursors).size(); ++i)
            for (Diagnostic& d : CheckGroupImages(catalog, i, cursors, file))
                all.push_back(std::move(d));
    return all;
}

} // namespace gw
