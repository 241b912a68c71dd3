// A read-only memory map of a regular file.
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

enum class OpenStatus { Ok, Missing, NotRegular, Unreadable, Empty };

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;

    // Maps `path` (raw bytes, any encoding). Folders, devices and empty files are refused.
    static OpenStatus Open(const std::string& path, MappedFile& out);
    // The stamp of `path` without opening it; false when it is not a regular file.
    static bool Stamp(const std::string& path, FileStamp& out);

    Bytes View() const { return {static_cast<const std::uint8_t*>(FData), FSize}; }
    const FileStamp& GetStamp() const { return FStamp; }

private:
    void Release();

    void* FData = nullptr;
    std::size_t FSize = 0;
    FileStamp FStamp;
};

} // namespace gw
