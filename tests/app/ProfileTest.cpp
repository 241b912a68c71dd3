// Profile files: value rules, file layout kept on rewrite, and hostile files.
#include "TestSupport.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <thread>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FFolder = fs::temp_directory_path() /
                  ("gw-profile-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FFolder);
        fs::create_directories(FFolder);
        FFile = (FFolder / "glimmerwick.INI").string();
    }
    void TearDown() override
    {
        fs::permissions(FFolder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(FFolder);
    }

    void Put(const std::string& content)
    {
        std::ofstream(FFile, std::ios::binary) << content;
    }
    std::string Get() const
    {
        std::ifstream in(FFile, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::size_t FilesInFolder() const
    {
        return std::size_t(std::distance(fs::directory_iterator(FFolder), fs::directory_iterator()));
    }

    fs::path FFolder;
    std::string FFile;
};

TEST_F(ProfileTest, MissingFileAndKeysGiveDefaults)
{
    TIniFile ini(FFile);
    EXPECT_TRUE(ini.ReadBool("Access", "Last", true));
    EXPECT_FALSE(ini.ReadBool("Access", "Last", false));
    EXPECT_EQ(ini.ReadString("Init", "Directory", "/"), "/");
    EXPECT_EQ(ini.ReadInteger("View", "ExeFile", 42), 42);

    Put("[View]\nExeFile=0\n");
    TIniFile other(FFile);
    EXPECT_TRUE(other.ReadBool("View", "DllFile", true));
    EXPECT_TRUE(other.ReadBool("Init", "ExeFile", true)) << "a key of another section";
    EXPECT_FALSE(other.ReadBool("View", "ExeFile", true));
}

TEST_F(ProfileTest, IntegerAndBooleanRules)
{
    Put("[V]\n"
        "zero=0\none=1\nneg=-7\ntwo=2\nhex0=0x0\nhexA=0XA\nbarehex=0x\n"
        "dollar=$1F\nyes=yes\nempty=\nspaced=  12  \nbig=2147483648\nmin=-2147483648\n"
        "wide=0x100000000\nallbits=0xFFFFFFFF\ntrail=12ab\nfloat=1.5\n");
    TIniFile ini(FFile);
    EXPECT_EQ(ini.ReadInteger("V", "zero", 9), 0);
    EXPECT_EQ(ini.ReadInteger("V", "neg", 9), -7);
    EXPECT_EQ(ini.ReadInteger("V", "hex0", 9), 0);
    EXPECT_EQ(ini.ReadInteger("V", "hexA", 9), 10);
    EXPECT_EQ(ini.ReadInteger("V", "barehex", 9), 9) << "\"0x\" alone is no number";
    EXPECT_EQ(ini.ReadInteger("V", "dollar", 9), 31);
    EXPECT_EQ(ini.ReadInteger("V", "yes", 9), 9);
    EXPECT_EQ(ini.ReadInteger("V", "empty", 9), 9);
    EXPECT_EQ(ini.ReadInteger("V", "spaced", 9), 12);
    EXPECT_EQ(ini.ReadInteger("V", "big", 9), 9);
    EXPECT_EQ(ini.ReadInteger("V", "min", 9), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("V", "wide", 9), 9);
    EXPECT_EQ(ini.ReadInteger("V", "allbits", 9), -1);
    EXPECT_EQ(ini.ReadInteger("V", "trail", 9), 9);
    EXPECT_EQ(ini.ReadInteger("V", "float", 9), 9);

    EXPECT_FALSE(ini.ReadBool("V", "zero", true));
    EXPECT_TRUE(ini.ReadBool("V", "two", false)) << "any integer but 0 is true";
    EXPECT_FALSE(ini.ReadBool("V", "hex0", true));
    EXPECT_TRUE(ini.ReadBool("V", "yes", true));
    EXPECT_FALSE(ini.ReadBool("V", "yes", false));
}

TEST_F(ProfileTest, NamesIgnoreCaseAndBlanksFirstSectionWins)
{
    Put("; comment line\r\n[ access ]\r\n  LAST =  0 \r\n[Access]\r\nLast=1\r\nOther=5\r\n");
    TIniFile ini(FFile);
    EXPECT_FALSE(ini.ReadBool("Access", "last", true));
    EXPECT_EQ(ini.ReadInteger("ACCESS", "Other", 9), 9);
}

TEST_F(ProfileTest, TextIsCutAt2047BytesOnACharacterBoundary)
{
    std::string ascii(3000, 'a');
    std::string wide;
    for (int i = 0; i < 700; ++i)
        wide += "\xE6\x96\x87"; // one CJK character, three bytes
    Put("[Init]\nA=" + ascii + "\nW=" + wide + "\n");
    TIniFile ini(FFile);
    EXPECT_EQ(ini.ReadString("Init", "A", ""), std::string(2047, 'a'));
    EXPECT_EQ(ini.ReadString("Init", "W", ""), wide.substr(0, 2046));
}

TEST_F(ProfileTest, NewFileHoldsSectionsAndKeysInWrittenOrder)
{
    TIniFile ini(FFile);
    ini.WriteBool("Access", "Last", true);
    ini.WriteString("Init", "Directory", "/usr/share");
    ini.WriteBool("View", "ExeFile", true);
    ini.WriteBool("View", "DllFile", false);
    EXPECT_EQ(Get(), "[Access]\nLast=1\n[Init]\nDirectory=/usr/share\n[View]\nExeFile=1\nDllFile=0\n");

    TIniFile again(FFile);
    EXPECT_EQ(again.ReadString("Init", "Directory", "/"), "/usr/share");
    EXPECT_FALSE(again.ReadBool("View", "DllFile", true));
}

TEST_F(ProfileTest, RewriteKeepsForeignLinesAndLineEndings)
{
    Put("; kept\r\n[View]\r\nJpgFile=0x0\r\nExeFile=0\r\n\r\n[Mine]\r\nx=y\r\n");
    TIniFile ini(FFile);
    ini.WriteBool("View", "ExeFile", true);
    ini.WriteBool("View", "IcoFile", false);
    ini.WriteString("Init", "Directory", "/tmp");
    EXPECT_EQ(Get(), "; kept\r\n[View]\r\nJpgFile=0x0\r\nExeFile=1\r\nIcoFile=0\r\n\r\n"
                     "[Mine]\r\nx=y\r\n[Init]\r\nDirectory=/tmp\r\n");
}

TEST_F(ProfileTest, ValuesWithOuterBlanksOrQuotesRoundTrip)
{
    TIniFile ini(FFile);
    for (std::string value : {" lead", "trail ", "\"quoted\"", "in ner", ""}) {
        ini.WriteString("S", "k", value);
        EXPECT_EQ(TIniFile(FFile).ReadString("S", "k", "default"), value);
    }
    EXPECT_THROW(ini.WriteString("S", "k", "two\nlines"), EIniFileException);
    EXPECT_EQ(TIniFile(FFile).ReadString("S", "k", "default"), "");
}

TEST_F(ProfileTest, BinaryGarbageReadsAsDefaultsAndSurvivesAWrite)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 7919) % 251);
    garbage += "\n";
    Put(garbage);
    TIniFile ini(FFile);
    EXPECT_TRUE(ini.ReadBool("Access", "Last", true));
    EXPECT_EQ(ini.ReadString("Init", "Directory", "/"), "/");
    ini.WriteBool("Access", "Last", false);
    std::string after = Get();
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_FALSE(TIniFile(FFile).ReadBool("Access", "Last", true));
}

TEST_F(ProfileTest, HugeFileIsReadUpToTheCapAndRewrittenWhole)
{
    // Whole lines of the first megabyte are read; what lies beyond is carried over.
    std::string filler;
    while (filler.size() < TIniFile::kMaxFileSize)
        filler += "; filler line\n";
    const std::string tail = "[View]\nExeFile=0\n" + std::string(5000, '#') + "\nno newline at the end";
    Put("[Access]\nLast=0\n" + filler + tail);
    {
        TIniFile ini(FFile);
        EXPECT_FALSE(ini.ReadBool("Access", "Last", true));
        EXPECT_TRUE(ini.ReadBool("View", "ExeFile", true)) << "beyond the cap";
        ini.WriteBool("Access", "Last", true);
    }
    EXPECT_EQ(Get(), "[Access]\nLast=1\n" + filler + tail);
    EXPECT_EQ(FilesInFolder(), 1u);
    {
        // New sections go first, within what the next reading sees.
        TIniFile ini(FFile);
        ini.WriteString("Init", "Directory", "/srv");
        ini.WriteBool("View", "DllFile", false);
        ini.WriteBool("Access", "Other", true);
    }
    EXPECT_EQ(Get(), "[Init]\nDirectory=/srv\n[View]\nDllFile=0\n[Access]\nLast=1\nOther=1\n" + filler + tail);
    EXPECT_FALSE(TIniFile(FFile).ReadBool("View", "DllFile", true));

    // One line longer than the cap: nothing is read, the new section goes first.
    const std::string line(TIniFile::kMaxFileSize + 10, 'x');
    Put(line);
    TIniFile(FFile).WriteString("Init", "Directory", "/srv");
    EXPECT_EQ(Get(), "[Init]\nDirectory=/srv\n" + line);
}

TEST_F(ProfileTest, FifoInPlaceOfTheFileNeitherBlocksNorIsReplaced)
{
    ASSERT_EQ(::mkfifo(FFile.c_str(), 0644), 0);
    std::promise<bool> read;
    std::future<bool> done = read.get_future();
    std::thread reader([&] {
        TIniFile ini(FFile);
        bool refused = false;
        try {
            ini.WriteBool("Access", "Last", false);
        } catch (const EIniFileException&) {
            refused = true;
        }
        read.set_value(ini.ReadBool("Access", "Last", true) && refused);
    });
    const bool finished = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!finished) {
        // Lets a reader that blocked in open() go, so the test can end.
        const int fd = ::open(FFile.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    reader.join();
    EXPECT_TRUE(finished) << "opening a FIFO blocked";
    EXPECT_TRUE(done.get()) << "defaults read, the write refused";
    EXPECT_TRUE(fs::is_fifo(FFile));
}

TEST_F(ProfileTest, ByteOrderMarkIsSkippedAndKept)
{
    Put("\xEF\xBB\xBF[Access]\r\nLast=0\r\n");
    TIniFile ini(FFile);
    EXPECT_FALSE(ini.ReadBool("Access", "Last", true));
    ini.WriteString("Init", "Directory", "/");
    EXPECT_EQ(Get(), "\xEF\xBB\xBF[Access]\r\nLast=0\r\n[Init]\r\nDirectory=/\r\n");
}

TEST_F(ProfileTest, DanglingLinksAreWrittenThrough)
{
    // A relative link to a link to a file that does not exist yet.
    fs::create_directory(FFolder / "sub");
    fs::create_symlink("sub/middle.INI", FFile);
    fs::create_symlink("../real.INI", FFolder / "sub" / "middle.INI");
    TIniFile ini(FFile);
    EXPECT_TRUE(ini.ReadBool("Access", "Last", true));
    ini.WriteBool("Access", "Last", false);
    EXPECT_TRUE(fs::is_symlink(FFile));
    EXPECT_TRUE(fs::is_symlink(FFolder / "sub" / "middle.INI"));
    EXPECT_FALSE(TIniFile((FFolder / "real.INI").string()).ReadBool("Access", "Last", true));

    // A loop of links is refused, not followed forever.
    fs::path loop = FFolder / "loop.INI";
    fs::create_symlink("loop.INI", loop);
    EXPECT_THROW(TIniFile(loop.string()).WriteBool("A", "k", true), EIniFileException);
    EXPECT_TRUE(fs::is_symlink(loop));
}

TEST_F(ProfileTest, DeferredWritesGoOutOnceAndCanCopyElsewhere)
{
    Put("[Access]\nLast=0\n");
    const std::string copy = (FFolder / "config" / "glimmerwick.INI").string();
    TMemIniFile ini(FFile, copy);
    EXPECT_FALSE(ini.ReadBool("Access", "Last", true));
    ini.WriteBool("View", "ExeFile", false);
    EXPECT_THROW(ini.WriteString("Init", "Directory", "/a\nb"), EIniFileException);
    EXPECT_FALSE(fs::exists(copy)) << "nothing written before UpdateFile";
    ini.UpdateFile();
    EXPECT_EQ(Get(), "[Access]\nLast=0\n") << "the file read is left alone";
    std::ifstream in(copy, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[Access]\nLast=0\n[View]\nExeFile=0\n");
}

TEST_F(ProfileTest, ReadOnlyAndUnreadableFilesAreKept)
{
    // The folder and file belong to the user who runs the checks (as root: "nobody"),
    // so only the file's own mode stands in the way.
    Put("[Access]\nLast=0\n");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(FFolder.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(FFile.c_str(), 65534, 65534), 0);
    }
    const std::string file = FFile;
    const int readOnly = gwtest::RunUnprivileged([&] {
        ::chmod(file.c_str(), 0444);
        TIniFile ini(file);
        if (ini.ReadBool("Access", "Last", true))
            return 1;
        try {
            ini.WriteBool("Access", "Last", true);
            return 2;
        } catch (const EIniFileException&) {
        }
        return 0;
    });
    EXPECT_EQ(readOnly, 0);
    EXPECT_EQ(Get(), "[Access]\nLast=0\n");

    const int unreadable = gwtest::RunUnprivileged([&] {
        ::chmod(file.c_str(), 0200);
        TIniFile ini(file);
        if (!ini.ReadBool("Access", "Last", true))
            return 1;
        try {
            ini.WriteBool("Access", "Last", true);
            return 2;
        } catch (const EIniFileException&) {
        }
        return 0;
    });
    EXPECT_EQ(unreadable, 0);
    ::chmod(FFile.c_str(), 0644);
    EXPECT_EQ(Get(), "[Access]\nLast=0\n");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ProfileTest, ReadOnlyFileIsKeptEvenForRoot)
{
    // rename() would replace a read-only file in a writable folder; the writer checks.
    Put("[Access]\nLast=0\n");
    ::chmod(FFile.c_str(), 0444);
    TIniFile ini(FFile);
    EXPECT_THROW(ini.WriteBool("Access", "Last", true), EIniFileException);
    EXPECT_EQ(Get(), "[Access]\nLast=0\n");
}

TEST_F(ProfileTest, FailedWriteLeavesNoTemporaryAndKeepsMemoryInStep)
{
    Put("[Access]\nLast=0\n");
    fs::path folderAsFile = FFolder / "sub";
    std::ofstream(folderAsFile) << "x";
    TIniFile ini((folderAsFile / "glimmerwick.INI").string());
    EXPECT_THROW(ini.WriteBool("Access", "Last", true), EIniFileException);
    EXPECT_TRUE(ini.ReadBool("Access", "Last", true));
    EXPECT_EQ(ini.ReadString("Access", "Last", "none"), "none") << "the failed write is undone in memory";
    EXPECT_EQ(FilesInFolder(), 2u);
}

TEST_F(ProfileTest, DirectoryInPlaceOfTheFileGivesDefaults)
{
    fs::create_directory(FFile);
    TIniFile ini(FFile);
    EXPECT_TRUE(ini.ReadBool("Access", "Last", true));
    EXPECT_THROW(ini.WriteBool("Access", "Last", false), EIniFileException);
    EXPECT_TRUE(fs::is_directory(FFile));
}

TEST_F(ProfileTest, SettingsFileKeepsItsLinksAndOwner)
{
    // A settings file shared through a hard link, and (when the checks run as root) one
    // that belongs to another user, as when the program is started with sudo.
    Put("[Access]\nLast=0\n");
    const fs::path link = FFolder / "shared.INI";
    fs::create_hard_link(FFile, link);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(FFile.c_str(), 65534, 65534), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(FFile.c_str(), &before), 0);

    TIniFile(FFile).WriteBool("Access", "Last", true);
    EXPECT_TRUE(TIniFile(link.string()).ReadBool("Access", "Last", false)) << "written through both names";
    struct stat after {};
    ASSERT_EQ(::stat(FFile.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(FilesInFolder(), 2u);
}

TEST(ProfileOnFat, SettingsOnAFullStickAreKeptOrReplacedWhole)
{
    // The program run from a USB stick keeps its settings beside it.
    gwtest::FatImage fat;
    if (!fat.Mounted())
        GTEST_SKIP() << "no FAT image: " << fat.Why();
    const std::string file = fat / "GLIMMERWICK.INI";
    {
        TIniFile ini(file);
        ini.WriteString("Init", "Directory", std::string(600, 'a'));
        ini.WriteBool("Access", "Last", true);
    }
    fat.Fill();
    TIniFile ini(file);
    // Longer: no room anywhere, and the stored settings stay as they were.
    EXPECT_THROW(ini.WriteString("Init", "Directory", std::string(5000, 'b')), EIniFileException);
    // Shorter, and as long: the file fits in its own space and is rewritten there.
    ini.WriteString("Init", "Directory", "/media/stick");
    ini.WriteBool("Access", "Last", false);
    TIniFile again(file);
    EXPECT_EQ(again.ReadString("Init", "Directory", ""), "/media/stick");
    EXPECT_FALSE(again.ReadBool("Access", "Last", true));
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(fat.Path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"GLIMMERWICK.INI", "filler"}));
}

TEST_F(ProfileTest, WriteThroughSymlinkReplacesTheTarget)
{
    fs::path real = FFolder / "real.INI";
    std::ofstream(real) << "[A]\nk=1\n";
    fs::create_symlink(real, FFile);
    TIniFile ini(FFile);
    ini.WriteString("A", "k", "2");
    EXPECT_TRUE(fs::is_symlink(FFile));
    EXPECT_EQ(TIniFile(real.string()).ReadString("A", "k", ""), "2");
}

TEST_F(ProfileTest, WriterCreatesAMissingFolder)
{
    std::string nested = (FFolder / "config" / "glimmerwick" / "glimmerwick.INI").string();
    TIniFile ini(nested);
    ini.WriteBool("Access", "Last", true);
    EXPECT_TRUE(TIniFile(nested).ReadBool("Access", "Last", false));
}

TEST_F(ProfileTest, SettingsLocationFollowsTheCopy)
{
    // Run as a plain user, so that a folder's mode counts also when the checks run as root.
    const fs::path exeFolder = FFolder / "copy";
    const fs::path xdg = FFolder / "xdg";
    fs::create_directories(exeFolder);
    fs::create_directories(xdg);
    if (::geteuid() == 0) {
        for (const fs::path& p : {FFolder, exeFolder, xdg})
            ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
    ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    const std::string beside = (exeFolder / "glimmerwick.INI").string();
    const std::string own = (xdg / "glimmerwick" / "glimmerwick.INI").string();
    const std::string ownFolder = (xdg / "glimmerwick").string();
    const std::string folder = exeFolder.string();
    const std::string marker = (exeFolder / kInstalledMarker).string();

    struct Case {
        const char* what;
        bool writable, installed, besideFile, ownFile;
        std::string readFrom, writeTo;
    };
    const Case cases[] = {
        {"a build or unpacked copy", true, false, true, true, beside, beside},
        {"an installed copy", true, true, true, false, own, own},
        {"read-only folder, nothing stored yet", false, false, false, false, own, own},
        {"read-only folder with settings beside", false, false, true, false, beside, own},
        {"read-only folder, config folder has its own", false, false, true, true, own, own},
    };
    for (const Case& c : cases) {
        const int result = gwtest::RunUnprivileged([&] {
            ::chmod(folder.c_str(), 0755);
            ::unlink(marker.c_str());
            ::unlink(beside.c_str());
            ::unlink(own.c_str());
            ::mkdir(ownFolder.c_str(), 0755);
            if (c.installed)
                std::ofstream(marker) << "";
            if (c.besideFile)
                std::ofstream(beside) << "";
            if (c.ownFile)
                std::ofstream(own) << "";
            ::chmod(folder.c_str(), c.writable ? 0755 : 0555);
            const TSettingsLocation location = FindSettingsLocation(folder, "glimmerwick");
            ::chmod(folder.c_str(), 0755);
            return (location.ReadFrom == c.readFrom ? 0 : 1) | (location.WriteTo == c.writeTo ? 0 : 2);
        });
        EXPECT_EQ(result, 0) << c.what;
    }
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", FFolder.c_str(), 1);
    std::ofstream(exeFolder / kInstalledMarker) << "";
    EXPECT_EQ(FindSettingsLocation(folder, "glimmerwick.bin").WriteTo,
              (FFolder / ".config" / "glimmerwick" / "glimmerwick.INI").string())
        << "installed, run as root; the last extension gives way";

    SetApplicationFolderForTesting(FFolder.string());
    EXPECT_EQ(fs::path(SettingsFileName()).parent_path(), FFolder);
    SetApplicationFolderForTesting("");
    EXPECT_EQ(ApplicationFolder(), fs::path(fs::read_symlink("/proc/self/exe")).parent_path().string());
}

} // namespace
