// Whole-file writes: new names that never replace, and replacement through links that
// keeps the file, on file systems with and without hard links, modes and free space.
#include "TestSupport.h"
#include "core/FileWrite.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

using namespace gwtest;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kOld{'o', 'l', 'd'};

Bytes NewBytes(std::size_t size = 766)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = std::uint8_t(i * 7);
    return b;
}

int WriteNew(const std::string& path, const Bytes& b) { return FileWrite::WriteNew(path, b.data(), b.size()); }
int Replace(const std::string& path, const Bytes& b) { return FileWrite::Replace(path, b.data(), b.size()); }
int Overwrite(const std::string& path, const Bytes& b) { return FileWrite::Overwrite(path, b.data(), b.size()); }

// What the refusing file system answers, and what was asked of it.
int gLinkError = 0;
int gRenameError = 0;
bool gChmodRefused = false;
// Neither /proc nor the capability to link a descriptor: unnamed files get no name.
bool gNoNaming = false;
int gNamings = 0;
int (*gRealLinkUnnamed)(int, const char*) = nullptr;
int gFsyncError = 0;
int gLinks = 0;
int gRenames = 0;
int gFsyncs = 0;
// Created by "another program" just before the exclusive rename is refused.
std::string gIntruder;

class FileWriteSeamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gLinks = gRenames = gFsyncs = gNamings = 0;
        gFsyncError = 0;
        gIntruder.clear();
        FileWrite::Operations& ops = FileWrite::Seam();
        gRealLinkUnnamed = ops.LinkUnnamed;
        ops.LinkUnnamed = [](int fd, const char* name) {
            ++gNamings;
            if (gNoNaming) {
                errno = FileWrite::kNoWayToName;
                return -1;
            }
            return gRealLinkUnnamed(fd, name);
        };
        ops.Link = [](const char* from, const char* to) {
            ++gLinks;
            if (gLinkError) {
                errno = gLinkError;
                return -1;
            }
            return ::link(from, to);
        };
        ops.RenameNoReplace = [](const char* from, const char* to) {
            ++gRenames;
            if (!gIntruder.empty())
                WriteBytes(gIntruder, {'t', 'h', 'e', 'i', 'r', 's'});
            if (gRenameError) {
                errno = gRenameError;
                return -1;
            }
            return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
        };
        ops.Fchmod = [](int fd, mode_t mode) {
            if (gChmodRefused) {
                errno = ENOSYS;
                return -1;
            }
            return ::fchmod(fd, mode);
        };
        ops.Fsync = [](int fd) {
            ++gFsyncs;
            if (gFsyncError) {
                errno = gFsyncError;
                return -1;
            }
            return ::fsync(fd);
        };
    }
    void TearDown() override { FileWrite::ResetSeam(); }
};

struct Refusals {
    const char* Name;
    int Link;    // errno of link(), 0: works
    int Rename;  // errno of renameat2(RENAME_NOREPLACE), 0: works
    bool Chmod;  // fchmod refused
    int Links, Renames;  // calls expected for one new name
    bool NoNaming = false;  // unnamed files cannot be named
};

const Refusals kFileSystems[] = {
    {"ordinary", 0, 0, false, 1, 0},
    {"vfat: no links, no chmod", EPERM, 0, true, 1, 1},
    {"fusefat: no links, rename without flags", EPERM, EINVAL, true, 1, 1},
    {"old kernel: no link, no renameat2", ENOSYS, ENOSYS, false, 1, 1},
    {"links unsupported, flags unsupported", EOPNOTSUPP, EOPNOTSUPP, true, 1, 1},
    {"a sandbox without /proc", 0, 0, false, 1, 0, true},
};

TEST_F(FileWriteSeamTest, AReplacementReachesTheDiskBeforeItTakesTheName)
{
    TempDir dir;
    auto inode = [&](const char* name) {
        struct stat st {};
        ::stat((dir / name).c_str(), &st);
        return st.st_ino;
    };
    // New names put no user's file at risk, and are not held up.
    EXPECT_EQ(WriteNew(dir / "new.ico", NewBytes()), 0);
    EXPECT_EQ(Replace(dir / "missing.ico", NewBytes()), 0);
    EXPECT_EQ(gFsyncs, 0);

    WriteBytes(dir / "old.ico", kOld);
    const ino_t before = inode("old.ico");
    EXPECT_EQ(Replace(dir / "old.ico", NewBytes(100)), 0);
    EXPECT_EQ(gFsyncs, 1);
    EXPECT_NE(inode("old.ico"), before) << "replaced by the synced file";
    EXPECT_EQ(ReadBytes(dir / "old.ico"), NewBytes(100));

    // A sync that fails (a full disk found on flushing) never gets to the rename: the
    // file is rewritten in place instead, where a failure puts the old bytes back.
    gFsyncError = ENOSPC;
    const ino_t kept = inode("old.ico");
    EXPECT_EQ(Replace(dir / "old.ico", NewBytes(200)), 0);
    EXPECT_EQ(gFsyncs, 2);
    EXPECT_EQ(inode("old.ico"), kept);
    EXPECT_EQ(ReadBytes(dir / "old.ico"), NewBytes(200));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"missing.ico", "new.ico", "old.ico"}));
}

TEST_F(FileWriteSeamTest, EveryWayOfTakingANewNameKeepsItsPromises)
{
    for (const Refusals& fs : kFileSystems) {
        SCOPED_TRACE(fs.Name);
        gLinkError = fs.Link;
        gRenameError = fs.Rename;
        gChmodRefused = fs.Chmod;
        gNoNaming = fs.NoNaming;
        gLinks = gRenames = gNamings = 0;
        TempDir dir;
        const mode_t umask = ::umask(022);
        EXPECT_EQ(WriteNew(dir / "new.ico", NewBytes()), 0);
        ::umask(umask);
        EXPECT_EQ(gLinks, fs.Links);
        EXPECT_EQ(gRenames, fs.Renames);
        EXPECT_EQ(ReadBytes(dir / "new.ico"), NewBytes());
        struct stat st;
        ASSERT_EQ(::stat((dir / "new.ico").c_str(), &st), 0);
        if (!fs.Chmod) {
            EXPECT_EQ(st.st_mode & 0777, 0644u);
        }

        // A taken name is never replaced.
        WriteBytes(dir / "old.ico", kOld);
        EXPECT_EQ(WriteNew(dir / "old.ico", NewBytes()), EEXIST);
        EXPECT_EQ(ReadBytes(dir / "old.ico"), kOld);

        // Nor one that another program takes while the name is being taken.
        gIntruder = dir / "raced.ico";
        EXPECT_EQ(WriteNew(dir / "raced.ico", NewBytes()), fs.Link ? EEXIST : 0);
        if (fs.Link) {
            EXPECT_EQ(ReadBytes(dir / "raced.ico"), (Bytes{'t', 'h', 'e', 'i', 'r', 's'}));
        }
        gIntruder.clear();

        // Replacing works where modes cannot be set.
        EXPECT_EQ(Replace(dir / "old.ico", NewBytes(100)), 0);
        EXPECT_EQ(ReadBytes(dir / "old.ico"), NewBytes(100));

        // A failure leaves nothing behind.
        EXPECT_EQ(WriteNew(dir / "missing/x.ico", NewBytes()), ENOENT);
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"new.ico", "old.ico", "raced.ico"}));
        EXPECT_GT(gNamings, 0) << "unnamed files were tried first";
    }
    gNoNaming = false;
}

// ---- replacing ----

struct Stat {
    struct stat St {};
    explicit Stat(const std::string& path, bool follow = true)
    {
        EXPECT_EQ(follow ? ::stat(path.c_str(), &St) : ::lstat(path.c_str(), &St), 0) << path;
    }
};

TEST(FileWriteReplace, WritesThroughLinksAndKeepsTheFile)
{
    TempDir dir;
    // A relative link, a chain of links, and a link to a name not yet taken.
    WriteBytes(dir / "real.ico", kOld);
    ASSERT_EQ(::chmod((dir / "real.ico").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.ico", (dir / "link.ico").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "link.ico").c_str(), (dir / "chain.ico").c_str()), 0);
    ASSERT_EQ(::symlink("later.ico", (dir / "dangling.ico").c_str()), 0);
    const ino_t inode = Stat(dir / "real.ico").St.st_ino;

    EXPECT_EQ(Replace(dir / "chain.ico", NewBytes()), 0);
    EXPECT_TRUE(S_ISLNK(Stat(dir / "chain.ico", false).St.st_mode));
    EXPECT_TRUE(S_ISLNK(Stat(dir / "link.ico", false).St.st_mode));
    EXPECT_EQ(ReadBytes(dir / "real.ico"), NewBytes());
    EXPECT_EQ(Stat(dir / "real.ico").St.st_mode & 07777, 0640u);
    EXPECT_NE(Stat(dir / "real.ico").St.st_ino, inode) << "replaced whole, not rewritten in place";

    EXPECT_EQ(Replace(dir / "dangling.ico", NewBytes(10)), 0);
    EXPECT_TRUE(S_ISLNK(Stat(dir / "dangling.ico", false).St.st_mode));
    EXPECT_EQ(ReadBytes(dir / "later.ico"), NewBytes(10));

    // A file with a second hard link is replaced whole under the name written; the
    // other name keeps the old contents.
    WriteBytes(dir / "a.ico", kOld);
    ASSERT_EQ(::link((dir / "a.ico").c_str(), (dir / "b.ico").c_str()), 0);
    EXPECT_EQ(Replace(dir / "a.ico", NewBytes(20)), 0);
    EXPECT_EQ(ReadBytes(dir / "a.ico"), NewBytes(20));
    EXPECT_EQ(ReadBytes(dir / "b.ico"), kOld);
    EXPECT_EQ(Stat(dir / "b.ico").St.st_nlink, 1u);
    // Overwrite rewrites in place: every link reads the new bytes, a longer file cut
    // to the new length.
    WriteBytes(dir / "b.ico", NewBytes(20));
    ASSERT_EQ(::link((dir / "b.ico").c_str(), (dir / "c.ico").c_str()), 0);
    EXPECT_EQ(Overwrite(dir / "b.ico", NewBytes(5)), 0);
    EXPECT_EQ(ReadBytes(dir / "c.ico"), NewBytes(5));
    EXPECT_EQ(Stat(dir / "c.ico").St.st_nlink, 2u);

    EXPECT_EQ(dir.List(), (std::vector<std::string>{"a.ico", "b.ico", "c.ico", "chain.ico", "dangling.ico",
                                                    "later.ico", "link.ico", "real.ico"}));
}

TEST(FileWriteReplace, OnlyRegularFilesAreWritten)
{
    TempDir dir;
    ASSERT_EQ(::mkdir((dir / "folder.ico").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo.ico").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", (dir / "null.ico").c_str()), 0);
    ASSERT_EQ(::symlink("fifo.ico", (dir / "tofifo.ico").c_str()), 0);
    ASSERT_EQ(::symlink("loop.ico", (dir / "loop.ico").c_str()), 0);
    const struct {
        const char* Name;
        int Error;
    } cases[] = {
        {"folder.ico", EISDIR}, {"fifo.ico", EINVAL}, {"null.ico", EINVAL}, {"tofifo.ico", EINVAL}, {"loop.ico", ELOOP},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Replace(dir / c.Name, NewBytes()), c.Error) << c.Name;
    EXPECT_TRUE(S_ISFIFO(Stat(dir / "fifo.ico").St.st_mode));
    EXPECT_TRUE(S_ISLNK(Stat(dir / "null.ico", false).St.st_mode));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"fifo.ico", "folder.ico", "loop.ico", "null.ico", "tofifo.ico"}));
}

TEST(FileWriteReplace, PermissionsOfTheFileAndTheFolderAreHonoured)
{
    // As root the checks run as "nobody", who owns the folder and its files.
    TempDir dir;
    const std::string folder = dir / "f";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    WriteBytes(folder + "/readonly.ico", kOld);
    WriteBytes(folder + "/mine.ico", kOld);
    ASSERT_EQ(::chmod((folder + "/readonly.ico").c_str(), 0444), 0);
    ASSERT_EQ(::chmod((folder + "/mine.ico").c_str(), 0604), 0);
    if (::geteuid() == 0) {
        for (const std::string& p : {folder, folder + "/readonly.ico", folder + "/mine.ico"})
            ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
    // Without write permission for anyone, the super-user's right to write is no
    // reason to replace the file either.
    EXPECT_EQ(Replace(folder + "/readonly.ico", NewBytes()), EACCES);
    EXPECT_EQ(ReadBytes(folder + "/readonly.ico"), kOld);
    const int result = RunUnprivileged([&] {
        if (Replace(folder + "/readonly.ico", NewBytes()) != EACCES)
            return 1;
        // A folder that takes no new files: the writable file is rewritten in place.
        if (::chmod(folder.c_str(), 0555) != 0)
            return 2;
        if (Replace(folder + "/mine.ico", NewBytes()) != 0)
            return 3;
        if (Replace(folder + "/new.ico", NewBytes()) != EACCES)
            return 4;
        return 0;
    });
    ASSERT_NE(result, -1) << "cannot drop privileges";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(folder + "/readonly.ico"), kOld);
    EXPECT_EQ(ReadBytes(folder + "/mine.ico"), NewBytes());
    EXPECT_EQ(Stat(folder + "/mine.ico").St.st_mode & 07777, 0604u);
    ::chmod(folder.c_str(), 0755);
    std::vector<std::string> left;
    for (const std::string name : {"mine.ico", "new.ico", "readonly.ico"})
        if (Exists(folder + "/" + name))
            left.push_back(name);
    EXPECT_EQ(left, (std::vector<std::string>{"mine.ico", "readonly.ico"}));
}

// ---- a real FAT file system ----

TEST(FileWriteFat, NewNamesAndReplacementWorkAndAFullDiskDamagesNothing)
{
    FatImage fat;
    if (!fat.Mounted())
        GTEST_SKIP() << "no FAT image: " << fat.Why();
    EXPECT_EQ(WriteNew(fat / "a0.ico", NewBytes()), 0);
    EXPECT_EQ(ReadBytes(fat / "a0.ico"), NewBytes());
    EXPECT_EQ(WriteNew(fat / "a0.ico", NewBytes(5)), EEXIST);
    EXPECT_EQ(ReadBytes(fat / "a0.ico"), NewBytes());
    EXPECT_EQ(Replace(fat / "a0.ico", NewBytes(9)), 0);
    EXPECT_EQ(ReadBytes(fat / "a0.ico"), NewBytes(9));

    // Full: the new file fails whole, the old one survives a larger replacement.
    WriteBytes(fat / "old.ico", kOld);
    fat.Fill();
    const Bytes big = NewBytes(256 * 1024);
    // fusefat reports a full disk as EPERM.
    EXPECT_NE(WriteNew(fat / "b0.ico", big), 0);
    EXPECT_NE(Replace(fat / "old.ico", big), 0);
    EXPECT_EQ(ReadBytes(fat / "old.ico"), kOld);
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(fat.Path()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a0.ico", "filler", "old.ico"}));

    // With no room for a temporary file, the file is rewritten in place: a shorter one
    // ends where its new bytes end, and one as long is written all the same.
    std::filesystem::remove(fat / "filler");
    WriteBytes(fat / "small.ico", NewBytes(1500));
    fat.Fill();
    EXPECT_EQ(Replace(fat / "small.ico", NewBytes(300)), 0);
    EXPECT_EQ(ReadBytes(fat / "small.ico"), NewBytes(300));
    std::filesystem::remove(fat / "filler");  // and fill again what the shorter file gave back
    fat.Fill();
    EXPECT_EQ(Replace(fat / "small.ico", Bytes(300, 'x')), 0);
    EXPECT_EQ(ReadBytes(fat / "small.ico"), Bytes(300, 'x'));
}

} // namespace
