// A bounds-checked window on the bytes of a source, for the format readers.
#pragma once

#include "core/ByteReader.h"
#include "core/FileSource.h"
#include "core/ResourceTable.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace gw {

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

} // namespace gw
