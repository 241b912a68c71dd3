// Bounds-checked little-endian reads over an immutable byte span.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace gw {

using Bytes = std::span<const std::uint8_t>;

inline std::uint16_t LoadU16LE(const std::uint8_t* b) { return static_cast<std::uint16_t>(b[0] | (b[1] << 8)); }
inline std::uint32_t LoadU32LE(const std::uint8_t* b)
{
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

// Big-endian, as PNG stores its numbers.
inline std::uint32_t LoadU32BE(const std::uint8_t* b)
{
    return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
           (static_cast<std::uint32_t>(b[2]) << 8) | static_cast<std::uint32_t>(b[3]);
}

// The little-endian reads of a reader whose `Copy(offset, out, n)` fills `out` with
// n bytes at `offset` or fails; a read that does not fit is nullopt.
template <typename Reader>
class LittleEndianReads {
public:
    std::optional<std::uint8_t> ReadU8(std::uint64_t offset) const
    {
        std::uint8_t b;
        if (!Self().Copy(offset, &b, 1))
            return std::nullopt;
        return b;
    }

    std::optional<std::uint16_t> ReadU16LE(std::uint64_t offset) const
    {
        std::uint8_t b[2];
        if (!Self().Copy(offset, b, sizeof b))
            return std::nullopt;
        return LoadU16LE(b);
    }

    std::optional<std::uint32_t> ReadU32LE(std::uint64_t offset) const
    {
        std::uint8_t b[4];
        if (!Self().Copy(offset, b, sizeof b))
            return std::nullopt;
        return LoadU32LE(b);
    }

    std::optional<std::int32_t> ReadI32LE(std::uint64_t offset) const
    {
        auto v = ReadU32LE(offset);
        if (!v)
            return std::nullopt;
        std::int32_t s;
        std::memcpy(&s, &*v, sizeof s);
        return s;
    }

private:
    const Reader& Self() const { return static_cast<const Reader&>(*this); }
};

class ByteReader : public LittleEndianReads<ByteReader> {
public:
    ByteReader() = default;
    explicit ByteReader(Bytes bytes) : FBytes(bytes) {}

    std::size_t Size() const { return FBytes.size(); }
    Bytes Span() const { return FBytes; }
    const std::uint8_t* Data() const { return FBytes.data(); }

    // True when [offset, offset + length) lies inside the span; cannot overflow.
    bool Has(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= FBytes.size() && length <= FBytes.size() - offset;
    }

    std::optional<Bytes> Sub(std::uint64_t offset, std::uint64_t length) const
    {
        if (!Has(offset, length))
            return std::nullopt;
        return FBytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }

    // The bytes from offset to the end, empty when offset lies beyond the span.
    Bytes Tail(std::uint64_t offset) const
    {
        if (offset >= FBytes.size())
            return {};
        return FBytes.subspan(static_cast<std::size_t>(offset));
    }

    bool Copy(std::uint64_t offset, std::uint8_t* out, std::size_t n) const
    {
        if (!Has(offset, n))
            return false;
        std::memcpy(out, FBytes.data() + offset, n);
        return true;
    }

private:
    Bytes FBytes;
};

} // namespace gw
