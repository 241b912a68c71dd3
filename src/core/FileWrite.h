// Writing whole files safely: new names that never replace, and replacement that never damages.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace FileWrite {

// Writes `size` bytes under `path`, which must be a free name: the file appears whole
// or not at all, and a file of that name (also one another program creates meanwhile)
// is never replaced. Returns 0, EEXIST when the name is taken, or the errno of the
// failure; nothing is left behind unless 0 is returned.
//
// The bytes go to a temporary file in the same folder that is then linked to the
// name. Where the file system has no hard links (FAT, exFAT), the temporary file is
// renamed without replacing, and where that is refused too, the name itself is
// created exclusively and written.
int WriteNew(const std::string& path, const std::uint8_t* data, std::size_t size);

// Writes `size` bytes as the contents of `path`. A symbolic link is written through
// to the file it names; an existing file keeps its mode, owner and links. Refuses
// (EACCES) a file the user may not write and (EISDIR, EINVAL) anything that is not a
// regular file; a file without any write permission is refused also for the
// super-user. Returns 0 or the errno of the failure; a failure leaves an existing
// file as it was and creates nothing.
//
// The bytes go to a temporary file that is synced to the disk and then replaces the
// file. Where that cannot keep the file's identity (several hard links) or the folder
// refuses new files while the file itself may be written, the file is rewritten in
// place, its old contents kept aside and put back if the write fails.
int Replace(const std::string& path, const std::uint8_t* data, std::size_t size);

// Writes all `size` bytes at `offset` of the open file `fd`; 0 or the errno.
int WriteAllAt(int fd, const std::uint8_t* data, std::size_t size, off_t offset);

// Follows symbolic links at the end of `path` to the name that is to be written,
// which need not exist: a link whose target is missing is written through. 0 or the
// errno (ELOOP after 40 links).
int ResolveLinks(const std::string& path, std::string& out);

// The system calls whose refusal differs between file systems, replaceable by tests
// that play such a file system. Each returns 0 or -1 with errno set, as the call does.
struct Operations {
    int (*Link)(const char* from, const char* to);
    int (*RenameNoReplace)(const char* from, const char* to);
    int (*Fchmod)(int fd, mode_t mode);
    int (*Fsync)(int fd);
};
Operations& Seam();
void ResetSeam();

} // namespace FileWrite
