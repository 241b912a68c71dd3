// wrestool as the oracle for every PE and NE fixture: the same groups in the same
// order, and each group extracted by wrestool as an .ico file gives the same icon.
#include "TestSupport.h"
#include "core/IconCatalog.h"
#include "platform/ShellIcons.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

using namespace gwtest;

namespace {

struct Listed {
    std::string Name;      // as wrestool prints it: 'TEXT' or a number
    std::string Language;  // empty for NE files
};

std::string Shell(const std::string& command)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    ::pclose(p);
    return out;
}

// The distinct group names that wrestool lists, in its order, with the first
// language of each (wrestool prints one line per language).
std::vector<Listed> WrestoolGroups(const std::string& file)
{
    std::vector<Listed> groups;
    std::istringstream lines(Shell(std::string(GW_WRESTOOL) + " -l --type=14 '" + file + "' 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
        auto field = [&](const std::string& key) -> std::string {
            auto at = line.find(key);
            if (at == std::string::npos)
                return {};
            at += key.size();
            return line.substr(at, line.find(' ', at) - at);
        };
        Listed l{field("--name="), field("--language=")};
        bool seen = false;
        for (const Listed& g : groups)
            seen |= g.Name == l.Name;
        if (!seen)
            groups.push_back(l);
    }
    return groups;
}

std::string Describe(const gw::ResourceName& n, bool utf16)
{
    if (n.IsId)
        return std::to_string(n.Id);
    std::string text;
    for (std::size_t i = 0; i < n.Text.size(); i += utf16 ? 2 : 1)
        text.push_back(n.Text[i]);
    return "'" + text + "'";
}

std::vector<std::string> Fixtures()
{
    std::vector<std::string> files;
    std::istringstream list(GW_PE_NE_FIXTURES);
    std::string name;
    while (std::getline(list, name, ','))
        files.push_back(name);
    return files;
}

class WrestoolOracle : public testing::TestWithParam<std::string> {};

TEST_P(WrestoolOracle, SameGroupsInTheSameOrder)
{
    const std::string file = GetParam();
    const auto listed = WrestoolGroups(file);
    EXPECT_EQ(int(ExtractIconA(0, file.c_str(), -1)), int(listed.size()));

    const auto bytes = ReadBytes(file);
    auto catalog = gw::IconCatalog::Parse({bytes.data(), bytes.size()});
    const bool pe = catalog.Kind() == gw::FileKind::Pe;
    ASSERT_EQ(catalog.Groups().size(), listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_EQ(Describe(catalog.Groups()[i].Name, pe), listed[i].Name) << i;
}

TEST_P(WrestoolOracle, GroupExtractedByWrestoolGivesTheSameIcon)
{
    const std::string file = GetParam();
    const auto listed = WrestoolGroups(file);
    TempDir dir;
    const std::size_t base = IconTable::AliveCount();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const Listed& g = listed[i];
        // '+' names a string, '-' a number.
        const bool text = g.Name.front() == '\'';
        const std::string name = text ? "+" + g.Name.substr(1, g.Name.size() - 2) : "-" + g.Name;
        const std::string out = dir / ("group" + std::to_string(i) + ".ico");
        std::string command = std::string(GW_WRESTOOL) + " -x --type=14 --name=" + name;
        if (!g.Language.empty())
            command += " --language=" + g.Language;
        Shell(command + " -o '" + out + "' '" + file + "' 2>/dev/null");

        HICON fromFile = ExtractIconA(0, file.c_str(), int(i));
        HICON fromIco = Exists(out) ? ExtractIconA(0, out.c_str(), 0) : 0;
        if (fromIco <= 1) {
            // wrestool could not rebuild the group (its icons are missing): no icon.
            EXPECT_EQ(fromFile, 0u) << g.Name;
            continue;
        }
        ASSERT_GT(fromFile, 1u) << g.Name;
        auto a = IconTable::Get(fromFile), b = IconTable::Get(fromIco);
        EXPECT_EQ(a->Pixels, b->Pixels) << g.Name;
        EXPECT_EQ(a->Mask, b->Mask) << g.Name;
        EXPECT_EQ(a->SourceBitCount, b->SourceBitCount) << g.Name;
        DestroyIcon(fromFile);
        DestroyIcon(fromIco);
    }
    EXPECT_EQ(IconTable::AliveCount(), base);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WrestoolOracle, testing::ValuesIn(Fixtures()), [](const auto& info) { return FixtureTestName(info.param); });

} // namespace
