// Random access to the bytes of a file or of memory, read on demand into buffers.
#include "core/FileSource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace gw {

namespace {

FileStamp StampOf(const struct stat& st)
{
    FileStamp s;
    s.Device = std::uint64_t(st.st_dev);
    s.Inode = std::uint64_t(st.st_ino);
    s.Size = std::uint64_t(st.st_size);
    s.ModifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.ChangedNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

bool InRange(std::uint64_t size, std::uint64_t offset, std::uint64_t length)
{
    return offset <= size && length <= size - offset;
}

} // namespace

bool MemorySource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const
{
    if (!InRange(FBytes.size(), offset, length))
        return false;
    if (length)
        std::memcpy(out, FBytes.data() + offset, length);
    return true;
}

FileSource::~FileSource() { Close(); }

FileSource::FileSource(FileSource&& other) noexcept
    : FFd(std::exchange(other.FFd, -1)), FStamp(other.FStamp)
{
}

FileSource& FileSource::operator=(FileSource&& other) noexcept
{
    if (this != &other) {
        Close();
        FFd = std::exchange(other.FFd, -1);
        FStamp = other.FStamp;
    }
    return *this;
}

void FileSource::Close()
{
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
}

bool FileSource::Stamp(const std::string& path, FileStamp& out)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    out = StampOf(st);
    return true;
}

OpenStatus FileSource::Open(const std::string& path, FileSource& out)
{
    out.Close();
    out.FStamp = {};
    // O_NONBLOCK keeps a FIFO or a device from blocking the open; fstat then refuses it.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? OpenStatus::Missing : OpenStatus::Unreadable;
    struct stat st;
    OpenStatus status = OpenStatus::Ok;
    if (::fstat(fd, &st) != 0)
        status = OpenStatus::Unreadable;
    else if (!S_ISREG(st.st_mode))
        status = OpenStatus::NotRegular;
    else if (st.st_size <= 0)
        status = OpenStatus::Empty;
    if (status != OpenStatus::Ok) {
        ::close(fd);
        return status;
    }
    out.FFd = fd;
    out.FStamp = StampOf(st);
    return OpenStatus::Ok;
}

bool FileSource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const
{
    if (FFd < 0 || !InRange(FStamp.Size, offset, length))
        return false;
    while (length > 0) {
        ssize_t n = ::pread(FFd, out, length, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;  // an error, or the file ends sooner than it did when opened
        out += n;
        offset += std::uint64_t(n);
        length -= std::size_t(n);
    }
    return true;
}

bool BlockCache::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const
{
    // Most reads of a tree fall in the block read last.
    if (FLast) {
        const std::uint64_t start = FLastIndex * kBlock;
        if (offset >= start && offset - start <= FLast->size() && length <= FLast->size() - (offset - start)) {
            std::memcpy(out, FLast->data() + (offset - start), length);
            return true;
        }
    }
    const std::uint64_t size = FSource.Size();
    if (!InRange(size, offset, length))
        return false;
    const Bytes memory = FSource.Memory();
    if (length >= kBlock || (memory.data() && memory.size() == size))
        return FSource.ReadAt(offset, out, length);
    while (length > 0) {
        const std::uint64_t index = offset / kBlock, within = offset % kBlock;
        const Block* block = Load(index);
        if (!block || within >= block->size())
            return false;
        const std::size_t n = std::size_t(std::min<std::uint64_t>(length, block->size() - within));
        std::memcpy(out, block->data() + within, n);
        out += n;
        offset += n;
        length -= n;
    }
    return true;
}

const BlockCache::Block* BlockCache::Load(std::uint64_t index) const
{
    if (index == FLastIndex)
        return FLast;
    auto it = FBlocks.find(index);
    if (it == FBlocks.end()) {
        if (FBlocks.size() >= kMaxBlocks)
            FBlocks.clear();
        const std::uint64_t start = index * kBlock;
        Block block(std::size_t(std::min<std::uint64_t>(kBlock, FSource.Size() - start)));
        if (!FSource.ReadAt(start, block.data(), block.size()))
            block.clear();  // remembered as unreadable
        it = FBlocks.emplace(index, std::move(block)).first;
    }
    FLastIndex = index;
    FLast = it->second.empty() ? nullptr : &it->second;
    return FLast;
}

} // namespace gw
