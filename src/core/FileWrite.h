// Writing whole files safely: new names that never replace, and replacement that never damages.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace FileWrite {

// The writer's own refusals, beyond errno values; ErrorText says them.
// A link in a sticky, world-writable folder that belongs neither to the caller nor to
// the folder's owner: another user's link, followed nowhere, as the kernel's
// protection of such links (fs.protected_symlinks) would refuse it.
constexpr int kForeignLink = 0x10000;
// A link that leads out of the folder a write is confined to.
constexpr int kLinkLeavesFolder = 0x10001;
// An unnamed temporary file that cannot be given a name; never returned by the writer,
// which writes a named temporary file instead.
constexpr int kNoWayToName = 0x10002;
// strerror, or the text of one of the writer's own refusals.
const char* ErrorText(int err);

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
// to the file it names (see ResolveLinks; with `within`, only to a file in that folder
// or below it, else kLinkLeavesFolder); an existing file keeps its mode and owner. Refuses
// (EACCES) a file the user may not write and (EISDIR, EINVAL) anything that is not a
// regular file; a file without any write permission is refused also for the
// super-user. Returns 0 or the errno of the failure; a failure leaves an existing
// file as it was and creates nothing.
//
// The bytes go to a temporary file in the same folder that is synced to the disk and
// then renamed over the name, so the name holds the old file or the new one, never a
// mix; other hard links of the old file keep its old contents. Where the new file
// cannot keep the old one's owner, or the folder refuses new files while the file
// itself may be written, the file is rewritten in place, its old contents kept aside
// and put back if the write fails.
int Replace(const std::string& path, const std::uint8_t* data, std::size_t size, const std::string& within = {});

// Like Replace, but a file with other hard links is rewritten in place, so that every
// name of it reads the new contents (a settings file shared through a link); a failure
// puts the old contents back.
int ReplaceKeepingLinks(const std::string& path, const std::uint8_t* data, std::size_t size);

// Like Replace, but an existing file is always rewritten in place: a reader that holds
// it open (a thumbnail client waiting for its output) reads the new bytes. A failure
// puts the old contents back.
int Overwrite(const std::string& path, const std::uint8_t* data, std::size_t size);

// Writes all `size` bytes at `offset` of the open file `fd`; 0 or the errno.
int WriteAllAt(int fd, const std::uint8_t* data, std::size_t size, off_t offset);

// Follows symbolic links at the end of `path` to the name that is to be written,
// which need not exist: a link whose target is missing is written through. 0, the
// errno (ELOOP after 40 links) or kForeignLink.
int ResolveLinks(const std::string& path, std::string& out);

// Whether `path` is the folder `folder` or lies below it, both as the file system
// resolves them (links, ".."); false when either cannot be resolved.
bool IsWithin(const std::string& path, const std::string& folder);

// The system calls whose refusal differs between file systems, replaceable by tests
// that play such a file system. Each returns 0 or -1 with errno set, as the call does.
struct Operations {
    int (*Link)(const char* from, const char* to);
    int (*RenameNoReplace)(const char* from, const char* to);
    int (*Fchmod)(int fd, mode_t mode);
    int (*Fsync)(int fd);
    // A file without a name in `folder` (O_TMPFILE), open for writing; -1 where the
    // file system has none.
    int (*OpenUnnamed)(const char* folder);
    // Links the file that OpenUnnamed gave under `name`; errno kNoWayToName where the
    // process has no way to (neither /proc nor the capability to link a descriptor).
    int (*LinkUnnamed)(int fd, const char* name);
};
Operations& Seam();
void ResetSeam();

} // namespace FileWrite
