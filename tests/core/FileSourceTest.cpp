// Reading through sources: files read with pread, and files that shrink or fail
// under the reader, which must end as missing data.
#include "TestSupport.h"
#include "core/FileSource.h"
#include "core/IconCatalog.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace gwtest;

namespace {

// Holds a file's bytes but answers reads only below `Limit`, as a file that was cut
// after it was opened; counts the reads it is asked for.
class CutSource final : public gw::ByteSource {
public:
    CutSource(std::vector<std::uint8_t> bytes, std::uint64_t limit) : FBytes(std::move(bytes)), FLimit(limit) {}
    std::uint64_t Size() const override { return FBytes.size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const override
    {
        ++Reads;
        if (offset > FLimit || length > FLimit - offset)
            return false;
        std::copy_n(FBytes.data() + offset, length, out);
        return true;
    }
    mutable int Reads = 0;

private:
    std::vector<std::uint8_t> FBytes;
    std::uint64_t FLimit;
};

TEST(FileSource, ReadsWhatIsThereAndFailsPastTheEnd)
{
    TempDir dir;
    const std::string path = dir / "a.dll";
    const auto bytes = ReadBytes(DataPath("groups32.dll"));
    WriteBytes(path, bytes);
    gw::FileSource src;
    ASSERT_EQ(gw::FileSource::Open(path, src), gw::OpenStatus::Ok);
    EXPECT_EQ(src.Size(), bytes.size());
    std::vector<std::uint8_t> got(100);
    ASSERT_TRUE(src.ReadAt(bytes.size() - 100, got.data(), got.size()));
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bytes.end() - 100));
    EXPECT_FALSE(src.ReadAt(bytes.size() - 99, got.data(), got.size()));

    // Cut after the open: the same read is now an ordinary failure.
    ASSERT_EQ(::truncate(path.c_str(), 4096), 0);
    EXPECT_FALSE(src.ReadAt(bytes.size() - 100, got.data(), got.size()));
    EXPECT_TRUE(src.ReadAt(0, got.data(), got.size()));
    src.Close();
    EXPECT_FALSE(src.ReadAt(0, got.data(), got.size()));
}

TEST(FileSource, RefusesWhatIsNoRegularFile)
{
    TempDir dir;
    WriteBytes(dir / "empty.ico", {});
    ASSERT_EQ(::mkfifo((dir / "pipe.ico").c_str(), 0600), 0);
    struct Case { std::string Path; gw::OpenStatus Status; };
    for (const Case& c : {Case{dir / "missing.dll", gw::OpenStatus::Missing},
                          Case{dir / "empty.ico", gw::OpenStatus::Empty},
                          Case{dir / "pipe.ico", gw::OpenStatus::NotRegular},
                          Case{dir.Path(), gw::OpenStatus::NotRegular},
                          Case{dir / "missing/x.dll", gw::OpenStatus::Missing}}) {
        gw::FileSource src;
        EXPECT_EQ(gw::FileSource::Open(c.Path, src), c.Status) << c.Path;
        EXPECT_FALSE(src.IsOpen()) << c.Path;
    }
}

// Every cut of every kind of file: parsing and extracting give a subset of what the
// whole file gives, and never read past what is there.
TEST(FileSource, FileCutUnderTheReaderIsMissingData)
{
    for (const char* name : {"groups32.dll", "groups64.dll", "library9.icl", "depth4.ico"}) {
        const auto bytes = ReadBytes(DataPath(name));
        const auto whole = gw::IconCatalog::Parse(gw::Bytes(bytes.data(), bytes.size()));
        ASSERT_GT(whole.Count(), 0) << name;
        for (std::uint64_t cut : {std::uint64_t(0), std::uint64_t(64), std::uint64_t(1000), bytes.size() / 2,
                                  bytes.size() - 1}) {
            CutSource source(bytes, cut);
            const auto c = gw::IconCatalog::Parse(source);
            EXPECT_LE(c.Count(), whole.Count()) << name << " cut at " << cut;
            for (std::size_t g = 0; g < c.Groups().size(); ++g) {
                auto icon = c.Extract(g, 32, source);
                EXPECT_TRUE(!icon || icon->Width == 32);
            }
            // A catalog of the whole file, read after the file was cut.
            for (std::size_t g = 0; g < whole.Groups().size(); ++g)
                for (gw::Bytes image : whole.ReadGroupImages(g, source).Images)
                    EXPECT_FALSE(image.empty());
        }
    }
}

TEST(FileSource, CountReadsOnlyHeadersAndTheResourceDirectory)
{
    // groups32.dll: the headers and the resource tree lie in two blocks.
    const auto bytes = ReadBytes(DataPath("groups32.dll"));
    CutSource source(bytes, bytes.size());
    const auto c = gw::IconCatalog::Parse(source);
    EXPECT_EQ(c.Count(), 7);
    EXPECT_LE(source.Reads, 3);
    // Images come from the source as read, equal to the bytes in memory.
    const auto memory = gw::IconCatalog::Parse(gw::Bytes(bytes.data(), bytes.size()));
    for (std::size_t g = 0; g < c.Groups().size(); ++g) {
        const auto expected = memory.GroupImages(g);
        const auto read = c.ReadGroupImages(g, source);
        ASSERT_EQ(read.Images.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_TRUE(std::equal(expected[i].begin(), expected[i].end(), read.Images[i].begin(),
                                   read.Images[i].end()));
    }
}

TEST(FileSource, BlockCacheReadsEachBlockOnceAndAgreesWithTheFile)
{
    const auto bytes = ReadBytes(DataPath("groups64.dll"));
    CutSource source(bytes, bytes.size());
    gw::BlockCache cache(source);
    const std::uint64_t block = gw::BlockCache::kBlock;
    // Small reads on and across block edges, and the last bytes of the file.
    std::vector<std::pair<std::uint64_t, std::size_t>> reads;
    for (std::uint64_t at : {std::uint64_t(0), block - 3, block, 2 * block - 1, bytes.size() - 7})
        for (std::size_t n : {std::size_t(1), std::size_t(4), std::size_t(7)})
            reads.emplace_back(at, n);
    for (int pass = 0; pass < 2; ++pass) {
        for (auto [at, n] : reads) {
            std::vector<std::uint8_t> got(n);
            ASSERT_TRUE(cache.ReadAt(at, got.data(), n)) << at << "+" << n;
            EXPECT_TRUE(std::equal(got.begin(), got.end(), bytes.begin() + std::ptrdiff_t(at))) << at << "+" << n;
        }
        // Blocks 0, 1, 2 and the last one; the second pass reads nothing new.
        EXPECT_EQ(source.Reads, 4) << "pass " << pass;
    }
    std::uint8_t b;
    EXPECT_FALSE(cache.ReadAt(bytes.size(), &b, 1));
    EXPECT_FALSE(cache.ReadAt(bytes.size() - 1, &b, 2));

    // A file cut after it was opened: what lies past the cut is missing, never garbage.
    CutSource cut(bytes, block + 10);
    gw::BlockCache cutCache(cut);
    std::vector<std::uint8_t> got(8);
    EXPECT_TRUE(cutCache.ReadAt(0, got.data(), got.size()));
    EXPECT_FALSE(cutCache.ReadAt(block + 20, got.data(), got.size()));
    EXPECT_FALSE(cutCache.ReadAt(2 * block, got.data(), got.size()));
}

TEST(FileSource, GroupDirectoriesComeFromTheBlocksOfTheResourceTree)
{
    // Listing a file reads each group's directory; through the parse's cache the
    // directories of a small resource section cost no read of their own.
    for (const char* name : {"groups32.dll", "groups64.dll"}) {
        const auto bytes = ReadBytes(DataPath(name));
        CutSource source(bytes, bytes.size());
        gw::BlockCache cache(source);
        const auto c = gw::IconCatalog::Parse(cache);
        ASSERT_EQ(c.Count(), 7) << name;
        const int parsed = source.Reads;
        std::size_t entries = 0;
        for (const gw::IconGroup& g : c.Groups())
            entries += c.ReadGroupEntries(g.Directory, cache).size();
        EXPECT_GT(entries, 7u) << name;
        EXPECT_LE(source.Reads - parsed, 1) << name;
        // The same directories read without the cache: one read each.
        CutSource direct(bytes, bytes.size());
        for (const gw::IconGroup& g : c.Groups())
            EXPECT_EQ(c.ReadGroupEntries(g.Directory, direct).size(), c.ReadGroupEntries(g.Directory, cache).size());
    }
}

} // namespace
