// Writing whole files without replacing what the user did not ask to replace.
#include "FileOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace gw {

namespace {

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = std::strerror(n < 0 ? errno : ENOSPC);
            return false;
        }
        at += std::size_t(n);
    }
    return true;
}

// Writes everything and closes `fd`; false (with the reason) when either fails.
bool WriteAndClose(int fd, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    bool ok = WriteAll(fd, bytes, error);
    if (::close(fd) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    return ok;
}

} // namespace

WriteResult WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool replace,
                      std::string& error)
{
    if (!replace) {
        // An exclusive create takes the name only when nothing has it, links included.
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                return WriteResult::Exists;
            error = std::strerror(errno);
            return WriteResult::Failed;
        }
        const bool ok = WriteAndClose(fd, bytes, error);
        if (!ok)
            ::unlink(path.c_str());
        return ok ? WriteResult::Written : WriteResult::Failed;
    }

    // Replacing: through a link to the file it names, and only a regular file.
    std::string target = path;
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) {
            error = "not a regular file";
            return WriteResult::Failed;
        }
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + (folder.back() == '/' ? "" : "/") + "." + base + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd >= 0) {
        // A new file gets the usual mode; a replaced one keeps its own.
        mode_t mode = exists ? (st.st_mode & 07777) : mode_t(0666 & ~[] { mode_t m = ::umask(0); ::umask(m); return m; }());
        (void)::fchmod(fd, mode);  // refused on some file systems: harmless
        bool ok = WriteAndClose(fd, bytes, error);
        if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
            error = std::strerror(errno);
            ok = false;
        }
        if (!ok)
            ::unlink(temp.c_str());
        return ok ? WriteResult::Written : WriteResult::Failed;
    }
    // The folder takes no new names: write in place where the file can be written.
    if (!exists) {
        error = std::strerror(errno);
        return WriteResult::Failed;
    }
    fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = std::strerror(errno);
        return WriteResult::Failed;
    }
    return WriteAndClose(fd, bytes, error) ? WriteResult::Written : WriteResult::Failed;
}

} // namespace gw
