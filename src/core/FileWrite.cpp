// Writing whole files safely: new names that never replace, and replacement that never damages.
#include "core/FileWrite.h"

#include "core/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <mutex>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace FileWrite {

namespace {

int RenameNoReplaceCall(const char* from, const char* to)
{
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int OpenUnnamedCall(const char* folder)
{
    return ::open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
}

int LinkUnnamedCall(int fd, const char* name);

Operations Defaults() { return {::link, RenameNoReplaceCall, ::fchmod, ::fsync, OpenUnnamedCall, LinkUnnamedCall}; }

Operations gOperations = Defaults();

// An old file larger than this is rewritten in place without a copy to put back.
constexpr off_t kMaxKeptAside = off_t(64) << 20;

mode_t DefaultFileMode()
{
    static const mode_t mask = [] {
        mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

bool ReadAllAt(int fd, std::vector<std::uint8_t>& out, off_t size)
{
    out.resize(std::size_t(size));
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + done, out.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// Names of temporary files that exist now, removed when the process is ended by a
// signal. Fixed slots: the handler may only touch memory that needs no allocation.
constexpr int kTempSlots = 16;
std::atomic<bool> gSlotTaken[kTempSlots];
std::atomic<bool> gSlotLive[kTempSlots];
char gSlotName[kTempSlots][PATH_MAX];

void RemoveTempsAndDie(int signal)
{
    for (int i = 0; i < kTempSlots; ++i)
        if (gSlotLive[i])
            ::unlink(gSlotName[i]);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Handles SIGINT, SIGTERM, SIGHUP and SIGQUIT where nobody else does: the process
// still ends as the signal would end it, only without leaving temporary files behind.
void HandleEndingSignals()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            struct sigaction now {};
            if (::sigaction(signal, nullptr, &now) != 0 || now.sa_handler != SIG_DFL || (now.sa_flags & SA_SIGINFO))
                continue;
            struct sigaction ours {};
            ours.sa_handler = RemoveTempsAndDie;
            sigemptyset(&ours.sa_mask);
            ::sigaction(signal, &ours, nullptr);
        }
        // A write beyond the file-size limit (ulimit -f) fails with EFBIG, a write
        // error for that file, instead of ending the process midway.
        struct sigaction now {};
        if (::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_DFL && !(now.sa_flags & SA_SIGINFO))
            ::signal(SIGXFSZ, SIG_IGN);
    });
}

// The name of a temporary file while it has one: known to the signal handler.
class TempName {
public:
    TempName() = default;
    ~TempName() { Forget(); }
    TempName(const TempName&) = delete;
    TempName& operator=(const TempName&) = delete;

    const char* c_str() const { return FPath.c_str(); }
    void Set(std::string path)
    {
        Forget();
        FPath = std::move(path);
        HandleEndingSignals();
        for (int i = 0; i < kTempSlots && FSlot < 0; ++i) {
            if (FPath.size() < PATH_MAX && !gSlotTaken[i].exchange(true)) {
                std::memcpy(gSlotName[i], FPath.c_str(), FPath.size() + 1);
                gSlotLive[i] = true;
                FSlot = i;
            }
        }
    }
    // The file has been renamed or removed.
    void Forget()
    {
        if (FSlot < 0)
            return;
        gSlotLive[FSlot] = false;
        gSlotTaken[FSlot] = false;
        FSlot = -1;
    }
    // The name was never made by this process: nothing is to be removed under it.
    void Abandon()
    {
        Forget();
        FPath.clear();
    }
    void Remove()
    {
        ::unlink(FPath.c_str());
        Forget();
    }

private:
    std::string FPath;
    int FSlot = -1;
};

// A fresh ending for a temporary file's name.
std::string TempSuffix()
{
    static std::atomic<unsigned> counter{0};
    const unsigned mix = unsigned(::getpid()) * 2654435761u ^ (counter++ * 40503u) ^
                         unsigned(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%06x", mix & 0xFFFFFF);
    return suffix;
}

// Both ways of making a temporary file's name tell the signal handler the name before
// the name exists: a signal that comes while the file system makes it (a slow FUSE
// request, or one the signal interrupts after the file was made) still finds it. A
// name that was taken already is forgotten again at once; only a signal in that instant
// would remove the other writer's temporary file under it.

// Links the unnamed file `fd` under `name`: straight from the descriptor where the
// kernel allows it (it asks for CAP_DAC_READ_SEARCH), else through /proc. 0 or -1 with
// errno set; kNoWayToName when neither way exists (no such capability, no /proc).
int LinkUnnamedCall(int fd, const char* name)
{
    if (::linkat(fd, "", AT_FDCWD, name, AT_EMPTY_PATH) == 0)
        return 0;
    if (errno == EEXIST)
        return -1;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0)
        return 0;
    const int err = errno;
    if (err == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
        errno = kNoWayToName;
        return -1;
    }
    errno = err;
    return -1;
}

// Gives the unnamed file `fd` a free name in `folder` starting with `stem`. 0 or the errno.
int NameUnnamed(int fd, const std::string& stem, TempName& temp)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp.Set(stem + TempSuffix());
        if (gOperations.LinkUnnamed(fd, temp.c_str()) == 0)
            return 0;
        const int err = errno;
        temp.Abandon();
        if (err != EEXIST)
            return err;
    }
    return EEXIST;
}

// Creates a new file named `stem` and a free ending, open for writing. The descriptor,
// or -1 with errno set.
int CreateNamed(const std::string& stem, TempName& temp)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp.Set(stem + TempSuffix());
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600);
        if (fd >= 0)
            return fd;
        const int err = errno;
        temp.Abandon();
        if (err != EEXIST) {
            errno = err;
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

// A temporary file in `folder` holding the bytes, named `temp`. With `like`, the file
// takes that file's owner and mode where the file system allows; `kept` then says
// whether the owner could be kept. 0 or the errno.
//
// Where the file system has unnamed files (O_TMPFILE) the bytes are written while the
// file has no name and it is named only at the end, so that however the process ends
// meanwhile, nothing is left; elsewhere (FAT) the named file is removed on SIGINT,
// SIGTERM, SIGHUP and SIGQUIT.
int WriteTemp(const std::string& folder, const std::uint8_t* data, std::size_t size, TempName& temp,
              const struct stat* like = nullptr, bool* kept = nullptr, bool mayBeUnnamed = true)
{
    const std::string stem = folder + (folder.back() == '/' ? "" : "/") + ".glimmerwick-";
    int fd = mayBeUnnamed ? gOperations.OpenUnnamed(folder.c_str()) : -1;
    const bool unnamed = fd >= 0;
    if (!unnamed) {
        fd = CreateNamed(stem, temp);
        if (fd < 0)
            return errno;
    }
    int err = WriteAllAt(fd, data, size, 0);
    if (!err && like) {
        // Refused to a writer that may not give files away and by file systems without
        // owners: the owners are then compared below. Any other failure (an I/O error,
        // the other owner's quota) gives the new file up.
        if (::fchown(fd, like->st_uid, like->st_gid) != 0 && errno != EPERM && errno != EINVAL &&
            errno != ENOSYS && errno != EOPNOTSUPP)
            err = errno;
        struct stat now;
        if (kept && !err)
            *kept = ::fstat(fd, &now) == 0 && now.st_uid == like->st_uid && now.st_gid == like->st_gid;
    }
    // File systems without modes (FAT, exFAT) refuse this; the file then has the
    // mode they give every file, which is no reason to fail.
    if (!err)
        (void)gOperations.Fchmod(fd, like ? like->st_mode & 07777 : DefaultFileMode());
    // A file that is to take another's place is on the disk before the rename: else a
    // crash, or a stick pulled out, can leave the name with neither file's contents.
    // Errors found only now (a full disk on flushing) keep the old file as it was.
    if (!err && like && gOperations.Fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (!err && unnamed)
        err = NameUnnamed(fd, stem, temp);
    if (::close(fd) != 0 && !err)
        err = errno;
    // An unnamed file that cannot be named (a sandbox without /proc, a process without
    // the capability to link a descriptor) is let go; a named one is written instead.
    if (err == kNoWayToName)
        return WriteTemp(folder, data, size, temp, like, kept, false);
    if (err)
        temp.Remove();
    return err;
}

// Creates `path` exclusively and writes it; removes it again when the write fails.
int CreateExclusive(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return errno;
    int err = WriteAllAt(fd, data, size, 0);
    if (::close(fd) != 0 && !err)
        err = errno;
    if (err)
        ::unlink(path.c_str());
    return err;
}

bool NoHardLinks(int err) { return err == EPERM || err == ENOSYS || err == EOPNOTSUPP; }
bool NoExclusiveRename(int err) { return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP; }

// Gives the open file `fd` the length `size` where it has another. fusefat refuses a
// truncation to the length a file already has.
int SetLength(int fd, std::size_t size)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return errno;
    if (st.st_size != off_t(size) && ::ftruncate(fd, off_t(size)) != 0)
        return errno;
    return 0;
}

// Rewrites the file `path` (seen as `before`) in place: its identity, links, mode and
// owner stay. The old contents are kept aside and put back when the write fails.
int RewriteInPlace(const std::string& path, const struct stat& before, const std::uint8_t* data, std::size_t size)
{
    // Non-blocking, so that a FIFO put in the file's place meanwhile cannot hang the open.
    constexpr int kFlags = O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
    auto same = [&](int fd, struct stat& st) {
        return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == before.st_dev &&
               st.st_ino == before.st_ino;
    };
    const int fd = ::open(path.c_str(), O_WRONLY | kFlags);
    if (fd < 0)
        return errno;
    struct stat st;
    if (!same(fd, st)) {
        ::close(fd);
        return EAGAIN;
    }
    // The old contents are read through a descriptor of their own: fusefat loses the
    // writes made through a descriptor that has read a short file.
    std::vector<std::uint8_t> old;
    bool kept = false;
    if (st.st_size <= kMaxKeptAside) {
        const int in = ::open(path.c_str(), O_RDONLY | kFlags);
        struct stat inSt;
        kept = in >= 0 && same(in, inSt) && ReadAllAt(in, old, st.st_size);
        if (in >= 0)
            ::close(in);
    }
    // Room for the new contents first, where the file system can promise it.
    if (off_t(size) > st.st_size && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
        const int err = errno;
        ::close(fd);
        return err;
    }
    int err = WriteAllAt(fd, data, size, 0);
    if (!err)
        err = SetLength(fd, size);
    // Late errors (a full disk found on flushing) show here, while the old contents
    // can still be put back.
    if (!err && ::fdatasync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (err && kept) {
        WriteAllAt(fd, old.data(), old.size(), 0);
        (void)SetLength(fd, old.size());
        (void)::fdatasync(fd);
    }
    if (::close(fd) != 0 && !err)
        err = errno;
    return err;
}

} // namespace

int WriteAllAt(int fd, const std::uint8_t* data, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        done += std::size_t(n);
    }
    return 0;
}

const char* ErrorText(int err)
{
    switch (err) {
    case kForeignLink: return "refusing to follow a link owned by another user";
    case kLinkLeavesFolder: return "refusing to follow a link out of the output folder";
    default: return std::strerror(err);
    }
}

int ResolveLinks(const std::string& path, std::string& out)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return errno;
            out = current;
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            out = current;
            return 0;
        }
        // The links are followed here, not by the kernel, so its rule for links in
        // shared folders (/tmp) is kept here: another user's link there may lead a
        // privileged writer to any file.
        struct stat folder;
        if (::stat(gw::FolderOf(current).c_str(), &folder) != 0)
            return errno;
        if ((folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH) && st.st_uid != ::geteuid() &&
            st.st_uid != folder.st_uid)
            return kForeignLink;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return errno;
        if (std::size_t(n) >= buffer.size())
            return ENAMETOOLONG;
        const std::string link(buffer.data(), std::size_t(n));
        current = link.front() == '/' ? link : gw::FolderOf(current) + "/" + link;
    }
    return ELOOP;
}

bool IsWithin(const std::string& path, const std::string& folder)
{
    char* p = ::realpath(path.c_str(), nullptr);
    char* f = ::realpath(folder.c_str(), nullptr);
    bool inside = false;
    if (p && f) {
        const std::string a(p), b(f);
        inside = a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 && (b == "/" || a[b.size()] == '/'));
    }
    std::free(p);
    std::free(f);
    return inside;
}

Operations& Seam() { return gOperations; }
void ResetSeam() { gOperations = Defaults(); }

int WriteNew(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    if (path.empty())
        return ENOENT;
    HandleEndingSignals();
    TempName temp;
    if (const int err = WriteTemp(gw::FolderOf(path), data, size, temp))
        return err;
    int err = 0;
    if (gOperations.Link(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        if (NoHardLinks(err)) {
            if (gOperations.RenameNoReplace(temp.c_str(), path.c_str()) == 0) {
                temp.Forget();
                return 0;
            }
            err = errno;
            if (NoExclusiveRename(err))
                err = CreateExclusive(path, data, size);
        }
    }
    temp.Remove();
    return err;
}

namespace {

// How an existing file is written: replaced whole, replaced whole unless it has other
// hard links (then rewritten in place, so that they see the new contents), or always
// rewritten in place.
enum class Way { Whole, KeepLinks, InPlace };

int WriteExisting(const std::string& path, const std::uint8_t* data, std::size_t size, const std::string& within,
                  Way way)
{
    if (path.empty())
        return ENOENT;
    HandleEndingSignals();
    std::string target;
    if (const int err = ResolveLinks(path, target))
        return err;
    if (!within.empty() && target != path && !IsWithin(gw::FolderOf(target), within))
        return kLinkLeavesFolder;
    const std::string folder = gw::FolderOf(target);
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return errno;
        TempName temp;
        if (const int err = WriteTemp(folder, data, size, temp))
            return err;
        if (::rename(temp.c_str(), target.c_str()) != 0) {
            const int err = errno;
            temp.Remove();
            return err;
        }
        temp.Forget();
        return 0;
    }
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return errno;
    // The super-user passes the check above for any file; a file that nobody may
    // write was still marked read-only by its owner, and stays as it is.
    if ((st.st_mode & 0222) == 0)
        return EACCES;
    // A file with several hard links is replaced under this name like any other: the
    // name is then the old file or the new one, never a mix, and the other links keep
    // the old contents, as editors leave them.
    if (way == Way::Whole || (way == Way::KeepLinks && st.st_nlink <= 1)) {
        TempName temp;
        bool ownerKept = false;
        if (WriteTemp(folder, data, size, temp, &st, &ownerKept) == 0) {
            if (ownerKept && ::rename(temp.c_str(), target.c_str()) == 0) {
                temp.Forget();
                return 0;
            }
            temp.Remove();
        }
    }
    // Asked for (or other links to keep), an owner that a new file would not keep, or a
    // folder that takes no new files (read-only, full, a sticky folder) while the file
    // may be written.
    return RewriteInPlace(target, st, data, size);
}

} // namespace

int Replace(const std::string& path, const std::uint8_t* data, std::size_t size, const std::string& within)
{
    return WriteExisting(path, data, size, within, Way::Whole);
}

int ReplaceKeepingLinks(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    return WriteExisting(path, data, size, {}, Way::KeepLinks);
}

int Overwrite(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    return WriteExisting(path, data, size, {}, Way::InPlace);
}

} // namespace FileWrite
