// Helpers shared by the tests: fixture paths, files, temporary folders, reference
// decoding of the source PNGs and hand-built bitmap images.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <functional>
#include <string>
#include <vector>

namespace gwtest {

// A fixture built from tests/data (icotool, windres + ld, the NE generator).
std::string DataPath(const std::string& name);
// A test name for a fixture path: its file name with every other character than
// letters and digits as "_".
std::string FixtureTestName(const std::string& path);
// A source image of tests/data/images.
std::string ImagePath(const std::string& name);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool Exists(const std::string& path);

// Runs `check` without the super-user's right to ignore file permissions: as root,
// in a child process that has become "nobody"; otherwise in this process. Returns
// what `check` returns, or -1 when the rights could not be dropped.
int RunUnprivileged(const std::function<int()>& check);

// A source PNG decoded by libspng alone, as 0xAARRGGBB top-down.
struct Rgba {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
    std::uint32_t At(int x, int y) const { return Pixels[std::size_t(y) * Width + x]; }
    std::uint32_t Alpha(int x, int y) const { return At(x, y) >> 24; }
};
Rgba LoadPng(const std::string& path);

// A folder under $TMPDIR that is removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& name) const { return FPath + "/" + name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> List() const;

private:
    std::string FPath;
};

// Rewrites a file as `cp` does (truncate, then write in pieces) with each content in
// turn, on its own thread, until destroyed.
class FileRewriter {
public:
    FileRewriter(std::string path, std::vector<std::vector<std::uint8_t>> contents);
    ~FileRewriter();
    FileRewriter(const FileRewriter&) = delete;
    FileRewriter& operator=(const FileRewriter&) = delete;
    // Times every content has been written.
    int Rounds() const { return FRounds; }

private:
    void Run();
    std::string FPath;
    std::vector<std::vector<std::uint8_t>> FContents;
    std::atomic<bool> FStop{false};
    std::atomic<int> FRounds{0};
    std::thread FThread;
};

// A small FAT file system (mkfs.vfat) mounted with fusefat under a temporary folder,
// unmounted and removed by the destructor. Where the machine cannot mount it (no
// FUSE, no tools), Mounted() is false and Why() says what is missing.
class FatImage {
public:
    explicit FatImage(int kib = 1024, bool readOnly = false);
    ~FatImage();
    FatImage(const FatImage&) = delete;
    FatImage& operator=(const FatImage&) = delete;
    bool Mounted() const { return FMounted; }
    const std::string& Why() const { return FWhy; }
    // The mounted file system's root.
    const std::string& Path() const { return FMount; }
    std::string operator/(const std::string& name) const { return FMount + "/" + name; }
    // Fills the free space with one file, so that the next write that needs a new
    // cluster finds the disk full.
    void Fill() const;

private:
    TempDir FDir;
    std::string FMount;
    bool FMounted = false;
    std::string FWhy;
};

// Little-endian writers.
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v);
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v);
void SetU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v);
void SetU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v);
std::uint16_t GetU16(const std::vector<std::uint8_t>& in, std::size_t at);
std::uint32_t GetU32(const std::vector<std::uint8_t>& in, std::size_t at);

// An icon image as stored in resources: BITMAPINFOHEADER with doubled height,
// optional bit-field masks, colour table, colour rows and AND-mask rows, bottom-up.
struct DibSpec {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    std::uint32_t Compression = 0;            // BI_RGB or BI_BITFIELDS
    std::vector<std::uint32_t> BitFields;     // red, green, blue masks for BI_BITFIELDS
    std::vector<std::uint32_t> Palette;       // 0xRRGGBB; ClrUsed = its size when not empty
    // Raw pixel values per row, top-down (palette index, 16-bit word, 0xRRGGBB for 24
    // bits, 0xAARRGGBB for 32 bits).
    std::vector<std::vector<std::uint32_t>> Rows;
    // Transparent pixels, top-down (empty: no mask bits set).
    std::vector<std::vector<bool>> MaskRows;
};
std::vector<std::uint8_t> BuildDib(const DibSpec& spec);

// An .ico file holding the given images (entries filled from each image's header).
std::vector<std::uint8_t> BuildIco(const std::vector<std::vector<std::uint8_t>>& images);

// The first image of an .ico file.
std::vector<std::uint8_t> FirstIcoImage(const std::vector<std::uint8_t>& ico);
// Offset and size of image `index` of an .ico file.
std::pair<std::size_t, std::size_t> IcoImageExtent(const std::vector<std::uint8_t>& ico, int index);

} // namespace gwtest
