// Random access to the bytes of a file or of memory, read on demand into buffers.
#pragma once

#include "core/ByteReader.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace gw {

// Identity of a file's contents as far as the file system tells: a file with the
// same identity is assumed to hold the same bytes.
struct FileStamp {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::int64_t ChangedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// Bytes that can be read at any offset. A read either delivers every byte asked for
// or fails: a file that shrank or stopped answering is a failed read, never a crash.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The size the source had when it was opened.
    virtual std::uint64_t Size() const = 0;
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const = 0;
    // The whole source when it already lies in memory, else an empty span.
    virtual Bytes Memory() const { return {}; }
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(Bytes bytes) : FBytes(bytes) {}
    std::uint64_t Size() const override { return FBytes.size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const override;
    Bytes Memory() const override { return FBytes; }

private:
    Bytes FBytes;
};

enum class OpenStatus { Ok, Missing, NotRegular, Unreadable, Empty };

// An open regular file read with pread. Nothing is mapped; the descriptor is closed
// when the source is destroyed or closed, so a file is open only while a request runs.
class FileSource final : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    FileSource(FileSource&& other) noexcept;
    FileSource& operator=(FileSource&& other) noexcept;

    // Opens `path` (raw bytes, any encoding) without blocking on FIFOs or devices;
    // folders, devices and empty files are refused.
    static OpenStatus Open(const std::string& path, FileSource& out);
    // The stamp of `path` without opening it; false when it is not a regular file.
    static bool Stamp(const std::string& path, FileStamp& out);

    std::uint64_t Size() const override { return FStamp.Size; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const override;
    const FileStamp& GetStamp() const { return FStamp; }
    bool IsOpen() const { return FFd >= 0; }
    void Close();

private:
    int FFd = -1;
    FileStamp FStamp;
};

// Another source read in aligned blocks, each block once, so that the many small reads
// of one request that lie near each other (a resource tree, the directories of a
// file's groups) cost a few system calls. Reads of a block or more, and sources
// already in memory, go to the source directly.
class BlockCache final : public ByteSource {
public:
    explicit BlockCache(const ByteSource& source) : FSource(source) {}
    BlockCache(const BlockCache&) = delete;
    BlockCache& operator=(const BlockCache&) = delete;

    std::uint64_t Size() const override { return FSource.Size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const override;
    Bytes Memory() const override { return FSource.Memory(); }

    static constexpr std::uint64_t kBlock = 2048;

private:
    using Block = std::vector<std::uint8_t>;
    // A hostile resource tree can touch the whole file; beyond this many blocks the
    // cache starts over rather than hold it all.
    static constexpr std::size_t kMaxBlocks = 4096;

    const Block* Load(std::uint64_t index) const;

    const ByteSource& FSource;
    mutable std::unordered_map<std::uint64_t, Block> FBlocks;
    mutable std::uint64_t FLastIndex = ~std::uint64_t(0);
    mutable const Block* FLast = nullptr;
};

} // namespace gw
