// glimmerwick-cli and glimmerwick-thumbnailer as users and scripts run them: groups
// written as stored checked against wrestool and icotool, PNG export against icotool,
// exit codes, selection, folder walks, names that are not UTF-8, damaged files.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace gwtest;

namespace {

struct Ran {
    int Code = -1;       // exit status; -1 when killed by a signal
    std::string Out;
    std::string Err;
};

// Starts a program with raw byte arguments, its stdout and stderr on the descriptors
// given (closed in this process).
pid_t Start(const std::vector<std::string>& args, int out, int err)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out);
    if (err != 2)
        ::close(err);
    return pid;
}

// Runs a program with raw byte arguments, stdout and stderr captured.
Ran Exec(const std::vector<std::string>& args)
{
    int pipeFd[2];
    if (::pipe2(pipeFd, O_CLOEXEC) != 0)
        return {};
    FILE* err = std::tmpfile();
    if (!err)
        return {};
    const pid_t pid = Start(args, pipeFd[1], ::dup(::fileno(err)));
    Ran r;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFd[0], buf, sizeof buf)) > 0)
        r.Out.append(buf, std::size_t(n));
    ::close(pipeFd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::rewind(err);
    while ((n = ssize_t(std::fread(buf, 1, sizeof buf, err))) > 0)
        r.Err.append(buf, std::size_t(n));
    std::fclose(err);
    return r;
}

Ran Cli(std::vector<std::string> args)
{
    args.insert(args.begin(), GW_CLI);
    return Exec(args);
}

std::vector<std::string> Fixtures()
{
    std::vector<std::string> files;
    std::istringstream list(GW_PE_NE_FIXTURES);
    for (std::string name; std::getline(list, name, ',');)
        files.push_back(name);
    return files;
}

std::string Sh(const std::string& command) { return Exec({"/bin/sh", "-c", command}).Out; }

// Every file below `dir`, as paths relative to it, sorted.
std::vector<std::string> Tree(const std::string& dir)
{
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        if (!e.is_directory())
            files.push_back(std::filesystem::relative(e.path(), dir).string());
    std::sort(files.begin(), files.end());
    return files;
}

// The images of an .ico file: (offset, size) per directory entry.
std::vector<std::vector<std::uint8_t>> IcoImages(const std::vector<std::uint8_t>& ico)
{
    std::vector<std::vector<std::uint8_t>> images;
    const int count = GetU16(ico, 4);
    for (int i = 0; i < count; ++i) {
        auto [offset, size] = IcoImageExtent(ico, i);
        if (offset + size > ico.size())
            return {};
        images.emplace_back(ico.begin() + std::ptrdiff_t(offset), ico.begin() + std::ptrdiff_t(offset + size));
    }
    return images;
}

void ExpectSamePixels(const std::string& ours, const std::string& theirs)
{
    const Rgba a = LoadPng(ours), b = LoadPng(theirs);
    ASSERT_EQ(a.Width, b.Width) << ours;
    ASSERT_EQ(a.Height, b.Height) << ours;
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x) {
            ASSERT_EQ(a.Alpha(x, y), b.Alpha(x, y)) << ours << " (" << x << "," << y << ")";
            ASSERT_TRUE(a.Alpha(x, y) == 0 || a.At(x, y) == b.At(x, y)) << ours << " (" << x << "," << y << ")";
        }
}

class WrestoolOracle : public testing::TestWithParam<std::string> {};

// Every group wrestool writes, ours writes under the same name with the same images
// (icotool's listing), byte-equal image data and the same pixels (icotool -x).
TEST_P(WrestoolOracle, GroupsAsStoredMatchWrestoolAndIcotool)
{
    const std::string file = GetParam();
    TempDir ours, theirs;
    const Ran r = Cli({"extract", "--wrestool-names", "-o", ours.Path(), file});
    ASSERT_NE(r.Code, -1);
    Sh(std::string(GW_WRESTOOL) + " -x --type=14 -o '" + theirs.Path() + "' '" + file + "' 2>/dev/null");
    const bool ne = file.find(".icl") != std::string::npos;  // the NE fixtures
    ASSERT_EQ(ours.List(), theirs.List()) << file;
    for (const std::string& name : theirs.List()) {
        const auto a = ReadBytes(ours / name), b = ReadBytes(theirs / name);
        const std::string icotool = std::string(GW_ICOTOOL) + " -l '";
        // icotool's listing and complaints, without the file's path.
        auto listing = [&](const std::string& path) {
            std::string l = Sh(icotool + path + "' 2>&1");
            for (std::size_t at; (at = l.find(path)) != std::string::npos;)
                l.erase(at, path.size());
            return l;
        };
        EXPECT_EQ(listing(ours / name), listing(theirs / name)) << name;
        const auto ia = IcoImages(a), ib = IcoImages(b);
        ASSERT_EQ(ia.size(), ib.size()) << name;
        ASSERT_FALSE(ia.empty()) << name;
        for (std::size_t i = 0; i < ia.size(); ++i) {
            if (ne) {
                // wrestool keeps the padding of NE alignment units after the image.
                ASSERT_LE(ia[i].size(), ib[i].size()) << name << " " << i;
                EXPECT_TRUE(std::equal(ia[i].begin(), ia[i].end(), ib[i].begin())) << name << " " << i;
            } else {
                EXPECT_EQ(ia[i], ib[i]) << name << " " << i;
            }
        }
        TempDir pa, pb;
        Sh(std::string(GW_ICOTOOL) + " -x -o '" + pa.Path() + "' '" + (ours / name) + "' 2>/dev/null");
        Sh(std::string(GW_ICOTOOL) + " -x -o '" + pb.Path() + "' '" + (theirs / name) + "' 2>/dev/null");
        ASSERT_EQ(pa.List(), pb.List()) << name;
        for (const std::string& png : pa.List())
            ExpectSamePixels(pa / png, pb / png);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WrestoolOracle, testing::ValuesIn(Fixtures()), [](const auto& info) { return FixtureTestName(info.param); });

// The stored image of each size of sizes.ico (16 x 16 4-bit, 32 x 32 8-bit, 48 x 48
// 32-bit, 256 x 256 PNG), exported through the group of a library and of the .ico
// file, pixel for pixel what icotool extracts.
TEST(CliPng, StoredSizeEqualsIcotoolPixelForPixel)
{
    TempDir dir;
    const std::string ico = DataPath("sizes.ico");
    Sh(std::string(GW_ICOTOOL) + " -x -o '" + dir.Path() + "' '" + ico + "' 2>/dev/null");
    struct Case { const char* Size; int IcotoolIndex; };
    for (const Case& c : {Case{"16", 1}, Case{"32", 2}, Case{"48", 3}, Case{"256", 4}, Case{nullptr, 4}}) {
        const std::string expected = dir / ("sizes_" + std::to_string(c.IcotoolIndex) + "_" +
                                            (c.IcotoolIndex == 1   ? "16x16x4"
                                             : c.IcotoolIndex == 2 ? "32x32x8"
                                             : c.IcotoolIndex == 3 ? "48x48x32"
                                                                   : "256x256x32") +
                                            ".png");
        ASSERT_TRUE(Exists(expected)) << expected << " among " << ::testing::PrintToString(dir.List());
        for (const std::pair<std::string, std::string>& source :
             {std::pair{ico, std::string("0")}, std::pair{DataPath("groups32.dll"), std::string("3")}}) {
            const std::string out = dir / ("ours_" + std::string(c.Size ? c.Size : "max") + "_" + source.second + ".png");
            std::vector<std::string> args{"png", "--index", source.second, "-o", out, source.first};
            if (c.Size)
                args.insert(args.end() - 1, {"--size", c.Size});
            ASSERT_EQ(Cli(args).Code, 0) << out;
            ExpectSamePixels(out, expected);
        }
    }
    // No stored 24 x 24: the 32 x 32 image scaled down; no 1000: the largest scaled up.
    ASSERT_EQ(Cli({"png", "--size", "24", "-o", dir / "24.png", ico}).Code, 0);
    EXPECT_EQ(LoadPng(dir / "24.png").Width, 24);
    ASSERT_EQ(Cli({"png", "--size", "1000", "-o", dir / "1000.png", ico}).Code, 0);
    EXPECT_EQ(LoadPng(dir / "1000.png").Height, 1000);
}

// png --all: every image of the selected groups, the set icotool -x writes from the
// group's .ico or .cur (checked against wrestool above and below), pixel for pixel,
// named NAME_WxH_BPP.png with "-2" for a second image of one size and depth.
TEST(CliPng, AllImagesAreTheSetIcotoolWrites)
{
    struct Case { std::string File; std::vector<std::string> Options; };
    for (const Case& c : {Case{DataPath("sizes.ico"), {}}, Case{DataPath("twins.ico"), {}},
                          Case{DataPath("groups64.dll"), {"--index=2"}},
                          Case{DataPath("groups32.dll"), {"-i", "4", "-n", "STARLIGHT"}},
                          Case{DataPath("cursors32.dll"), {"-c"}}, Case{DataPath("cursors.icl"), {"--cursors"}},
                          Case{DataPath("anim.ani"), {"-c"}}}) {
        SCOPED_TRACE(c.File);
        TempDir groups, ours;
        std::vector<std::string> args{"extract", "-o", groups.Path()};
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        args.push_back(c.File);
        ASSERT_EQ(Cli(args).Code, 0);
        args[0] = "png";
        args[2] = ours.Path();
        args.insert(args.begin() + 1, "--all");
        ASSERT_EQ(Cli(args).Code, 0);
        std::vector<std::string> expected;
        for (const std::string& group : groups.List()) {
            TempDir icotool;
            Sh(std::string(GW_ICOTOOL) + " -x -o '" + icotool.Path() + "' '" + (groups / group) + "' 2>/dev/null");
            // icotool's names: GROUP_INDEX_WxHxBPP.png, INDEX from 1 in directory order.
            std::vector<std::pair<int, std::string>> images;
            for (const std::string& png : icotool.List()) {
                const std::size_t dims = png.rfind('_'), index = png.rfind('_', dims - 1);
                images.push_back({std::stoi(png.substr(index + 1, dims - index - 1)), png});
            }
            std::sort(images.begin(), images.end());
            ASSERT_FALSE(images.empty()) << group;
            std::vector<std::string> keys;
            for (const auto& [index, png] : images) {
                std::string key = png.substr(png.rfind('_') + 1);
                key = key.substr(0, key.size() - 4);
                key[key.rfind('x')] = '_';
                keys.push_back(key);
                const auto n = std::count(keys.begin(), keys.end(), key);
                const std::string name = group.substr(0, group.size() - 4) + "_" + key +
                                         (n > 1 ? "-" + std::to_string(n) : "") + ".png";
                expected.push_back(name);
                ExpectSamePixels(ours / name, icotool / png);
            }
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ours.List(), expected);
    }
}

// "-o -": the one file png and legacy write goes to standard output, byte for byte.
TEST(CliPng, DashWritesTheFileToStandardOutput)
{
    TempDir dir;
    const std::string dll = DataPath("groups64.dll");
    for (const auto& [toFile, toStdout] :
         {std::pair{std::vector<std::string>{"png", "-s", "20", "-o", dir / "a.png", "--index", "3", dll},
                    std::vector<std::string>{"png", "-s", "20", "-o", "-", "--index", "3", dll}},
          std::pair{std::vector<std::string>{"legacy", dll, "2", dir / "a.ico"},
                    std::vector<std::string>{"legacy", dll, "2", "-"}}}) {
        ASSERT_EQ(Cli(toFile).Code, 0);
        const Ran r = Cli(toStdout);
        ASSERT_EQ(r.Code, 0);
        const auto written = ReadBytes(toFile[toFile[0] == "png" ? 4 : 3]);
        EXPECT_EQ(std::vector<std::uint8_t>(r.Out.begin(), r.Out.end()), written) << toFile[0];
    }
    EXPECT_FALSE(Exists("-"));
}

// Cursor groups of PE and NE files against wrestool -x --type=12: the same images and
// hot spots in a .cur that icotool reads without complaint (wrestool's own claims each
// image 4 bytes longer than it is), and the hot spots in the listing.
TEST(CliCursors, ExtractedAsWrestoolGivesThemInACorrectFile)
{
    for (const char* name : {"cursors32.dll", "cursors64.dll", "cursors.icl"}) {
        SCOPED_TRACE(name);
        const std::string file = DataPath(name);
        TempDir ours, theirs;
        ASSERT_EQ(Cli({"extract", "--cursors", "--wrestool-names", "-o", ours.Path(), file}).Code, 0);
        Sh(std::string(GW_WRESTOOL) + " -x --type=12 -o '" + theirs.Path() + "' '" + file + "' 2>/dev/null");
        ASSERT_EQ(ours.List(), theirs.List());
        const std::string listing = Cli({"list", file}).Out;
        for (const std::string& cur : theirs.List()) {
            const auto a = ReadBytes(ours / cur), b = ReadBytes(theirs / cur);
            ASSERT_EQ(GetU16(a, 2), 2) << cur;
            ASSERT_EQ(GetU16(a, 4), GetU16(b, 4)) << cur;
            for (int i = 0; i < GetU16(a, 4); ++i) {
                const std::size_t at = 6 + 16 * std::size_t(i);
                const std::uint16_t x = GetU16(a, at + 4), y = GetU16(a, at + 6);
                EXPECT_EQ(x, GetU16(b, at + 4)) << cur << " " << i;
                EXPECT_EQ(y, GetU16(b, at + 6)) << cur << " " << i;
                const std::uint32_t size = GetU32(a, at + 8), offset = GetU32(a, at + 12);
                EXPECT_EQ(size + 4, GetU32(b, at + 8)) << cur << " " << i;
                ASSERT_LE(offset + size, a.size());
                ASSERT_LE(GetU32(b, at + 12) + size, b.size());
                EXPECT_TRUE(std::equal(a.begin() + offset, a.begin() + offset + size, b.begin() + GetU32(b, at + 12)))
                    << cur << " " << i;
                EXPECT_NE(listing.find("hot spot " + std::to_string(x) + "," + std::to_string(y)), std::string::npos);
            }
            EXPECT_EQ(Sh(std::string(GW_ICOTOOL) + " -l '" + (ours / cur) + "' 2>&1 >/dev/null"), "") << cur;
        }
    }
}

// .mun files (resource-only libraries) are walked with -r and thumbnailed as libraries.
TEST(CliCursors, MunFilesReadAsLibraries)
{
    TempDir src, out;
    WriteBytes(src / "shell32.dll.MUN", ReadBytes(DataPath("cursors64.dll")));
    ASSERT_EQ(Cli({"extract", "-r", "-o", out.Path(), src.Path()}).Code, 0);
    const std::string root = std::filesystem::path(src.Path()).filename().string();
    EXPECT_EQ(Tree(out.Path()), std::vector<std::string>{root + "/shell32.dll.MUN_0.ico"});
    ASSERT_EQ(Exec({GW_THUMBNAILER, "-s", "16", src / "shell32.dll.MUN", out / "t.png"}).Code, 0);
    EXPECT_EQ(LoadPng(out / "t.png").Width, 16);
}

TEST(CliLegacy, WritesWhatIconprobeSaveWrites)
{
    TempDir dir;
    for (const char* index : {"0", "3", "-42"}) {
        const std::string file = DataPath("groups64.dll");
        ASSERT_EQ(Cli({"legacy", file, index, dir / (std::string("a") + index + ".ico")}).Code, 0) << index;
        ASSERT_EQ(Exec({GW_ICONPROBE, "save", file, index, dir / (std::string("b") + index + ".ico")}).Code, 0);
        const auto ours = ReadBytes(dir / (std::string("a") + index + ".ico"));
        EXPECT_EQ(ours.size(), 766u);
        EXPECT_EQ(ours, ReadBytes(dir / (std::string("b") + index + ".ico"))) << index;
    }
}

TEST(CliExitCodes, ScriptsCanTellWhatHappened)
{
    TempDir dir;
    const std::string dll = DataPath("groups32.dll"), none = DataPath("noicons32.dll");
    WriteBytes(dir / "plain", {1, 2, 3});
    WriteBytes(dir / "-odd.dll", ReadBytes(dll));
    struct Case { std::vector<std::string> Args; int Code; };
    const std::vector<Case> cases = {
        {{"list", dll}, 0},
        {{"list", "--json", dll, DataPath("library9.icl"), DataPath("sizes.ico")}, 0},
        {{"list", dll, dir / "missing.dll"}, 1},
        {{"list", none}, 1},
        {{"list"}, 2},
        {{"frobnicate"}, 2},
        {{}, 2},
        {{"extract", dll}, 2},
        {{"extract", "-o", dir / "out", "--index", "x", dll}, 2},
        {{"png", "--size", "0", "-o", dir / "x.png", dll}, 2},
        {{"legacy", dll, "3"}, 2},
        {{"extract", "-o", dir / "out", "--index", "3", dll}, 0},
        {{"extract", "-o", dir / "out", "--index", "3", dll}, 3},           // exists
        {{"extract", "--force", "-o", dir / "out", "--index", "3", dll}, 0},
        {{"extract", "-o", dir / "plain/sub", "--index", "3", dll}, 3},     // no such folder can be made
        {{"extract", "-o", dir / "out2", none}, 1},
        {{"extract", "-o", dir / "out2", "--name", "NOSUCH", dll}, 1},
        {{"extract", "-o", dir / "out2", dir.Path()}, 1},                    // a folder without -r
        {{"png", "--index", "9", "-o", dir / "x.png", dll}, 1},
        {{"legacy", dll, "7", dir / "x.ico"}, 1},
        {{"legacy", dll, "3", dir / "plain"}, 3},
        // getopt_long's conventions: help after any command, values after "=" or apart,
        // clustered letters, "--" ending the options, errors as usage errors.
        {{"list", "--help"}, 0},
        {{"extract", dll, "-h"}, 0},
        {{"legacy", "--help"}, 0},
        {{"list", "--bogus", dll}, 2},
        {{"extract", "-o", dir / "out3", "--index"}, 2},
        {{"extract", "-rfo", dir / "out", "--index=3", dll}, 0},
        {{"extract", "-o", dir / "out4", "-i3", "--", dir / "-odd.dll"}, 0},
        {{"png", "--all", "-o", "-", dll}, 2},
        {{"legacy", dll, "-42", "-"}, 0},
    };
    for (const Case& c : cases) {
        const Ran r = Cli(c.Args);
        std::string shown;
        for (const std::string& a : c.Args)
            shown += a + " ";
        EXPECT_EQ(r.Code, c.Code) << shown;
    }
    EXPECT_EQ(ReadBytes(dir / "plain"), (std::vector<std::uint8_t>{1, 2, 3})) << "never replaced without --force";

    const Ran help = Cli({"--help"}), version = Cli({"--version"});
    EXPECT_EQ(help.Code, 0);
    EXPECT_EQ(help.Out.rfind("usage: glimmerwick-cli COMMAND", 0), 0u) << help.Out;
    for (const char* option : {"--json", "--output=DIR", "--recursive", "--index=N", "--name=NAME", "--lang=ID",
                               "--cursors", "--wrestool-names", "--force", "--size=S", "--all", "--version"})
        EXPECT_NE(help.Out.find(option), std::string::npos) << option;
    EXPECT_EQ(Cli({"list", "--help"}).Out.rfind("usage: glimmerwick-cli list [OPTION]... FILE...\n  -j, --json", 0), 0u);
    EXPECT_EQ(version.Code, 0);
    EXPECT_EQ(version.Out, "glimmerwick-cli " GW_VERSION "\n");
}

// Each usage error says what is wrong with what was given, and nothing is written; options
// after the files work also where POSIXLY_CORRECT asks getopt to stop at the first file.
TEST(CliMessages, UsageErrorsSayWhatIsWrongAndOptionsGoAnywhere)
{
    TempDir dir;
    const std::string dll = DataPath("groups32.dll"), ico = DataPath("sizes.ico");
    const std::string out = dir / "out";
    struct Case {
        std::vector<std::string> Args;
        bool Posix;           // run with POSIXLY_CORRECT set
        int Code;
        std::string Message;  // on standard error (or, exit 0, the start of standard output)
    };
    const std::vector<Case> cases = {
        {{"extract", "-o", "-", dll}, false, 2, "-o - (standard output) is for png and legacy"},
        {{"extract", "-o-", dll}, false, 2, "-o - (standard output) is for png and legacy"},
        {{"legacy", dll, "65536", dir / "l.ico"}, false, 2, "INDEX '65536' is not a whole number from -65535 to 65535"},
        {{"legacy", dll, "0x3", dir / "l.ico"}, false, 2, "INDEX '0x3' is not a whole number"},
        {{"legacy", dll, "abc", dir / "l.ico"}, false, 2, "INDEX 'abc' is not a whole number"},
        {{"legacy", dll, "3"}, false, 2, "legacy needs FILE INDEX OUT.ico"},
        {{"extract", "-o", out, "--index", "65536", dll}, false, 2, "--index needs a number from 0 to 65535"},
        {{"extract", "-o", out, "-i", "-1", dll}, false, 2, "--index needs a number from 0 to 65535"},
        {{"extract", "--force=yes", "-o", out, dll}, false, 2, "option --force takes no value"},
        {{"extract", "--forc=yes", "-o", out, dll}, false, 2, "option --force takes no value"},
        {{"list", "--json=1", dll}, false, 2, "option --json takes no value"},
        {{"list", "--bogus=1", dll}, false, 2, "unknown option --bogus"},
        {{"list", "-x", dll}, false, 2, "unknown option -x"},
        {{"extract", dll, "-o"}, false, 2, "option needs a value: -o"},
        {{"png", "--all", "--size=16", "-o", out, dll}, false, 2, "--size is for one image"},
        // Options after the files.
        {{"extract", dll, "-o", dir / "p1", "--index", "3"}, true, 0, ""},
        {{"list", dll, "--json"}, true, 0, "{\"file\":"},
        {{"png", dll, "-o", "-", "-s", "16"}, true, 0, "\x89PNG"},
        {{"legacy", dll, "3", "-", "--force"}, true, 0, ""},
        {{"extract", "-o", dir / "p2", "--", dll, "--index"}, true, 1, "--index: no such file"},
        // Counts read as English.
        {{"list", ico}, false, 0, ico + ": ICO, 1 group\n"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.Args)
            shown += a + " ";
        if (c.Posix)
            ::setenv("POSIXLY_CORRECT", "1", 1);
        const Ran r = Cli(c.Args);
        ::unsetenv("POSIXLY_CORRECT");
        EXPECT_EQ(r.Code, c.Code) << shown << "\n" << r.Err;
        if (c.Code == 0) {
            EXPECT_EQ(r.Out.rfind(c.Message, 0), 0u) << shown << "\n" << r.Out.substr(0, 80);
        } else {
            EXPECT_NE(r.Err.find(c.Message), std::string::npos) << shown << "\n" << r.Err;
        }
        if (c.Code == 2) {
            EXPECT_FALSE(Exists("-") || Exists(out) || Exists(dir / "l.ico")) << shown << ": wrote something";
        }
    }
    EXPECT_EQ(Tree(dir / "p1"), std::vector<std::string>{"groups32.dll_3.ico"}) << "--index after the file";

    const Ran help = Exec({GW_THUMBNAILER, "--help"});
    EXPECT_EQ(help.Code, 0);
    EXPECT_EQ(help.Out.rfind("usage: glimmerwick-thumbnailer -s SIZE INPUT OUTPUT.png\n", 0), 0u) << help.Out;
}

// Names reach a terminal with their control characters escaped (a title change, a
// forged line); output that cannot be written is an error, not a cut listing.
// A folder named without -r points to -r only where the command has it.
TEST(CliExitCodes, AFolderPointsToTheOptionThatWalksIt)
{
    TempDir dir, out;
    const struct { std::string Command, Says; } cases[] = {
        {"extract", "is a folder (-r walks it)"},
        {"png", "is a folder"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{c.Command, "-o", out.Path(), dir.Path()};
        if (c.Command == "png")
            args.insert(args.begin() + 1, "--all");
        const Ran r = Cli(args);
        EXPECT_EQ(r.Code, 1) << c.Command;
        EXPECT_EQ(r.Err, "glimmerwick-cli: " + dir.Path() + ": " + c.Says + "\n") << c.Command;
    }
}

TEST(CliOutput, TextIsSafeForTerminalsAndLostOutputIsAnError)
{
    const std::string names = DataPath("names64.dll");
    const Ran text = Cli({"list", names});
    EXPECT_EQ(text.Code, 0);
    EXPECT_NE(text.Out.find("\t'T\\x1b]0;OWNED\\x07'\t"), std::string::npos) << text.Out;
    EXPECT_NE(text.Out.find("\t'TWO\\x0aLINES'\t"), std::string::npos) << text.Out;
    EXPECT_EQ(std::count(text.Out.begin(), text.Out.end(), '\n'), 11);
    EXPECT_TRUE(std::none_of(text.Out.begin(), text.Out.end(),
                             [](char c) { return (c >= 0 && c < 0x20 && c != '\t' && c != '\n') || c == 0x7F; }));

    const std::string cli = std::string("'") + GW_CLI + "' ";
    for (const std::string& run : {cli + "list --json '" + names + "' >/dev/full", cli + "list '" + names + "' >&-",
                                   cli + "--help >&-", cli + "--version >/dev/full"}) {
        const Ran r = Exec({"/bin/sh", "-c", run});
        EXPECT_EQ(r.Code, 3) << run;
        EXPECT_NE(r.Err.find("glimmerwick-cli: standard output: "), std::string::npos) << run << ": " << r.Err;
    }

    // -ID names the group with that number, 1 included.
    TempDir dir;
    EXPECT_EQ(Cli({"legacy", DataPath("repeat256.dll"), "-1", dir / "one.ico"}).Code, 0);
    EXPECT_EQ(ReadBytes(dir / "one.ico").size(), 766u);
}

TEST(CliExtract, SelectsByIndexNameAndLanguage)
{
    const std::string dll = DataPath("groups32.dll");
    struct Case { std::vector<std::string> Options; std::vector<std::string> Written; };
    const std::vector<Case> cases = {
        {{"--index", "3", "--index", "0"}, {"groups32.dll_0.ico", "groups32.dll_3.ico"}},
        {{"--name", "apple"}, {"groups32.dll_0.ico"}},
        {{"--name", "42", "--name", "STARLIGHT"}, {"groups32.dll_1.ico", "groups32.dll_3.ico"}},
        {{"--lang", "1031"}, {"groups32.dll_2.ico"}},
        {{"--lang", "1031", "--wrestool-names"}, {"groups32.dll_14_7_1031.ico"}},
        {{"--name", "7", "--wrestool-names"}, {"groups32.dll_14_7.ico", "groups32.dll_14_7_1031.ico"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::vector<std::string> args{"extract", "-o", dir.Path()};
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        args.push_back(dll);
        EXPECT_EQ(Cli(args).Code, 0) << c.Options[1];
        EXPECT_EQ(dir.List(), c.Written) << c.Options[1];
    }
    // The two languages of group 7 are different groups: 1031 holds one image.
    TempDir dir;
    ASSERT_EQ(Cli({"extract", "--lang", "1031", "-o", dir.Path(), dll}).Code, 0);
    EXPECT_EQ(GetU16(ReadBytes(dir / "groups32.dll_2.ico"), 4), 1);
    ASSERT_EQ(Cli({"extract", "--lang", "1033", "--index", "2", "-o", dir / "b", dll}).Code, 0);
    EXPECT_GT(GetU16(ReadBytes(dir / "b/groups32.dll_2.ico"), 4), 1);
}

// --format writes each group as the window's formats do: the 16-colour icon that legacy
// (checked against iconprobe) writes, the group as stored (the default, checked against
// wrestool), or the largest image, as png --index gives it (checked against icotool).
TEST(CliExtract, FormatsAreTheWindowsFormats)
{
    const std::string dll = DataPath("groups64.dll");
    TempDir dir;
    ASSERT_EQ(Cli({"extract", "-o", dir / "default", "--index", "3", dll}).Code, 0);
    ASSERT_EQ(Cli({"legacy", dll, "3", dir / "legacy.ico"}).Code, 0);
    ASSERT_EQ(Cli({"png", "--index", "3", "-o", dir / "largest.png", dll}).Code, 0);
    struct Case { const char* Format; const char* Written; std::string Oracle; };
    const Case cases[] = {
        {"ico16", "groups64.dll_3.ico", dir / "legacy.ico"},
        {"original", "groups64.dll_3.ico", dir / "default/groups64.dll_3.ico"},
        {"png", "groups64.dll_3.png", dir / "largest.png"},
    };
    for (const Case& c : cases) {
        const std::string out = dir / c.Format;
        ASSERT_EQ(Cli({"extract", std::string("--format=") + c.Format, "-o", out, "--index", "3", dll}).Code, 0);
        EXPECT_EQ(Tree(out), std::vector<std::string>{c.Written}) << c.Format;
        // A stored PNG is passed on as it is, where png --index encodes the pixels.
        if (std::string(c.Format) == "png")
            ExpectSamePixels(out + "/" + c.Written, c.Oracle);
        else
            EXPECT_EQ(ReadBytes(out + "/" + c.Written), ReadBytes(c.Oracle)) << c.Format;
    }
    // Formats it does not have, and cursors or languages in a window's format, are refused.
    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--format=bmp"}, {"--format", "PNG"},
                                                   {"--format=png", "--cursors"}, {"--format=ico16", "--lang", "1033"}}) {
        std::vector<std::string> args{"extract", "-o", dir / "refused"};
        args.insert(args.end(), wrong.begin(), wrong.end());
        args.push_back(dll);
        const Ran ran = Cli(args);
        EXPECT_EQ(ran.Code, 2) << wrong.front();
        EXPECT_NE(ran.Err.find("--format"), std::string::npos) << ran.Err;
        EXPECT_FALSE(Exists(dir / "refused"));
    }
}

// A walk takes the program's file kinds in any case, follows links to files but not to
// folders, mirrors the folders and takes names that are not UTF-8 (GB2312 here).
TEST(CliExtract, WalksFoldersWithTheFileKindsAndRawNames)
{
    TempDir src, out;
    const std::string gb = "\xcd\xbc\xb1\xea";  // 图标 in GB2312
    ASSERT_EQ(::mkdir((src / gb).c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((src / "deep").c_str(), 0755), 0);
    WriteBytes(src / (gb + "/" + gb + ".DLL"), ReadBytes(DataPath("library4.icl")));
    WriteBytes(src / "deep/a.icl", ReadBytes(DataPath("library9.icl")));
    WriteBytes(src / "deep/a.txt", ReadBytes(DataPath("groups32.dll")));
    WriteBytes(src / "deep/none.dll", ReadBytes(DataPath("noicons64.dll")));
    TempDir elsewhere;
    WriteBytes(elsewhere / "b.exe", ReadBytes(DataPath("groups64.dll")));
    WriteBytes(elsewhere / "c.ico", ReadBytes(DataPath("png256.ico")));
    ASSERT_EQ(::symlink(elsewhere.Path().c_str(), (src / "linked").c_str()), 0);
    ASSERT_EQ(::symlink((elsewhere / "c.ico").c_str(), (src / "link.ICO").c_str()), 0);

    WriteBytes(src / "deep/empty.exe", {});

    const Ran r = Cli({"extract", "-r", "-o", out.Path(), src.Path()});
    EXPECT_EQ(r.Code, 0) << r.Err;  // files found by the walk without icons are passed over
    // The walked folder is mirrored under its own name.
    const std::string root = std::filesystem::path(src.Path()).filename().string();
    EXPECT_EQ(out.List(), std::vector<std::string>{root});
    EXPECT_EQ(Tree(out / root), (std::vector<std::string>{"deep/a.icl_0.ico", "deep/a.icl_1.ico", "deep/a.icl_2.ico",
                                                          "deep/a.icl_3.ico", "link.ICO_0.ico",
                                                          gb + "/" + gb + ".DLL_0.ico", gb + "/" + gb + ".DLL_1.ico",
                                                          gb + "/" + gb + ".DLL_2.ico", gb + "/" + gb + ".DLL_3.ico"}));
    EXPECT_EQ(ReadBytes(out / (root + "/link.ICO_0.ico")), ReadBytes(DataPath("png256.ico")));

    const Ran json = Cli({"list", "--json", src / (gb + "/" + gb + ".DLL")});
    EXPECT_EQ(json.Code, 0);
    // CD BC happens to be UTF-8 as well (U+037C); B1 and EA are not.
    EXPECT_NE(json.Out.find("\xcd\xbc\\udcb1\\udcea.DLL\",\"kind\":\"NE\""), std::string::npos) << json.Out;
}

// Within one run no name is written twice: results that would take one name (group
// names differing in "/" or control characters, inputs of one name from two folders or
// in another case, walked roots of one name) get variants, and the counts add up.
TEST(CliExtract, NoNameIsWrittenTwiceInOneRun)
{
    TempDir src;
    const auto dll = ReadBytes(DataPath("groups32.dll"));
    for (const char* folder : {"d1", "d2", "a", "a/t", "b", "b/t"})
        ASSERT_EQ(::mkdir((src / folder).c_str(), 0755), 0);
    for (const char* file : {"d1/x.dll", "d2/x.dll", "d2/X.DLL", "a/t/x.dll", "b/t/x.dll"})
        WriteBytes(src / file, dll);
    auto numbered = [](const std::string& prefix, const std::string& suffix) {
        std::vector<std::string> names;
        for (int i = 0; i < 6; ++i)
            names.push_back(prefix + std::to_string(i) + suffix + ".ico");
        return names;
    };
    auto join = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        std::sort(a.begin(), a.end());
        return a;
    };
    // groups32.dll: seven groups, six of them with images.
    struct Case { std::vector<std::string> Args; std::vector<std::string> Files; const char* Counts; };
    const std::vector<Case> cases = {
        {{"--force", src / "d1/x.dll", src / "d2/x.dll"}, join(numbered("x.dll_", ""), numbered("x.dll_", "-2")),
         "14 icons found: 12 written, 2 not written"},
        {{src / "d1/x.dll", src / "d2/X.DLL"}, join(numbered("x.dll_", ""), numbered("X.DLL_", "-2")),
         "14 icons found: 12 written, 2 not written"},
        {{"-r", src / "d1", src / "a"}, join(numbered("d1/x.dll_", ""), numbered("a/t/x.dll_", "")),
         "14 icons found: 12 written, 2 not written"},
        {{"-r", src / "a/t", src / "b/t"}, join(numbered("t/x.dll_", ""), numbered("t/x.dll_", "-2")),
         "14 icons found: 12 written, 2 not written"},
        {{"--wrestool-names", DataPath("names64.dll")},
         {"names64.dll_14_A_B-2.ico", "names64.dll_14_A_B.ico", "names64.dll_14_TAB_END.ico",
          "names64.dll_14_TWO_LINES.ico", "names64.dll_14_T_]0;OWNED_.ico"},
         nullptr},
    };
    for (const Case& c : cases) {
        TempDir out;
        std::vector<std::string> args{"extract", "-o", out.Path()};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const Ran r = Cli(args);
        EXPECT_EQ(r.Code, c.Counts ? 1 : 0) << c.Args[0] << ": " << r.Err;  // group 1000 has no image
        EXPECT_EQ(Tree(out.Path()), c.Files) << c.Args[0];
        if (c.Counts) {
            EXPECT_NE(r.Err.find(std::string("glimmerwick-cli: ") + c.Counts + "\n"), std::string::npos) << r.Err;
        }
    }
}

// A walk never takes its output folder: a rerun into its own tree writes the same
// files. A root inside the output folder is refused, and the depth limit is reported.
TEST(CliExtract, WalksStayOutOfTheirOutputAndSayWhereTheyStop)
{
    TempDir tree;
    WriteBytes(tree / "a.dll", ReadBytes(DataPath("groups64.dll")));
    WriteBytes(tree / "b.ico", ReadBytes(DataPath("sizes.ico")));
    const std::vector<std::string> args{"extract", "-r", "-o", tree / "out", tree.Path()};
    std::vector<std::string> force = args;
    force.insert(force.begin() + 1, "--force");
    ASSERT_EQ(Cli(args).Code, 1);  // group 1000 has no image
    const auto first = Tree(tree.Path());
    EXPECT_EQ(first.size(), 2u + 6u + 1u);
    EXPECT_EQ(Cli(args).Code, 3);  // the files exist
    EXPECT_EQ(Tree(tree.Path()), first);
    EXPECT_EQ(Cli(force).Code, 1);
    EXPECT_EQ(Tree(tree.Path()), first);

    const Ran inside = Cli({"extract", "-r", "-o", tree.Path(), tree / "out"});
    EXPECT_EQ(inside.Code, 1);
    EXPECT_NE(inside.Err.find("is the output folder or inside it"), std::string::npos) << inside.Err;
    EXPECT_EQ(Tree(tree.Path()), first);

    TempDir deep, out;
    std::string folder = deep.Path();
    for (int level = 0; level <= 257; ++level) {
        folder += "/d";
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        if (level == 255 || level == 256)
            WriteBytes(folder + "/x.ico", ReadBytes(DataPath("depth4.ico")));
    }
    const Ran limit = Cli({"extract", "-r", "-o", out.Path(), deep.Path()});
    EXPECT_EQ(limit.Code, 1);
    EXPECT_NE(limit.Err.find("levels deep: not walked"), std::string::npos) << limit.Err;
    EXPECT_EQ(Tree(out.Path()).size(), 1u) << "the file 256 levels down, not the one below";
}

// An output folder that goes while a run writes into it stops the run with one message.
TEST(CliExtract, AnOutputFolderThatGoesStopsTheRun)
{
    TempDir src, dir;
    std::vector<std::string> args{"extract", "-o", dir / "out"};
    for (int i = 0; i < 3000; ++i) {
        const std::string name = src / ("f" + std::to_string(i) + ".ico");
        ASSERT_EQ(::symlink(DataPath("depth4.ico").c_str(), name.c_str()), 0);
        args.push_back(name);
    }
    int errFd[2];
    ASSERT_EQ(::pipe2(errFd, O_CLOEXEC), 0);
    args.insert(args.begin(), GW_CLI);
    const pid_t pid = Start(args, ::open("/dev/null", O_WRONLY | O_CLOEXEC), errFd[1]);
    while (!Exists(dir / "out/f10.ico_0.ico"))
        ::usleep(200);
    // Moved away at once, as a removal would race with the files still being written.
    ASSERT_EQ(::rename((dir / "out").c_str(), (dir / "gone").c_str()), 0);
    std::string err;
    char buf[4096];
    for (ssize_t n; (n = ::read(errFd[0], buf, sizeof buf)) > 0;)
        err.append(buf, std::size_t(n));
    ::close(errFd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;  // the message and the counts
    EXPECT_NE(err.find("the output folder has gone"), std::string::npos) << err;
    EXPECT_FALSE(Exists(dir / "out"));
}

// The damaged and hostile corpus: answers, never a crash; each thumbnail decodes and
// fits its size.
TEST(CliHostile, DamagedFilesEndInAnAnswer)
{
    TempDir out;
    const Ran list = Cli({"list", "--json", GW_MALFORMED_DIR + std::string("/") + "."});
    EXPECT_EQ(list.Code, 1);
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(GW_MALFORMED_DIR))
        files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    std::vector<std::string> args{"list", "--json"};
    args.insert(args.end(), files.begin(), files.end());
    const Ran all = Cli(args);
    EXPECT_TRUE(all.Code == 0 || all.Code == 1);
    EXPECT_EQ(std::count(all.Out.begin(), all.Out.end(), '\n'), std::ptrdiff_t(files.size()));
    const Ran walk = Cli({"extract", "-r", "-o", out.Path(), GW_MALFORMED_DIR});
    EXPECT_TRUE(walk.Code == 0 || walk.Code == 1) << walk.Code;

    int thumbnails = 0;
    for (std::size_t i = 0; i < files.size(); i += 3) {
        const std::string png = out / "thumb.png";
        ::unlink(png.c_str());
        const Ran t = Exec({GW_THUMBNAILER, "-s", "48", files[i], png});
        ASSERT_TRUE(t.Code == 0 || t.Code == 1) << files[i] << " " << t.Code;
        if (t.Code == 0) {
            const Rgba img = LoadPng(png);
            EXPECT_TRUE(img.Width >= 1 && img.Width <= 48 && img.Height >= 1 && img.Height <= 48) << files[i];
            ++thumbnails;
        }
    }
    EXPECT_GT(thumbnails, 0);
}

// `list -v` names what is damaged in a file once, where it lies, and lists the rest.
// The offsets are those of the damaged structures: the RT_GROUP_ICON type entry, the
// first group's name and language entries (as make_malformed.py patched them), the
// colour table after the 22-byte directory and 40-byte header, the pixels after a
// 300-entry table, the end of a directory that claims 65535 entries.
TEST(CliList, VerboseListingNamesEachFaultOnce)
{
    const std::string m = GW_MALFORMED_DIR + std::string("/");
    // anim.ani cut at 700 bytes: its "fram" list (at 0x74) and the RIFF end there, the
    // first frame's 4-bit pixels (after the chunk heads, a 22-byte directory, a 40-byte
    // header and 16 colours, at 0x106) with them.
    TempDir dir;
    const std::string ani = dir / "cut.ani";
    {
        const auto whole = ReadBytes(DataPath("anim.ani"));
        ASSERT_GT(whole.size(), 700u);
        std::ofstream(ani, std::ios::binary).write(reinterpret_cast<const char*>(whole.data()), 700);
    }
    const struct {
        std::string File;
        std::vector<std::string> Warnings;  // the lines after "FILE: "
    } cases[] = {
        {DataPath("depth8.ico"), {}},
        {DataPath("groups32.dll"), {}},
        {m + "depth8_ico-cut1049.bin", {"icon 0: truncated colour table at 0x3e"}},
        {m + "depth8_ico-clrused300.bin", {"icon 0: truncated colour bits at 0x4ee"}},
        {m + "depth8_ico-countmax.bin", {"image count too large at 0x4", "truncated icon directory at 0x8be"}},
        {m + "groups32_dll-typeloop.bin",
         {"looping resource tree at 0x828", "icon 0: missing group directory at 0x810",
          "icon 1: missing group directory at 0x818", "icon 2: missing group directory at 0x820",
          "icon 3: missing group directory at 0x828"}},
        {m + "groups32_dll-nameloop.bin",
         {"looping resource tree at 0xa90", "icon 0: missing group directory at 0xa90"}},
        {m + "groups32_dll-langloop.bin",
         {"looping resource tree at 0xad8", "icon 0: missing group directory at 0xa90"}},
        {m + "library4_icl-cut191.bin", {"truncated resource table at 0xc0"}},
        {ani,
         {"truncated RIFF file at 0x0", "truncated RIFF chunk at 0x74", "cursor 0: truncated colour bits at 0x106"}},
    };
    for (const auto& c : cases) {
        const Ran plain = Cli({"list", c.File});
        const Ran verbose = Cli({"list", "-v", c.File});
        EXPECT_EQ(verbose.Code, plain.Code) << c.File;
        std::string expected = plain.Out;
        for (const std::string& w : c.Warnings)
            expected += c.File + ": " + w + "\n";
        EXPECT_EQ(verbose.Out, expected) << c.File;

        const Ran json = Cli({"list", "--json", "--verbose", c.File});
        const std::size_t at = json.Out.find(",\"warnings\":[");
        ASSERT_NE(at, std::string::npos) << json.Out;
        for (const std::string& w : c.Warnings)
            EXPECT_NE(json.Out.find("\"text\":\"" + w + "\"}", at), std::string::npos) << json.Out;
        EXPECT_EQ(std::count(json.Out.begin() + std::ptrdiff_t(at), json.Out.end(), '{'),
                  std::ptrdiff_t(c.Warnings.size()))
            << json.Out;
        EXPECT_EQ(json.Out.find(",\"warnings\""), Cli({"list", "--json", c.File}).Out.size() - 2) << json.Out;
    }
}

TEST(CliThumbnailer, EveryKindOfInputGivesAThumbnailOfAtMostTheSize)
{
    TempDir out;
    struct Case { std::string File; const char* Size; int Side; };
    for (const Case& c : {Case{DataPath("groups32.dll"), "128", 32}, Case{DataPath("groups64.dll"), "16", 16},
                          Case{DataPath("library4.icl"), "256", 32}, Case{DataPath("library9.icl"), "16", 16},
                          Case{DataPath("png256.ico"), "128", 128}, Case{DataPath("png256.ico"), "256", 256},
                          // Cursors: the image nearest the size; of an animated cursor, the first frame's.
                          Case{DataPath("arrow.cur"), "128", 32}, Case{DataPath("two.cur"), "16", 16},
                          Case{DataPath("anim.ani"), "16", 16}, Case{DataPath("cursors32.dll"), "48", 32}}) {
        const std::string png = out / "t.png";
        ::unlink(png.c_str());
        ASSERT_EQ(Exec({GW_THUMBNAILER, "-s", c.Size, c.File, png}).Code, 0) << c.File;
        const Rgba img = LoadPng(png);
        EXPECT_EQ(img.Width, c.Side) << c.File << " " << c.Size;
        EXPECT_EQ(img.Height, c.Side) << c.File << " " << c.Size;
    }
    // The first frame of the animated cursor is arrow.cur, pixel for pixel as icotool reads it.
    ASSERT_EQ(Exec({GW_THUMBNAILER, "-s", "32", DataPath("anim.ani"), out / "a.png"}).Code, 0);
    ASSERT_EQ(Exec({GW_ICOTOOL, "-x", "-o", out / "arrow.png", DataPath("arrow.cur")}).Code, 0);
    ExpectSamePixels(out / "a.png", out / "arrow.png");
    EXPECT_EQ(Exec({GW_THUMBNAILER, "-s", "48", DataPath("noicons32.dll"), out / "n.png"}).Code, 1);
    EXPECT_FALSE(Exists(out / "n.png"));
    EXPECT_EQ(Exec({GW_THUMBNAILER, DataPath("groups32.dll")}).Code, 2);
}

// A client that creates the output file and reads the thumbnail through the descriptor
// it keeps (tumbler does) reads the whole thumbnail, also over a longer old file.
TEST(CliThumbnailer, AClientHoldingTheOutputOpenReadsTheThumbnail)
{
    TempDir dir;
    const std::string dll = DataPath("groups32.dll");
    ASSERT_EQ(Exec({GW_THUMBNAILER, "-s", "32", dll, dir / "ref.png"}).Code, 0);
    const auto expected = ReadBytes(dir / "ref.png");
    for (std::size_t oldSize : {std::size_t(0), std::size_t(100000)}) {
        const std::string out = dir / "held.png";
        WriteBytes(out, std::vector<std::uint8_t>(oldSize, 0xEE));
        const int fd = ::open(out.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(Exec({GW_THUMBNAILER, "-s", "32", dll, out}).Code, 0);
        std::vector<std::uint8_t> seen(expected.size() + 1);
        const ssize_t n = ::pread(fd, seen.data(), seen.size(), 0);
        ::close(fd);
        seen.resize(std::size_t(std::max<ssize_t>(n, 0)));
        EXPECT_EQ(seen, expected) << "over " << oldSize << " bytes";
    }
}

// A stored PNG with a wrong CRC, without its end, or whose image data has a wrong zlib
// checksum is not passed on as it is: the thumbnail and png --all's file are encoded
// anew and gdk-pixbuf (strict, as file managers are) takes them; one that cannot be
// decoded, or a group with no image to write, gives no file and exit 1.
TEST(CliThumbnailer, ADamagedStoredPngIsNeverPassedOn)
{
    if (Sh("command -v gdk-pixbuf-csource").empty())
        GTEST_SKIP() << "gdk-pixbuf-csource (libgdk-pixbuf2.0-bin) is not installed";
    TempDir dir;
    const auto ico = ReadBytes(DataPath("png256.ico"));
    auto chunk = [&](const char* type) {
        const auto at = std::search(ico.begin(), ico.end(), type, type + 4) - ico.begin();
        return std::pair<std::size_t, std::uint32_t>(std::size_t(at), std::uint32_t(ico[at - 4]) << 24 |
                                                                           std::uint32_t(ico[at - 3]) << 16 |
                                                                           std::uint32_t(ico[at - 2]) << 8 | ico[at - 1]);
    };
    const auto [ihdr, ihdrLength] = chunk("IHDR");
    const auto [idat, idatLength] = chunk("IDAT");
    const auto [iend, iendLength] = chunk("IEND");
    auto badCrc = ico, badHeaderCrc = ico, noEnd = ico, badData = ico, badAdler = ico, noImage = ico;
    badCrc[idat + 4 + idatLength + 3] ^= 0xFF;
    badHeaderCrc[ihdr + 4 + ihdrLength + 3] ^= 0xFF;
    noEnd.resize(iend - 4);
    for (std::size_t i = idat + 4; i < idat + 4 + idatLength; ++i)
        badData[i] = 0xA5;
    // The stream's Adler-32 (its last four bytes) wrong, the chunk's CRC made right for it.
    badAdler[idat + 4 + idatLength - 1] ^= 0xFF;
    const std::uint32_t crc = std::uint32_t(::crc32(0, badAdler.data() + idat, 4 + idatLength));
    for (int k = 0; k < 4; ++k)
        badAdler[idat + 4 + idatLength + std::size_t(k)] = std::uint8_t(crc >> (24 - 8 * k));
    // The one entry names an image past the end of the file.
    noImage[18] = 0xFF;
    noImage[19] = 0xFF;
    struct Case { const char* Name; std::vector<std::uint8_t> Bytes; int Code; };
    for (const Case& c : {Case{"crc.ico", badCrc, 0}, Case{"ihdr.ico", badHeaderCrc, 0}, Case{"end.ico", noEnd, 0},
                          Case{"adler.ico", badAdler, 0}, Case{"data.ico", badData, 1}, Case{"none.ico", noImage, 1}}) {
        WriteBytes(dir / c.Name, c.Bytes);
        TempDir all;
        const std::string thumbnail = dir / (std::string(c.Name) + ".png");
        const Ran thumb = Exec({GW_THUMBNAILER, "-s", "256", dir / c.Name, thumbnail});
        const Ran png = Cli({"png", "--all", "-o", all.Path(), dir / c.Name});
        EXPECT_EQ(thumb.Code, c.Code) << c.Name;
        EXPECT_EQ(png.Code, c.Code) << c.Name;
        if (c.Code != 0) {
            EXPECT_FALSE(Exists(thumbnail)) << c.Name;
            EXPECT_TRUE(all.List().empty()) << c.Name;
            EXPECT_NE(png.Err, "") << c.Name;
            continue;
        }
        ASSERT_EQ(all.List().size(), 1u) << c.Name;
        for (const std::string& out : {thumbnail, all / all.List()[0]}) {
            const Ran pixbuf = Exec({"/bin/sh", "-c", "gdk-pixbuf-csource --raw '" + out + "' >/dev/null"});
            EXPECT_EQ(pixbuf.Code, 0) << c.Name << ": " << out << ": " << pixbuf.Err;
            EXPECT_EQ(LoadPng(out).Width, 256) << c.Name;
        }
    }
}

// XFCE's thumbnail service (tumbler) runs the thumbnailer through its .thumbnailer
// entry, on a private session bus, and reads each thumbnail through the descriptor of
// the file it made for it.
TEST(CliThumbnailer, TumblerMakesThumbnailsOfLibrariesAndIconFiles)
{
    if (!Exists("/usr/share/dbus-1/services/org.xfce.Tumbler.Thumbnailer1.service") ||
        Sh("command -v dbus-run-session gdbus").empty())
        GTEST_SKIP() << "tumbler, dbus-daemon or libglib2.0-bin is not installed";
    TempDir dir;
    ASSERT_EQ(::mkdir((dir / "thumbnailers").c_str(), 0755), 0);
    std::ifstream entry(GW_THUMBNAILER_ENTRY);
    std::string text((std::istreambuf_iterator<char>(entry)), std::istreambuf_iterator<char>());
    for (const std::string key : {"TryExec=", "Exec="}) {
        const std::size_t at = text.find("\n" + key) + 1 + key.size();
        text.replace(at, std::string("glimmerwick-thumbnailer").size(), GW_THUMBNAILER);
    }
    WriteBytes(dir / "thumbnailers/glimmerwick.thumbnailer", std::vector<std::uint8_t>(text.begin(), text.end()));
    WriteBytes(dir / "x.dll", ReadBytes(DataPath("groups32.dll")));
    WriteBytes(dir / "y.ico", ReadBytes(DataPath("png256.ico")));
    WriteBytes(dir / "z.ani", ReadBytes(DataPath("anim.ani")));
    // Each thumbnail is named after the MD5 of its file's file:// URI, in the cache's
    // normal (128 px) folder.
    auto thumbnail = [&](const char* file) {
        const std::string md5 = Sh("printf '%s' 'file://" + dir / file + "' | md5sum | cut -c1-32");
        return dir / ("cache/thumbnails/normal/" + md5.substr(0, 32) + ".png");
    };
    // tumblerd is started by the bus when first called, with the bus's environment. On a
    // busy machine the first call can fail before tumblerd answers: it is made again.
    const std::string script =
        "for try in 1 2 3 4 5; do gdbus call --session --dest org.freedesktop.thumbnails.Thumbnailer1 --object-path "
        "/org/freedesktop/thumbnails/Thumbnailer1 --method org.freedesktop.thumbnails.Thumbnailer1.Queue "
        "\"['file://" + dir / "x.dll" + "','file://" + dir / "y.ico" + "','file://" + dir / "z.ani" + "']\" "
        "\"['application/x-msdownload','image/vnd.microsoft.icon','application/x-navi-animation']\" \"'normal'\" "
        "\"'default'\" \"uint32 0\" >/dev/null && break; sleep 1; done\n"
        "for i in $(seq 300); do [ -e '" + thumbnail("x.dll") + "' ] && [ -e '" + thumbnail("y.ico") + "' ] && [ -e '" +
        thumbnail("z.ani") + "' ] && break; sleep 0.1; done\n";
    const Ran session = Exec({"/usr/bin/env", "XDG_DATA_DIRS=" + dir.Path() + ":/usr/share",
                              "XDG_CACHE_HOME=" + dir / "cache", "HOME=" + dir.Path(), "/usr/bin/timeout", "60",
                              "dbus-run-session", "--", "/bin/sh", "-c", script});
    struct Case { const char* File; int Side; };
    for (const Case& c : {Case{"x.dll", 32}, Case{"y.ico", 128}, Case{"z.ani", 32}}) {
        const std::string png = thumbnail(c.File);
        ASSERT_TRUE(Exists(png)) << c.File << ":\n" << session.Out << session.Err;
        EXPECT_EQ(LoadPng(png).Width, c.Side) << c.File;
    }
}

// What the writer promises, kept by both programs: without --force a taken name (also
// a link that leads nowhere) stays as it is; --force and the thumbnailer write through
// links and keep the file; a read-only file, a FIFO and a folder are refused.
TEST(CliWriter, NamesAreTakenOrReplacedAsAsked)
{
    TempDir dir;
    const std::string dll = DataPath("groups32.dll");
    const std::vector<std::uint8_t> old{'o', 'l', 'd'};
    const std::string out = dir / "out", ico = out + "/groups32.dll_3.ico";
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    auto extract = [&](bool force) {
        std::vector<std::string> args{"extract", "-o", out, "--index", "3", dll};
        if (force)
            args.insert(args.begin() + 1, "--force");
        return Cli(args).Code;
    };
    auto thumbnail = [&](const std::string& to) { return Exec({GW_THUMBNAILER, "-s", "32", dll, to}).Code; };
    const std::string alone = dir / "alone.ico";
    ASSERT_EQ(Cli({"extract", "-o", dir / "ref", "--index", "3", dll}).Code, 0);
    const auto written = ReadBytes(dir / "ref/groups32.dll_3.ico");
    ASSERT_EQ(thumbnail(dir / "ref.png"), 0);
    const auto thumb = ReadBytes(dir / "ref.png");

    // A link to a name not taken yet is a taken name without --force.
    ASSERT_EQ(::symlink("later.ico", ico.c_str()), 0);
    EXPECT_EQ(extract(false), 3);
    EXPECT_FALSE(Exists(out + "/later.ico"));
    EXPECT_EQ(extract(true), 0);
    EXPECT_EQ(ReadBytes(out + "/later.ico"), written) << "written through the link";
    struct stat st;
    ASSERT_EQ(::lstat(ico.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // A file of the user's: its mode stays; read-only, it is refused even with --force.
    WriteBytes(out + "/later.ico", old);
    ASSERT_EQ(::chmod((out + "/later.ico").c_str(), 0640), 0);
    EXPECT_EQ(extract(false), 3);
    EXPECT_EQ(ReadBytes(out + "/later.ico"), old);
    EXPECT_EQ(extract(true), 0);
    ASSERT_EQ(::stat(ico.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    WriteBytes(out + "/later.ico", old);
    ASSERT_EQ(::chmod((out + "/later.ico").c_str(), 0444), 0);
    EXPECT_EQ(extract(true), 3);
    EXPECT_EQ(ReadBytes(out + "/later.ico"), old);

    // The thumbnailer replaces its output the same way.
    const std::string link = dir / "thumb.png";
    ASSERT_EQ(::symlink("real.png", link.c_str()), 0);
    WriteBytes(dir / "real.png", old);
    EXPECT_EQ(thumbnail(link), 0);
    EXPECT_EQ(ReadBytes(dir / "real.png"), thumb);
    ASSERT_EQ(::chmod((dir / "real.png").c_str(), 0444), 0);
    EXPECT_EQ(thumbnail(link), 3);
    EXPECT_EQ(ReadBytes(dir / "real.png"), thumb);
    ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0644), 0);
    EXPECT_EQ(thumbnail(dir / "fifo.png"), 3);
    EXPECT_EQ(thumbnail(out), 3);
    EXPECT_EQ(Cli({"legacy", "--force", dll, "3", dir / "fifo.png"}).Code, 3);

    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(out))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"groups32.dll_3.ico", "later.ico"})) << "no temporary file left";
}

// On a FAT file system (a USB stick): no hard links, no modes, yet new names are taken
// without replacing and --force replaces.
TEST(CliWriter, WorksOnFat)
{
    FatImage fat;
    if (!fat.Mounted())
        GTEST_SKIP() << "no FAT image: " << fat.Why();
    const std::string dll = DataPath("groups32.dll");
    ASSERT_EQ(Cli({"extract", "-o", fat.Path(), "--index", "3", dll}).Code, 0);
    const std::string first = fat / "groups32.dll_3.ico";
    const auto written = ReadBytes(first);
    EXPECT_FALSE(written.empty());
    // fusefat ignores O_TRUNC: the old file goes first.
    ASSERT_EQ(::unlink(first.c_str()), 0);
    WriteBytes(first, {'o', 'l', 'd'});
    EXPECT_EQ(Cli({"extract", "-o", fat.Path(), "--index", "3", dll}).Code, 3);
    EXPECT_EQ(ReadBytes(first), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Cli({"extract", "--force", "-o", fat.Path(), "--index", "3", dll}).Code, 0);
    EXPECT_EQ(ReadBytes(first), written);
    EXPECT_EQ(Exec({GW_THUMBNAILER, "-s", "16", dll, fat / "t.png"}).Code, 0);
    EXPECT_EQ(Exec({GW_THUMBNAILER, "-s", "16", dll, fat / "t.png"}).Code, 0);
    EXPECT_EQ(LoadPng(fat / "t.png").Width, 16);
}

// An .ico file whose directory names the given (offset, size) images, `size` bytes
// long; what it does not write stays a hole, so even 80 MiB of images cost no disk.
void WriteSparseIco(const std::string& path, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& images,
                    off_t size)
{
    std::vector<std::uint8_t> head;
    PutU16(head, 0);
    PutU16(head, 1);
    PutU16(head, std::uint16_t(images.size()));
    for (const auto& [offset, bytes] : images) {
        head.insert(head.end(), {32, 32, 0, 0});
        PutU16(head, 1);
        PutU16(head, 32);
        PutU32(head, bytes);
        PutU32(head, offset);
    }
    WriteBytes(path, head);
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
}

// An image that many entries name is decoded and written once; images over 64 MiB a
// group once decoded are refused before any is decoded; and memory that cannot be had
// ends that file with a message, never the program.
TEST(CliLimits, AnImageNamedManyTimesIsDecodedOnceAndMemoryNeverAborts)
{
    const auto png = ReadBytes(DataPath("big1024.png"));
    for (const char* file : {"repeated.ico", "repeat256.dll"}) {
        TempDir out;
        const Ran r = Cli({"png", "--all", "-o", out.Path(), DataPath(file)});
        EXPECT_EQ(r.Code, 0) << file << ": " << r.Err;
        ASSERT_EQ(out.List().size(), 1u) << file;
        EXPECT_EQ(ReadBytes(out / out.List()[0]), png) << file;
    }
    const std::string over = DataPath("overdecoded.ico");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"png", "--all"}, {"png", "--size", "256"}}) {
        TempDir out;
        const std::string target = args.size() == 2 ? out.Path() : out / "one.png";
        std::vector<std::string> command = args;
        command.insert(command.end(), {"-o", target, over});
        const Ran r = Cli(command);
        if (args.size() == 2) {
            EXPECT_EQ(r.Code, 1);
            EXPECT_EQ(r.Err, "glimmerwick-cli: " + over + ": icon 0: its images exceed the limit of 64 MiB a group once decoded\n");
            EXPECT_TRUE(out.List().empty());
        } else {
            // One image is all a single PNG needs.
            EXPECT_EQ(r.Code, 0) << r.Err;
            EXPECT_EQ(LoadPng(target).Width, 256);
        }
    }
#ifndef __SANITIZE_ADDRESS__  // the sanitizer reserves more address space than the limits below
    TempDir dir;
    constexpr std::uint32_t kAfter256 = 6 + 16 * 256, k60MiB = 60 << 20;
    WriteSparseIco(dir / "huge.ico", std::vector<std::pair<std::uint32_t, std::uint32_t>>(256, {kAfter256, k60MiB}),
                   kAfter256 + k60MiB);
    struct Case { std::string Limit, Command; int Code; std::string Err; std::size_t Files; };
    const std::string cli = GW_CLI, thumbnailer = GW_THUMBNAILER;
    const std::vector<Case> cases = {
        {"200000", cli + " png --all -o OUT " + DataPath("repeated.ico"), 0, "", 1},
        {"200000", cli + " png --all -o OUT " + DataPath("repeat256.dll"), 0, "", 1},
        {"40000", cli + " extract -o OUT " + dir / "huge.ico" + " " + DataPath("multi.ico"), 1,
         "glimmerwick-cli: " + dir / "huge.ico" + ": icon 0: not enough memory for its images\n"
         "glimmerwick-cli: 2 icons found: 1 written, 1 not written\n", 1},
        {"40000", cli + " hash --jobs=2 " + dir / "huge.ico" + " " + DataPath("multi.ico") + " >OUT/h", 1,
         "glimmerwick-cli: " + dir / "huge.ico" + ": icon 0: not enough memory for its images\n", 1},
        {"40000", thumbnailer + " -s 48 " + dir / "huge.ico" + " OUT/t.png", 1,
         "glimmerwick-thumbnailer: " + dir / "huge.ico" + ": no image can be decoded\n", 0},
    };
    for (Case c : cases) {
        TempDir out;
        c.Command.replace(c.Command.find("OUT"), 3, out.Path());
        const Ran r = Exec({"/bin/sh", "-c", "ulimit -v " + c.Limit + " && exec " + c.Command});
        EXPECT_EQ(r.Code, c.Code) << c.Command << ": " << r.Err;
        EXPECT_EQ(r.Err, c.Err) << c.Command;
        EXPECT_EQ(out.List().size(), c.Files) << c.Command;
    }
#endif
}

// A group's .ico holds each image once however many entries name it, and a group whose
// images exceed the 64 MiB a group is refused whole: so no input makes a file larger.
TEST(CliLimits, AGroupsIcoHoldsEachImageOnceAndNoMoreThanTheBudget)
{
    TempDir dir;
    constexpr std::uint32_t kMiB = 1 << 20, kAfter256 = 6 + 16 * 256;
    auto repeated = [](std::uint32_t offset, std::uint32_t size) {
        return std::vector<std::pair<std::uint32_t, std::uint32_t>>(256, {offset, size});
    };
    WriteSparseIco(dir / "one.ico", repeated(kAfter256, kMiB), kAfter256 + kMiB);
    WriteSparseIco(dir / "huge.ico", repeated(kAfter256, 60 * kMiB), kAfter256 + 60 * kMiB);
    WriteSparseIco(dir / "over.ico", {{38, 40 * kMiB}, {38 + 40 * kMiB, 40 * kMiB}}, 38 + 80 * kMiB);
    const std::uint32_t png = std::uint32_t(ReadBytes(DataPath("big1024.png")).size());
    struct Case { std::string File; int Code; std::uint32_t Entries, Image; };
    const std::vector<Case> cases = {
        {dir / "one.ico", 0, 256, kMiB},
        {dir / "huge.ico", 0, 256, 60 * kMiB},
        {DataPath("repeat256.dll"), 0, 256, png},
        {dir / "over.ico", 1, 0, 0},
    };
    for (const Case& c : cases) {
        TempDir out;
        const Ran r = Cli({"extract", "-o", out.Path(), c.File});
        EXPECT_EQ(r.Code, c.Code) << c.File << ": " << r.Err;
        if (c.Code != 0) {
            EXPECT_TRUE(out.List().empty()) << c.File;
            EXPECT_EQ(r.Err, "glimmerwick-cli: " + c.File + ": icon 0: its images exceed the limit of 64 MiB a group\n");
            continue;
        }
        ASSERT_EQ(out.List().size(), 1u) << c.File;
        const auto ico = ReadBytes(out / out.List()[0]);
        const std::uint32_t head = 6 + 16 * c.Entries;
        EXPECT_EQ(ico.size(), head + c.Image) << c.File;
        ASSERT_EQ(GetU16(ico, 4), c.Entries) << c.File;
        for (std::uint32_t i = 0; i < c.Entries; ++i)
            ASSERT_EQ(IcoImageExtent(ico, int(i)), (std::pair<std::size_t, std::size_t>{head, c.Image})) << c.File;
    }
    // wrestool's own listing agrees on what the library holds.
    EXPECT_EQ(Sh(std::string(GW_WRESTOOL) + " -l --type=14 '" + DataPath("repeat256.dll") + "' | wc -l"), "1\n");

    // As many groups as a file may hold: all listed, the last one written as wrestool
    // writes it.
    const std::string many = DataPath("groups65535.dll");
    EXPECT_EQ(Sh(std::string(GW_WRESTOOL) + " -l --type=14 '" + many + "' | wc -l"), "65535\n");
    const Ran list = Cli({"list", many});
    EXPECT_EQ(list.Out.substr(0, list.Out.find('\n')), many + ": PE32+, 65535 groups");
    TempDir ours, theirs;
    ASSERT_EQ(Cli({"extract", "--index", "65534", "-o", ours.Path(), many}).Code, 0);
    Sh(std::string(GW_WRESTOOL) + " -x --type=14 --name=65535 -o '" + theirs.Path() + "' '" + many + "'");
    ASSERT_EQ(theirs.List().size(), 1u);
    // wrestool adds 20 bytes after the image that its directory does not count.
    const auto a = ReadBytes(ours / "groups65535.dll_65534.ico"), b = ReadBytes(theirs / theirs.List()[0]);
    ASSERT_EQ(a.size(), 766u);
    ASSERT_GE(b.size(), a.size());
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
}

// Another user's link in a shared folder (/tmp) is followed by nobody's writes, as the
// kernel follows none there; the user's own links are, and an extraction follows none
// out of its output folder.
TEST(CliWriter, LinksOfOtherUsersInSharedFoldersAreNeverFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to plant a link of another user";
    TempDir dir;
    const std::string dll = DataPath("groups32.dll"), shared = dir / "shared", precious = dir / "precious";
    const std::vector<std::uint8_t> old{'o', 'l', 'd'};
    ASSERT_EQ(::mkdir(shared.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    auto plant = [&](const std::string& name, uid_t owner) {
        const std::string link = shared + "/" + name;
        ::unlink(link.c_str());
        WriteBytes(precious, old);
        EXPECT_EQ(::symlink(precious.c_str(), link.c_str()), 0);
        EXPECT_EQ(::lchown(link.c_str(), owner, owner), 0);
        return link;
    };
    struct Case { const char* Name; uid_t Owner; std::vector<std::string> Args; int Code; const char* Says; };
    const uid_t nobody = 65534;
    const std::vector<Case> cases = {
        {"groups32.dll_3.ico", nobody, {GW_CLI, "extract", "--force", "-o", shared, "--index", "3", dll}, 3,
         "refusing to follow a link owned by another user"},
        {"t.png", nobody, {GW_THUMBNAILER, "-s", "16", dll, shared + "/t.png"}, 3,
         "refusing to follow a link owned by another user"},
        {"l.ico", nobody, {GW_CLI, "legacy", "--force", dll, "3", shared + "/l.ico"}, 3,
         "refusing to follow a link owned by another user"},
        {"groups32.dll_3.ico", 0, {GW_CLI, "extract", "--force", "-o", shared, "--index", "3", dll}, 3,
         "refusing to follow a link out of the output folder"},
        {"t.png", 0, {GW_THUMBNAILER, "-s", "16", dll, shared + "/t.png"}, 0, ""},
        {"l.ico", 0, {GW_CLI, "legacy", "--force", dll, "3", shared + "/l.ico"}, 0, ""},
    };
    for (const Case& c : cases) {
        plant(c.Name, c.Owner);
        const Ran r = Exec(c.Args);
        EXPECT_EQ(r.Code, c.Code) << c.Name << " of " << c.Owner << ": " << r.Err;
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << r.Err;
        EXPECT_EQ(ReadBytes(precious) == old, c.Code != 0) << c.Name << " of " << c.Owner;
        struct stat st;
        ASSERT_EQ(::lstat((shared + "/" + c.Name).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.Name;
    }
}

// A run ended by SIGINT, SIGTERM or SIGHUP while it writes a large icon leaves no
// temporary file beside its output, on a file system with unnamed files and on FAT.
// Under a file-size limit a file too large is a write error for that file (exit 3) and
// the run goes on; on FAT its named temporary file is gone. Without /proc (a sandbox
// that does not mount it) new files are still written.
TEST(CliWriter, FileSizeLimitsAndSandboxesWithoutProc)
{
    TempDir dir;
    WriteSparseIco(dir / "big.ico", {{22, 10 << 20}}, 22 + (10 << 20));
    const std::string multi = DataPath("multi.ico");
    FatImage fat(16 * 1024);
    std::vector<std::string> outs{dir / "out"};
    ASSERT_EQ(::mkdir(outs[0].c_str(), 0755), 0);
    if (fat.Mounted())
        outs.push_back(fat.Path());
    else
        std::printf("skipped the FAT case: %s\n", fat.Why().c_str());
    for (const std::string& out : outs) {
        const Ran r = Exec({"/bin/bash", "-c", "ulimit -f 2048 && exec " + std::string(GW_CLI) + " extract -o '" + out +
                                                   "' '" + dir / "big.ico" + "' '" + multi + "'"});
        EXPECT_EQ(r.Code, 3) << out << ": " << r.Err;
        EXPECT_NE(r.Err.find("glimmerwick-cli: " + out + "/big.ico_0.ico: File too large\n"), std::string::npos) << r.Err;
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(out))
            names.push_back(e.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"multi.ico_0.ico"}) << out;
        EXPECT_EQ(ReadBytes(out + "/multi.ico_0.ico"), ReadBytes(multi)) << out;
    }
    if (Exec({"/usr/bin/unshare", "-m", "/bin/sh", "-c", "umount -l /proc"}).Code != 0) {
        std::printf("skipped the case without /proc: no mount namespace can be made here\n");
        return;
    }
    TempDir sandboxed;
    const std::string noProc = "umount -l /proc && test ! -e /proc/self && ";
    const Ran extract = Exec({"/usr/bin/unshare", "-m", "/bin/sh", "-c",
                              noProc + GW_CLI + " extract -o '" + sandboxed.Path() + "' '" + multi + "'"});
    const Ran thumb = Exec({"/usr/bin/unshare", "-m", "/bin/sh", "-c",
                            noProc + GW_THUMBNAILER + " -s 48 '" + multi + "' '" + sandboxed / "t.png'"});
#ifndef __SANITIZE_ADDRESS__  // the leak checker needs /proc at exit (and reads its options from there)
    EXPECT_EQ(extract.Code, 0) << extract.Err;
    EXPECT_EQ(thumb.Code, 0) << thumb.Err;
#endif
    EXPECT_EQ(sandboxed.List(), (std::vector<std::string>{"multi.ico_0.ico", "t.png"}));
}

TEST(CliWriter, AnInterruptedRunLeavesNoTemporaryFiles)
{
    TempDir dir;
    constexpr std::uint32_t kMiB = 1 << 20;
    WriteSparseIco(dir / "big.ico", {{22, 60 * kMiB}}, 22 + 60 * kMiB);
    WriteSparseIco(dir / "fat.ico", {{22, 6 * kMiB}}, 22 + 6 * kMiB);
    FatImage fat(16 * 1024);
    std::vector<std::pair<std::string, std::string>> runs{{dir / "out", dir / "big.ico"}};
    if (fat.Mounted())
        runs.emplace_back(fat.Path(), dir / "fat.ico");
    else
        std::printf("skipped the FAT case: %s\n", fat.Why().c_str());
    ASSERT_EQ(::mkdir((dir / "out").c_str(), 0755), 0);
    // The file a run replaces has a second hard link: the name ends up old or new,
    // never a mix, and the other link keeps the old contents.
    ASSERT_EQ(Cli({"extract", "-o", dir.Path(), dir / "big.ico"}).Code, 0);
    const auto fresh = ReadBytes(dir / "big.ico_0.ico");
    const std::vector<std::uint8_t> old(fresh.size(), 0x5A);
    const std::string replaced = dir / "out/big.ico_0.ico", second = dir / "out/second.ico";
    const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    for (const auto& [out, ico] : runs) {
        int killed = 0;
        const bool linked = out == dir / "out";
        for (int i = 0; i < 12; ++i) {
            if (linked) {
                ::unlink(second.c_str());
                WriteBytes(replaced, old);
                ASSERT_EQ(::link(replaced.c_str(), second.c_str()), 0);
            }
            const pid_t pid = Start({GW_CLI, "extract", "--force", "-o", out, ico},
                                    ::open("/dev/null", O_WRONLY | O_CLOEXEC), ::open("/dev/null", O_WRONLY | O_CLOEXEC));
            ::usleep(useconds_t(2000 + 6000 * i));
            ::kill(pid, signals[i % 4]);
            int status = 0;
            ::waitpid(pid, &status, 0);
            killed += WIFSIGNALED(status);
            if (linked) {
                const auto now = ReadBytes(replaced);
                EXPECT_TRUE(now == old || now == fresh) << "run " << i << ": a mix of old and new";
                EXPECT_TRUE(ReadBytes(second) == old) << "run " << i;
            }
        }
        EXPECT_GT(killed, 0) << out;
        for (const auto& e : std::filesystem::directory_iterator(out))
            EXPECT_NE(e.path().filename().string().rfind(".glimmerwick-", 0), 0u) << e.path();
    }
}

} // namespace
