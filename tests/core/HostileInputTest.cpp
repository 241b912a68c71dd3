// Input shaped to make the readers do more work than the file is worth: shared
// language directories, long overlapping names, one broken image named many times.
#include "TestSupport.h"
#include "core/IconCatalog.h"
#include "core/IconDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gwtest;

namespace {

constexpr std::uint32_t kRva = 0x1000;        // the resource section's address
constexpr std::uint32_t kSectionAt = 0x200;   // and its place in the file
constexpr std::uint32_t kSubdir = 0x80000000u;

// A PE32 image whose one section, .rsrc, holds `rsrc`.
std::vector<std::uint8_t> Pe32(const std::vector<std::uint8_t>& rsrc)
{
    std::vector<std::uint8_t> f(kSectionAt, 0);
    f[0] = 'M';
    f[1] = 'Z';
    SetU32(f, 0x3C, 0x40);
    SetU32(f, 0x40, 0x00004550);
    SetU16(f, 0x44, 0x14C);   // i386
    SetU16(f, 0x46, 1);       // one section
    SetU16(f, 0x54, 224);     // optional header size
    const std::size_t opt = 0x58;
    SetU16(f, opt, 0x10B);
    SetU32(f, opt + 92, 16);  // data directories
    SetU32(f, opt + 96 + 16, kRva);
    SetU32(f, opt + 96 + 20, std::uint32_t(rsrc.size()));
    const std::size_t section = opt + 224;
    std::copy_n(".rsrc", 5, f.begin() + section);
    SetU32(f, section + 8, std::uint32_t(rsrc.size()));
    SetU32(f, section + 12, kRva);
    SetU32(f, section + 16, std::uint32_t(rsrc.size()));
    SetU32(f, section + 20, kSectionAt);
    f.insert(f.end(), rsrc.begin(), rsrc.end());
    return f;
}

// Builds a resource section piece by piece; offsets are from the section's start.
class Rsrc {
public:
    std::uint32_t Here() const { return std::uint32_t(Bytes.size()); }

    void Directory(std::uint16_t named, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries)
    {
        for (int i = 0; i < 12; ++i)
            Bytes.push_back(0);
        PutU16(Bytes, named);
        PutU16(Bytes, std::uint16_t(entries.size() - named));
        for (auto [name, target] : entries) {
            PutU32(Bytes, name);
            PutU32(Bytes, target);
        }
    }

    // A data entry whose bytes are `size` bytes at section offset `at`.
    void DataEntry(std::uint32_t at, std::uint32_t size)
    {
        PutU32(Bytes, kRva + at);
        PutU32(Bytes, size);
        PutU32(Bytes, 0);
        PutU32(Bytes, 0);
    }

    void Utf16Name(const std::string& text)
    {
        PutU16(Bytes, std::uint16_t(text.size()));
        for (char c : text)
            PutU16(Bytes, std::uint8_t(c));
    }

    std::vector<std::uint8_t> Bytes;
};

// A group directory naming the given icon IDs (a 32 x 32 4-bit image each).
std::vector<std::uint8_t> GroupDirectory(const std::vector<std::uint16_t>& ids)
{
    std::vector<std::uint8_t> d;
    PutU16(d, 0);
    PutU16(d, 1);
    PutU16(d, std::uint16_t(ids.size()));
    for (std::uint16_t id : ids) {
        d.insert(d.end(), {32, 32, 16, 0});
        PutU16(d, 1);
        PutU16(d, 4);
        PutU32(d, 744);
        PutU16(d, id);
    }
    return d;
}

std::vector<std::uint8_t> Image()
{
    DibSpec spec;
    spec.Width = spec.Height = 32;
    spec.BitCount = 4;
    spec.Palette = {0x000000, 0xFF0000};
    spec.Rows.assign(32, std::vector<std::uint32_t>(32, 1));
    return BuildDib(spec);
}

// Offset of the `index`th directory entry's target field, to patch it later.
std::size_t TargetField(std::uint32_t dir, std::size_t index) { return dir + 16 + index * 8 + 4; }

} // namespace

// Every name that shares a language directory gets that directory's first good data;
// names with directories of their own get their own.
TEST(HostileCatalog, NamesSharingALanguageDirectoryAllFindItsData)
{
    Rsrc r;
    r.Directory(0, {{3, 0}, {14, 0}});
    const std::uint32_t icons = r.Here();
    r.Directory(0, {{1, 0}, {2, 0}, {3, 0}});
    const std::uint32_t groups = r.Here();
    r.Directory(0, {{10, 0}, {11, 0}, {12, 0}});
    const std::uint32_t iconLangs = r.Here();
    r.Directory(0, {{1031, 0}, {1033, 0}});
    const std::uint32_t sharedLangs = r.Here();
    r.Directory(0, {{1031, 0}, {1033, 0}});
    const std::uint32_t ownLangs = r.Here();
    r.Directory(0, {{1033, 0}});

    // Data entries: the first language of each shared directory points nowhere.
    const std::uint32_t nowhere = r.Here();
    r.DataEntry(0x7FFF0000 - kRva, 16);
    const std::uint32_t imageEntry = r.Here(), sharedEntry = imageEntry + 16, ownEntry = sharedEntry + 16;
    const std::uint32_t dataAt = ownEntry + 16;
    const auto image = Image(), shared = GroupDirectory({1, 2}), own = GroupDirectory({3, 9});
    r.DataEntry(dataAt, std::uint32_t(image.size()));
    r.DataEntry(dataAt + std::uint32_t(image.size()), std::uint32_t(shared.size()));
    r.DataEntry(dataAt + std::uint32_t(image.size() + shared.size()), std::uint32_t(own.size()));
    for (const auto* part : {&image, &shared, &own})
        r.Bytes.insert(r.Bytes.end(), part->begin(), part->end());

    auto& b = r.Bytes;
    SetU32(b, TargetField(0, 0), kSubdir | icons);
    SetU32(b, TargetField(0, 1), kSubdir | groups);
    for (std::size_t i = 0; i < 3; ++i)
        SetU32(b, TargetField(icons, i), kSubdir | iconLangs);
    SetU32(b, TargetField(groups, 0), kSubdir | sharedLangs);
    SetU32(b, TargetField(groups, 1), kSubdir | sharedLangs);
    SetU32(b, TargetField(groups, 2), kSubdir | ownLangs);
    SetU32(b, TargetField(iconLangs, 0), nowhere);
    SetU32(b, TargetField(iconLangs, 1), imageEntry);
    SetU32(b, TargetField(sharedLangs, 0), nowhere);
    SetU32(b, TargetField(sharedLangs, 1), sharedEntry);
    SetU32(b, TargetField(ownLangs, 0), ownEntry);

    const auto file = Pe32(b);
    const auto c = gw::IconCatalog::Parse({file.data(), file.size()});
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.GroupImages(0).size(), 2u);  // icons 1 and 2, both through the shared directory
    EXPECT_EQ(c.GroupImages(1).size(), 2u);
    EXPECT_EQ(c.GroupImages(2).size(), 1u);  // icon 3; icon 9 does not exist
    for (std::size_t g = 0; g < 3; ++g) {
        for (gw::Bytes data : c.GroupImages(g))
            EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin(), image.end()));
        EXPECT_TRUE(c.Extract(g, 32));
    }
}

// Real names are short; longer ones keep their first 256 characters, so names that
// overlap one another in the file cannot add up to the square of its size.
TEST(HostileCatalog, LongNamesKeepTheirFirst256Characters)
{
    const std::string a(300, 'A'), c(300, 'C');
    const std::string b = std::string(256, 'A') + std::string(44, 'B');

    Rsrc r;
    r.Directory(0, {{14, 0}});
    const std::uint32_t groups = r.Here();
    r.Directory(4, {{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    const std::uint32_t names = r.Here();
    r.Utf16Name(a);
    r.Utf16Name(b);
    r.Utf16Name(c);
    const std::uint32_t beyond = r.Here();
    PutU16(r.Bytes, 0xFFFF);  // a name that runs past the end of the file
    auto& bytes = r.Bytes;
    SetU32(bytes, TargetField(0, 0), kSubdir | groups);
    const std::uint32_t nameSize = 2 + 2 * 300;
    for (std::uint32_t i = 0; i < 3; ++i)
        SetU32(bytes, groups + 16 + i * 8, kSubdir | (names + i * nameSize));
    SetU32(bytes, groups + 16 + 3 * 8, kSubdir | beyond);

    const auto file = Pe32(bytes);
    const auto catalog = gw::IconCatalog::Parse({file.data(), file.size()});
    ASSERT_EQ(catalog.Count(), 3);
    std::string firstA, firstC;
    for (int i = 0; i < 256; ++i) {
        firstA += std::string{'A', '\0'};
        firstC += std::string{'C', '\0'};
    }
    EXPECT_EQ(catalog.Groups()[0].Name.Text, firstA);  // and b is the same name
    EXPECT_EQ(catalog.Groups()[1].Name.Text, firstC);
    EXPECT_FALSE(catalog.Groups()[2].Name.IsId);
    EXPECT_EQ(catalog.Groups()[2].Name.Text, "");
}

// A broken image costs a decode each time it is tried; the choice gives up after four
// failures instead of trying every entry of a group.
TEST(HostileChoice, GivesUpAfterFourBrokenImages)
{
    const auto good = Image();
    const std::vector<std::uint8_t> broken(good.begin(), good.begin() + 100);
    const gw::Bytes g{good.data(), good.size()}, b{broken.data(), broken.size()};

    // The broken image claims the same size, so it is tried first every time.
    auto fourth = gw::ChooseIconImage({b, b, b, g}, 32);
    ASSERT_TRUE(fourth);
    EXPECT_EQ(fourth->Pixel(0, 0), 0xFFFF0000u);
    EXPECT_FALSE(gw::ChooseIconImage({b, b, b, b, g}, 32));
    EXPECT_FALSE(gw::ChooseIconImage(std::vector<gw::Bytes>(256, b), 32));
}

// The bound on language scans leaves well-formed trees alone: a thousand groups, each
// with its own language directory whose first language points nowhere, all resolve.
TEST(HostileCatalog, ScanBoundLeavesLargeWellFormedTreesAlone)
{
    constexpr std::uint32_t kGroups = 1000;
    Rsrc r;
    r.Directory(0, {{3, 0}, {14, 0}});
    const std::uint32_t icons = r.Here();
    r.Directory(0, {{1, 0}});
    const std::uint32_t iconLangs = r.Here();
    r.Directory(0, {{1033, 0}});
    const std::uint32_t groups = r.Here();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ids;
    for (std::uint32_t i = 0; i < kGroups; ++i)
        ids.push_back({i + 1, 0});
    r.Directory(0, ids);
    const std::uint32_t langsAt = r.Here();
    for (std::uint32_t i = 0; i < kGroups; ++i)
        r.Directory(0, {{1031, 0}, {1033, 0}});
    const std::uint32_t nowhere = r.Here();
    r.DataEntry(0x7FFF0000 - kRva, 16);
    const std::uint32_t imageEntry = r.Here(), groupEntry = imageEntry + 16, dataAt = groupEntry + 16;
    const auto image = Image(), group = GroupDirectory({1});
    r.DataEntry(dataAt, std::uint32_t(image.size()));
    r.DataEntry(dataAt + std::uint32_t(image.size()), std::uint32_t(group.size()));
    r.Bytes.insert(r.Bytes.end(), image.begin(), image.end());
    r.Bytes.insert(r.Bytes.end(), group.begin(), group.end());

    auto& b = r.Bytes;
    SetU32(b, TargetField(0, 0), kSubdir | icons);
    SetU32(b, TargetField(0, 1), kSubdir | groups);
    SetU32(b, TargetField(icons, 0), kSubdir | iconLangs);
    SetU32(b, TargetField(iconLangs, 0), imageEntry);
    for (std::uint32_t i = 0; i < kGroups; ++i) {
        const std::uint32_t langs = langsAt + i * 32;
        SetU32(b, TargetField(groups, i), kSubdir | langs);
        SetU32(b, TargetField(langs, 0), nowhere);
        SetU32(b, TargetField(langs, 1), groupEntry);
    }

    const auto file = Pe32(b);
    const auto c = gw::IconCatalog::Parse({file.data(), file.size()});
    ASSERT_EQ(c.Count(), int(kGroups));
    for (std::size_t g = 0; g < kGroups; ++g)
        ASSERT_EQ(c.GroupImages(g).size(), 1u) << "group " << g + 1;
}
