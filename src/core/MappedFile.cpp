// A read-only memory map of a regular file.
#include "MappedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

MappedFile::~MappedFile() { Release(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)), FSize(std::exchange(other.FSize, 0)), FStamp(other.FStamp)
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        Release();
        FData = std::exchange(other.FData, nullptr);
        FSize = std::exchange(other.FSize, 0);
        FStamp = other.FStamp;
    }
    return *this;
}

void MappedFile::Release()
{
    if (FData)
        munmap(FData, FSize);
    FData = nullptr;
    FSize = 0;
}

bool MappedFile::Stamp(const std::string& path, FileStamp& out)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    out = StampOf(st);
    return true;
}

OpenStatus MappedFile::Open(const std::string& path, MappedFile& out)
{
    out.Release();
    // O_NONBLOCK keeps a FIFO that slipped past the check below from blocking the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? OpenStatus::Missing : OpenStatus::Unreadable;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return OpenStatus::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenStatus::NotRegular;
    }
    if (st.st_size == 0) {
        ::close(fd);
        return OpenStatus::Empty;
    }
    void* data = mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (data == MAP_FAILED)
        return OpenStatus::Unreadable;
    out.FData = data;
    out.FSize = std::size_t(st.st_size);
    out.FStamp = StampOf(st);
    return OpenStatus::Ok;
}

} // namespace gw
