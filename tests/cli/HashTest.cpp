// glimmerwick-cli hash and find as scripts run them: fingerprints checked against
// sha256sum and Pillow, and find's conditions, order and exit codes.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

using namespace gwtest;

namespace {

struct Shell {
    int Code = -1;
    std::string Out;
};

// Runs `command` under /bin/sh, its standard output captured.
Shell Sh(const std::string& command)
{
    Shell r;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        r.Out.append(buf, n);
    const int status = ::pclose(p);
    r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::vector<std::vector<std::string>> Rows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string f; std::getline(in, f, '\t');)
            fields.push_back(f);
        rows.push_back(fields);
    }
    return rows;
}

const std::string kCli = std::string("'") + GW_CLI + "'";

// Every group of the test data, icons and cursors: the sha256 is that of the file
// extract writes, the dhash the one Pillow computes from that file.
TEST(CliHash, FingerprintsAreSha256sumOfTheExtractedFileAndPillowsDhash)
{
    for (const bool cursors : {false, true}) {
        SCOPED_TRACE(cursors ? "cursors" : "icons");
        TempDir src, out;
        const std::vector<std::string> files =
            cursors ? std::vector<std::string>{"cursors64.dll", "cursors.icl", "arrow.cur", "anim.ani"}
                    : std::vector<std::string>{"checker64.ico", "depth1.ico", "depth24.ico", "depth32.ico", "depth4.ico",
                                               "depth8.ico", "groups64.dll", "hidpi64.dll", "library9.icl",
                                               "masked32.ico", "masked4.ico", "multi.ico", "names32.dll", "no32.ico",
                                               "png256.ico", "png32.ico", "sizes.ico", "twins.ico", "repeat256.dll"};
        for (const std::string& f : files)
            WriteBytes(src / f, ReadBytes(DataPath(f)));
        const std::string c = cursors ? " -c" : "";
        Sh(kCli + " extract -r" + c + " -o '" + out.Path() + "' '" + src.Path() + "' 2>/dev/null");
        const Shell hash = Sh(kCli + " hash -r" + c + " '" + src.Path() + "' 2>/dev/null");
        // groups64.dll's group 1000 names an image it does not hold.
        EXPECT_EQ(hash.Code, cursors ? 0 : 1);
        const std::string ext = cursors ? ".cur" : ".ico";
        const std::string root = out / std::filesystem::path(src.Path()).filename().string();
        std::map<std::string, std::string> sums, dhashes;
        for (const auto& row : Rows(Sh("cd '" + root + "' && sha256sum *" + ext).Out))
            sums[row[0].substr(66)] = row[0].substr(0, 64);
        for (const auto& row : Rows(Sh("cd '" + root + "' && /usr/bin/python3 '" GW_SOURCE_DIR
                                        "/tests/cli/pillow_dhash.py' *" + ext).Out))
            dhashes[row[0]] = row[1];
        const auto rows = Rows(hash.Out);
        EXPECT_GE(rows.size(), cursors ? 5u : 30u);
        EXPECT_EQ(rows.size(), dhashes.size());
        for (const auto& row : rows) {
            ASSERT_EQ(row.size(), 6u) << hash.Out;
            const std::string extracted = std::filesystem::path(row[0]).filename().string() + "_" + row[1] + ext;
            EXPECT_EQ(row[3], sums[extracted]) << extracted;
            EXPECT_EQ(row[4], dhashes[extracted]) << extracted;
            EXPECT_TRUE(std::regex_match(row[5], std::regex("[0-9]+x[0-9]+"))) << row[5];
        }
    }
}

// find over a folder tree: each condition, likeness nearest first, the JSON form and
// the exit codes. Results are "FILE INDEX" (plus the distance with --like).
TEST(CliFind, ConditionsLikenessAndExitCodes)
{
    TempDir dir;
    for (const char* f : {"checker64.ico", "depth1.ico", "depth24.ico", "depth32.ico", "depth4.ico", "multi.ico",
                          "png32.ico", "sizes.ico"})
        WriteBytes(dir / f, ReadBytes(DataPath(f)));
    ::mkdir((dir / "lib").c_str(), 0755);
    WriteBytes(dir / "lib/groups64.dll", ReadBytes(DataPath("groups64.dll")));
    WriteBytes(dir / "lib/notes.dll", {'M', 'Z'});
    const std::string lines = "depth1.ico\n\nlib/notes.dll\nsizes.ico\n", nuls = std::string("multi.ico\0missing.ico\0png32.ico", 31);
    WriteBytes(dir / "lines.txt", std::vector<std::uint8_t>(lines.begin(), lines.end()));
    WriteBytes(dir / "nuls.txt", std::vector<std::uint8_t>(nuls.begin(), nuls.end()));

    struct Case {
        std::string Args;
        int Code;
        std::string Found;  // "FILE INDEX[ DISTANCE]" of every line, joined by ","
    };
    const std::vector<Case> cases = {
        // A file that cannot be read is an error, whatever else was found.
        {"hash depth1.ico missing.ico", 1, "depth1.ico 0"},
        {"hash lib", 1, ""},
        {"hash -r lib", 1, "lib/groups64.dll 0,lib/groups64.dll 1,lib/groups64.dll 2,lib/groups64.dll 3,"
                           "lib/groups64.dll 4,lib/groups64.dll 5"},
        {"hash --bits=4 depth1.ico", 2, ""},
        {"find --distance=65 depth1.ico", 2, ""},
        {"find --min-size=64 --max-size=32 .", 2, ""},
        {"find", 2, ""},
        {"find --min-size=48 *.ico", 0, "checker64.ico 0,multi.ico 0,sizes.ico 0"},
        {"find --max-size=32 --png *.ico", 0, "png32.ico 0"},
        {"find -r --bits=4 .", 1, "./depth4.ico 0,./lib/groups64.dll 3,./lib/groups64.dll 4,./lib/groups64.dll 5,"
                                  "./multi.ico 0,./sizes.ico 0"},
        {"find --name=DEPTH2 *.ico", 0, "depth24.ico 0"},
        {"find --name=star lib/groups64.dll", 1, "lib/groups64.dll 1"},
        {"find --min-size=512 *.ico", 1, ""},
        // Likeness: the same picture at another size or stored as PNG is at distance 0.
        {"find --like=depth32.ico --distance=0 *.ico", 0, "depth32.ico 0 0,multi.ico 0 0,png32.ico 0 0"},
        {"find --like=lib/groups64.dll:3 *.ico", 0, "sizes.ico 0 0"},
        {"find --like=depth4.ico --distance=64 depth32.ico sizes.ico depth4.ico depth1.ico", 0,
         "depth4.ico 0 0,sizes.ico 0 28,depth1.ico 0 32,depth32.ico 0 41"},
        {"find --like=multi.ico:1 *.ico", 1, ""},
        // Lists of names, read as a walk reads files (a file without icons passes), and
        // the output in input order on any number of threads.
        {"hash --files-from=lines.txt", 0, "depth1.ico 0,sizes.ico 0"},
        {"hash -0 --files-from=- --jobs=3 < nuls.txt", 1, "multi.ico 0,png32.ico 0"},
        {"find --png --jobs=2 --files-from=lines.txt png32.ico", 0, "png32.ico 0,sizes.ico 0"},
        {"hash -0 depth1.ico", 2, ""},
        {"hash --files-from=nothing.txt", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args);
        const Shell r = Sh("cd '" + dir.Path() + "' && " + kCli + " " + c.Args + " 2>/dev/null");
        EXPECT_EQ(r.Code, c.Code);
        std::string found;
        for (const auto& row : Rows(r.Out)) {
            ASSERT_EQ(row.size(), c.Args.find("--like") != std::string::npos ? 7u : 6u) << r.Out;
            EXPECT_TRUE(std::regex_match(row[3], std::regex("[0-9a-f]{64}")));
            EXPECT_TRUE(std::regex_match(row[4], std::regex("[0-9a-f]{16}")));
            found += (found.empty() ? "" : ",") + row[0] + " " + row[1] + (row.size() == 7 ? " " + row[6] : "");
        }
        EXPECT_EQ(found, c.Found);
    }

    // Any number of threads gives one run's output.
    const std::string walk = "cd '" + dir.Path() + "' && " + kCli + " hash -r . 2>&1 --jobs=";
    EXPECT_EQ(Sh(walk + "4").Out, Sh(walk + "1").Out);

    const Shell json = Sh("cd '" + dir.Path() + "' && " + kCli + " find -j --like=png32.ico --name=multi *.ico");
    EXPECT_EQ(json.Code, 0);
    EXPECT_TRUE(std::regex_match(json.Out,
                                 std::regex("\\{\"file\":\"multi.ico\",\"index\":0,\"name\":0,\"sha256\":\"[0-9a-f]{64}\","
                                            "\"dhash\":\"000103070f1f3fff\",\"largest\":\\{\"width\":48,\"height\":48,"
                                            "\"bits\":32\\},\"distance\":0\\}\n")))
        << json.Out;
}

} // namespace
