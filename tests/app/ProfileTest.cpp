// Profile files: value rules, file layout kept on rewrite, and hostile files.
#include "Profile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST_F(ProfileTest, HugeFileIsNeitherReadNorReplaced)
{
    std::string huge = "[Access]\nLast=0\n" + std::string(TIniFile::kMaxFileSize, '#');
    Put(huge);
    TIniFile ini(FFile);
    EXPECT_TRUE(ini.ReadBool("Access", "Last", true));
    EXPECT_THROW(ini.WriteBool("Access", "Last", true), EIniFileException);
    EXPECT_EQ(Get(), huge);
    EXPECT_EQ(FilesInFolder(), 1u);
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

TEST_F(ProfileTest, SettingsFileLiesBesideTheExecutableOrInTheConfigFolder)
{
    SetApplicationFolderForTesting(FFolder.string());
    std::string name = SettingsFileName();
    EXPECT_EQ(fs::path(name).parent_path(), FFolder);
    EXPECT_EQ(fs::path(name).extension(), ".INI");

    if (::geteuid() != 0) {
        fs::path locked = FFolder / "locked";
        fs::create_directory(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        SetApplicationFolderForTesting(locked.string());
        ::setenv("XDG_CONFIG_HOME", (FFolder / "xdg").c_str(), 1);
        EXPECT_EQ(fs::path(SettingsFileName()).parent_path(), FFolder / "xdg" / "glimmerwick");
        ::unsetenv("XDG_CONFIG_HOME");
        ::setenv("HOME", FFolder.c_str(), 1);
        EXPECT_EQ(fs::path(SettingsFileName()).parent_path(), FFolder / ".config" / "glimmerwick");
        fs::permissions(locked, fs::perms::owner_all);
    }
    SetApplicationFolderForTesting("");
    EXPECT_EQ(ApplicationFolder(), fs::path(fs::read_symlink("/proc/self/exe")).parent_path().string());
}

} // namespace
