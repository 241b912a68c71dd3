// The output formats' table and the names a run's results take.
#include "TestSupport.h"
#include "core/OutputFormat.h"
#include "core/OutputNames.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

namespace {

struct FormatCase {
    int Value;
    const char* Name;
    std::optional<gw::OutputFormat> Format;
    const char* Extension;
};

class OutputFormats : public ::testing::TestWithParam<FormatCase> {};

// Settings files store 1..3 and older copies only ever wrote those; the command line's
// names are lower case.
TEST_P(OutputFormats, ValueNameAndExtensionAgree)
{
    const FormatCase& c = GetParam();
    EXPECT_EQ(gw::OutputFormatFromValue(c.Value), c.Format);
    EXPECT_EQ(gw::OutputFormatFromName(c.Name), c.Format);
    if (c.Format) {
        EXPECT_STREQ(gw::Extension(*c.Format), c.Extension);
        EXPECT_STREQ(gw::Spec(*c.Format).Name, c.Name);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, OutputFormats,
                         ::testing::Values(FormatCase{1, "ico16", gw::OutputFormat::Icon16, ".ico"},
                                           FormatCase{2, "original", gw::OutputFormat::Original, ".ico"},
                                           FormatCase{3, "png", gw::OutputFormat::Png, ".png"},
                                           FormatCase{0, "", std::nullopt, nullptr},
                                           FormatCase{4, "PNG", std::nullopt, nullptr},
                                           FormatCase{-1, "ico", std::nullopt, nullptr}));

// Each format of a windres-built library's group: the 16-colour writer's 766 bytes, the
// group's .ico as stored (the same bytes wrestool writes, checked by the CLI's tests),
// and a PNG of the largest image; a cursor file has no shell icon to write.
TEST(OutputFormats, EachFormatEncodesTheGroupOrNothing)
{
    const gw::IconFile dll(gwtest::DataPath("groups64.dll"));
    ASSERT_TRUE(dll.Ok());
    const auto ico16 = gw::EncodeGroup(dll, 0, gw::OutputFormat::Icon16);
    ASSERT_TRUE(ico16);
    EXPECT_EQ(ico16->size(), 766u);
    const auto original = gw::EncodeGroup(dll, 0, gw::OutputFormat::Original);
    ASSERT_TRUE(original);
    EXPECT_EQ(*original, *gw::GroupIco(dll, 0));
    const auto png = gw::EncodeGroup(dll, 0, gw::OutputFormat::Png);
    ASSERT_TRUE(png);
    EXPECT_TRUE(gw::IsIntactPng(gw::Bytes(png->data(), png->size())));
    for (const gw::OutputFormat f : {gw::OutputFormat::Icon16, gw::OutputFormat::Original, gw::OutputFormat::Png})
        EXPECT_FALSE(gw::EncodeGroup(dll, dll.Catalog.Groups().size(), f)) << int(f);

    const gw::IconFile cursor(gwtest::DataPath("arrow.cur"));
    ASSERT_TRUE(cursor.Ok());
    EXPECT_FALSE(gw::EncodeGroup(cursor, 0, gw::OutputFormat::Icon16));
}

TEST(OutputNames, TheFileStemDropsTheKindsExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"notepad.exe", "notepad0"}, {"A.ICO", "A0"}, {".dll", "0"}, {"abc", "abc0"}, {"名字.dll", "名字0"},
        {"\xff\xfe.exe", "\xff\xfe" "0"},
    };
    for (const auto& [name, numbered] : cases)
        EXPECT_EQ(gw::NumberedName(name, 0), numbered) << name;
    EXPECT_EQ(gw::NumberedName("shell32.dll", 42), "shell3242");
    EXPECT_EQ(gw::NumberedName("notepad.exe", 3) + gw::ImageSuffix(48, 48, 32), "notepad3_48x48_32");
}

// The command line's variants and the window's numbers draw on one set of claimed
// names, compared as FAT compares them.
TEST(OutputNames, BothPoliciesNeverGiveOneNameTwice)
{
    gw::OutputNames names;
    const std::pair<const char*, const char*> variants[] = {
        {"o/x_0.ico", "o/x_0.ico"}, {"o/X_0.ICO", "o/X_0-2.ICO"}, {"o/x_0.ico", "o/x_0-3.ico"},
        {"o/noext", "o/noext"},     {"o/noext", "o/noext-2"},     {"o.d/f", "o.d/f"},
        {"o.d/f", "o.d/f-2"},
    };
    for (const auto& [asked, given] : variants)
        EXPECT_EQ(names.ClaimVariant(asked), given) << asked;

    // On disk already: s0 and s1. Claimed by the run: S2.ICO.
    std::set<std::string> disk = {"o/s0.ico", "o/s1.ico"};
    EXPECT_EQ(names.ClaimVariant("o/S2.ICO"), "o/S2.ICO");
    std::vector<std::string> looked;
    auto take = [&](const std::string& path) {
        looked.push_back(path);
        return disk.insert(path).second ? 0 : EEXIST;
    };
    EXPECT_EQ(names.ClaimNumbered("o/s", ".ico", take), 0);
    EXPECT_EQ(looked, (std::vector<std::string>{"o/s0.ico", "o/s1.ico", "o/s3.ico"}));
    // The next icon of the stem starts after the last one taken.
    looked.clear();
    EXPECT_EQ(names.ClaimNumbered("o/s", ".ico", take), 0);
    EXPECT_EQ(looked, std::vector<std::string>{"o/s4.ico"});
    // A failure other than a taken name ends the search and claims nothing.
    const long long before = gw::OutputNames::NumberedLookups();
    EXPECT_EQ(names.ClaimNumbered("o/t", ".png", [](const std::string&) { return ENOSPC; }), ENOSPC);
    EXPECT_EQ(names.ClaimNumbered("o/t", ".png", take), 0);
    EXPECT_EQ(looked.back(), "o/t0.png");
    EXPECT_EQ(gw::OutputNames::NumberedLookups() - before, 2);
    EXPECT_EQ(names.ClaimVariant("o/T0.PNG"), "o/T0-2.PNG");
}

} // namespace
