// Random access to the bytes of a file or of memory, read on demand into buffers.
#pragma once

#include "ByteReader.h"

#include <cstdint>
#include <string>

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

} // namespace gw
