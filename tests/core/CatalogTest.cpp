// Icon groups of PE32, PE32+ and NE files built by independent tools, and .ico files.
#include "TestSupport.h"
#include "core/IconCatalog.h"
#include "core/IconDecoder.h"
#include "core/IconFile.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gwtest;

namespace {

gw::Bytes View(const std::vector<std::uint8_t>& v) { return {v.data(), v.size()}; }

// PE names are raw UTF-16LE.
std::string Utf16(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

std::string Describe(const gw::ResourceName& n, bool utf16)
{
    if (n.IsId)
        return std::to_string(n.Id);
    if (!utf16)
        return n.Text;
    std::string out;
    for (std::size_t i = 0; i < n.Text.size(); i += 2)
        out.push_back(n.Text[i]);
    return out;
}

std::vector<std::string> Names(const gw::IconCatalog& c, bool utf16)
{
    std::vector<std::string> names;
    for (const auto& g : c.Groups())
        names.push_back(Describe(g.Name, utf16));
    return names;
}

class PeCatalog : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { Bytes = ReadBytes(DataPath(GetParam())); }
    std::vector<std::uint8_t> Bytes;
};

TEST_P(PeCatalog, NamedGroupsFirstThenIdsAscending)
{
    auto c = gw::IconCatalog::Parse(View(Bytes));
    EXPECT_EQ(c.Kind(), gw::FileKind::Pe);
    // groups.rc lists 300, 7, STARLIGHT, 42, APPLE, 55, 1000 and group 7 twice.
    EXPECT_EQ(Names(c, true),
              (std::vector<std::string>{"APPLE", "STARLIGHT", "7", "42", "55", "300", "1000"}));
    EXPECT_EQ(c.Count(), 7);
    EXPECT_EQ(c.Groups()[0].Name.Text, Utf16("APPLE"));
    EXPECT_FALSE(c.Groups()[0].Name.IsId);
}

TEST_P(PeCatalog, FindsGroupsById)
{
    auto c = gw::IconCatalog::Parse(View(Bytes));
    EXPECT_EQ(c.FindGroupById(7), 2);
    EXPECT_EQ(c.FindGroupById(300), 5);
    EXPECT_EQ(c.FindGroupById(1000), 6);
    EXPECT_EQ(c.FindGroupById(2), -1);
    EXPECT_EQ(c.FindGroupById(0), -1);
}

TEST_P(PeCatalog, GroupInTwoLanguagesUsesTheFirstStored)
{
    // Group 7 exists in German (1031: depth8.ico) and English (1033: multi.ico).
    auto c = gw::IconCatalog::Parse(View(Bytes));
    auto images = c.GroupImages(2);
    ASSERT_EQ(images.size(), 1u);
    auto info = gw::PeekIconImage(images[0]);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->BitCount, 8);
}

TEST_P(PeCatalog, GroupImagesFollowTheDirectory)
{
    auto c = gw::IconCatalog::Parse(View(Bytes));
    // 42 = sizes.ico: 16, 32, 48 and a PNG-compressed 256.
    auto images = c.GroupImages(3);
    ASSERT_EQ(images.size(), 4u);
    const int sides[] = {16, 32, 48, 256};
    for (int i = 0; i < 4; ++i) {
        auto info = gw::PeekIconImage(images[i]);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->Width, sides[i]);
    }
    // The image data are the bytes icotool wrote.
    const auto sizes = ReadBytes(DataPath("sizes.ico"));
    auto [offset, size] = IcoImageExtent(sizes, 3);
    ASSERT_EQ(images[3].size(), size);
    EXPECT_TRUE(std::equal(images[3].begin(), images[3].end(), sizes.begin() + std::ptrdiff_t(offset)));
}

TEST_P(PeCatalog, EntryNamingAMissingIconIsLeftOut)
{
    auto c = gw::IconCatalog::Parse(View(Bytes));
    EXPECT_TRUE(c.GroupImages(6).empty());
    EXPECT_FALSE(c.Extract(6, 32));
    EXPECT_TRUE(c.Extract(5, 32));
    EXPECT_FALSE(c.Extract(7, 32));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PeCatalog, testing::Values("groups32.dll", "groups64.dll"),
                         [](const auto& info) { return std::string(info.param).substr(0, 8); });

TEST(PeCatalog, LibraryWithoutIconsHasNoGroups)
{
    for (const char* name : {"noicons32.dll", "noicons64.dll"}) {
        const auto bytes = ReadBytes(DataPath(name));
        auto c = gw::IconCatalog::Parse(View(bytes));
        EXPECT_EQ(c.Kind(), gw::FileKind::Pe) << name;
        EXPECT_EQ(c.Count(), 0) << name;
    }
}

class NeCatalog : public testing::TestWithParam<const char*> {};

TEST_P(NeCatalog, GroupsInStoredOrder)
{
    const auto bytes = ReadBytes(DataPath(GetParam()));
    auto c = gw::IconCatalog::Parse(View(bytes));
    EXPECT_EQ(c.Kind(), gw::FileKind::Ne);
    EXPECT_EQ(Names(c, false), (std::vector<std::string>{"SUNRISE", "5", "MOON", "2"}));
    EXPECT_EQ(c.FindGroupById(5), 1);
    EXPECT_EQ(c.FindGroupById(2), 3);
    EXPECT_EQ(c.GroupImages(0).size(), 2u);
    EXPECT_EQ(c.GroupImages(1).size(), 1u);
}

TEST_P(NeCatalog, ShortBitmapHeaderDecodesLikeTheLongOne)
{
    // MOON is masked4.ico's image rewritten with a 12-byte BITMAPCOREHEADER.
    const auto bytes = ReadBytes(DataPath(GetParam()));
    auto c = gw::IconCatalog::Parse(View(bytes));
    auto images = c.GroupImages(2);
    ASSERT_EQ(images.size(), 1u);
    ASSERT_EQ(images[0][0], 12);
    auto core = gw::DecodeIconImage(images[0]);
    ASSERT_TRUE(core.Ok()) << gw::ErrorCodeName(core.Err().Code);

    const auto ico = ReadBytes(DataPath("masked4.ico"));
    const auto longForm = FirstIcoImage(ico);
    auto reference = gw::DecodeIconImage(View(longForm));
    ASSERT_TRUE(reference.Ok());
    EXPECT_EQ(core->SourceBitCount, 4);
    EXPECT_EQ(core->Pixels, reference->Pixels);
    EXPECT_EQ(core->Mask, reference->Mask);
    EXPECT_TRUE(core->Transparent(31, 0));
}

INSTANTIATE_TEST_SUITE_P(Alignments, NeCatalog, testing::Values("library4.icl", "library9.icl"),
                         [](const auto& info) { return std::string(info.param).substr(0, 8); });

TEST(IcoCatalog, OneIconWhateverTheImageCount)
{
    const auto bytes = ReadBytes(DataPath("multi.ico"));
    auto c = gw::IconCatalog::Parse(View(bytes));
    EXPECT_EQ(c.Kind(), gw::FileKind::Ico);
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.GroupImages(0).size(), 5u);
    EXPECT_EQ(c.FindGroupById(1), -1);
    EXPECT_FALSE(c.Extract(1, 32));
}

TEST(IcoCatalog, OtherFilesAreNotIcons)
{
    const auto png = ReadBytes(ImagePath("pal2_32.png"));
    EXPECT_EQ(gw::IconCatalog::Parse(View(png)).Kind(), gw::FileKind::NotIcons);
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', '\n'};
    EXPECT_EQ(gw::IconCatalog::Parse(View(text)).Kind(), gw::FileKind::NotIcons);
    EXPECT_EQ(gw::IconCatalog::Parse({}).Kind(), gw::FileKind::NotIcons);
    EXPECT_EQ(gw::IconCatalog::Parse(View(text)).Count(), 0);
    // A cursor file (type 2) holds a cursor and no icon.
    auto cursor = ReadBytes(DataPath("depth4.ico"));
    SetU16(cursor, 2, 2);
    auto c = gw::IconCatalog::Parse(View(cursor));
    EXPECT_EQ(c.Kind(), gw::FileKind::Cur);
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(c.CursorGroups().size(), 1u);
}

// Cursor groups of every kind of file that holds them, written back as .cur files: the
// images and hot spots as icotool stored them in the .cur files the fixtures were made
// from (windres, the NE builder and the animated cursor's frames take them unchanged).
struct CursorCase {
    const char* File;
    gw::FileKind Kind;
    std::size_t IconGroups;
    std::vector<std::pair<std::string, std::string>> Cursors;  // group name, .cur it was made from
};

void PrintTo(const CursorCase& c, std::ostream* os) { *os << c.File; }

class CursorGroups : public testing::TestWithParam<CursorCase> {};

TEST_P(CursorGroups, WrittenBackAsTheCursorFilesTheyWereMadeFrom)
{
    const CursorCase& want = GetParam();
    const gw::IconFile f(DataPath(want.File));
    ASSERT_TRUE(f.Ok());
    EXPECT_EQ(f.Catalog.Kind(), want.Kind);
    EXPECT_EQ(f.Catalog.Groups().size(), want.IconGroups);
    const auto& groups = f.Catalog.CursorGroups();
    ASSERT_EQ(groups.size(), want.Cursors.size());
    for (std::size_t i = 0; i < groups.size(); ++i) {
        SCOPED_TRACE(want.Cursors[i].first);
        EXPECT_EQ(gw::NameText(f.Catalog, groups[i].Name), want.Cursors[i].first);
        auto cur = gw::GroupIco(f, i, -1, true);
        ASSERT_TRUE(cur);
        EXPECT_EQ(*cur, ReadBytes(DataPath(want.Cursors[i].second)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CursorGroups,
    testing::Values(CursorCase{"cursors32.dll", gw::FileKind::Pe, 1, {{"POINTER", "arrow.cur"}, {"5", "two.cur"}}},
                    CursorCase{"cursors64.dll", gw::FileKind::Pe, 1, {{"POINTER", "arrow.cur"}, {"5", "two.cur"}}},
                    CursorCase{"cursors.icl", gw::FileKind::Ne, 4, {{"9", "two.cur"}}},
                    CursorCase{"two.cur", gw::FileKind::Cur, 0, {{"0", "two.cur"}}},
                    CursorCase{"anim.ani", gw::FileKind::Ani, 0, {{"0", "arrow.cur"}, {"1", "two.cur"}}}),
    [](const auto& info) {
        std::string name = info.param.File;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

// Cursor files cut short at every length, and with each of their first words made huge:
// every cursor image the catalog then names lies inside the file and decodes or fails
// cleanly (the sanitizer build watches the reads).
TEST(CursorGroups, CutOrCorruptFilesStayInside)
{
    for (const char* name : {"anim.ani", "cursors64.dll", "cursors.icl", "two.cur"}) {
        SCOPED_TRACE(name);
        const auto good = ReadBytes(DataPath(name));
        std::vector<std::vector<std::uint8_t>> variants;
        for (std::size_t len = 0; len < good.size(); len += 11)
            variants.emplace_back(good.begin(), good.begin() + std::ptrdiff_t(len));
        for (std::size_t at = 0; at + 4 <= std::min<std::size_t>(good.size(), 512); at += 2) {
            variants.push_back(good);
            SetU16(variants.back(), at, 0xFFF0);
        }
        for (const auto& bytes : variants) {
            const auto c = gw::IconCatalog::Parse(View(bytes));
            const gw::MemorySource source(View(bytes));
            for (const auto& g : c.CursorGroups())
                for (const auto& e : c.ReadGroupEntries(g.Directory, source, true)) {
                    ASSERT_LE(e.Image.Offset + e.Image.Size, bytes.size());
                    (void)gw::DecodeIconImage(View(bytes).subspan(e.Image.Offset, e.Image.Size));
                }
        }
    }
}

TEST(CatalogLimits, CapGroupsAndImages)
{
    const auto dll = ReadBytes(DataPath("groups64.dll"));
    gw::CatalogLimits limits;
    limits.MaxGroups = 3;
    limits.MaxImagesPerGroup = 2;
    auto c = gw::IconCatalog::Parse(View(dll), limits);
    EXPECT_EQ(c.Count(), 3);
    const auto ico = ReadBytes(DataPath("multi.ico"));
    EXPECT_EQ(gw::IconCatalog::Parse(View(ico), limits).GroupImages(0).size(), 2u);
}

} // namespace
