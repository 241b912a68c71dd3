// Helpers shared by the tests.
#include "TestSupport.h"

#include <spng.h>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace gwtest {

std::string DataPath(const std::string& name) { return std::string(GW_TEST_DATA_DIR) + "/" + name; }
std::string ImagePath(const std::string& name) { return std::string(GW_TEST_IMAGES_DIR) + "/" + name; }

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

int RunUnprivileged(const std::function<int()>& check)
{
    if (::geteuid() != 0)
        return check();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const gid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(255);
        const int result = check();
        std::fflush(nullptr);
        ::_exit(result);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

Rgba LoadPng(const std::string& path)
{
    std::vector<std::uint8_t> data = ReadBytes(path);
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), &spng_ctx_free);
    spng_set_png_buffer(ctx.get(), data.data(), data.size());
    spng_ihdr ihdr{};
    std::size_t size = 0;
    if (spng_get_ihdr(ctx.get(), &ihdr) || spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size))
        throw std::runtime_error("bad png " + path);
    std::vector<std::uint8_t> rgba(size);
    if (spng_decode_image(ctx.get(), rgba.data(), rgba.size(), SPNG_FMT_RGBA8, 0))
        throw std::runtime_error("bad png " + path);
    Rgba out;
    out.Width = int(ihdr.width);
    out.Height = int(ihdr.height);
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        out.Pixels.push_back(std::uint32_t(rgba[i + 3]) << 24 | std::uint32_t(rgba[i]) << 16 |
                             std::uint32_t(rgba[i + 1]) << 8 | rgba[i + 2]);
    return out;
}

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/gwtest-XXXXXX";
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    FPath = templ;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Restore write permission where a test took it away, then remove.
    for (auto& e : std::filesystem::recursive_directory_iterator(FPath, ec))
        if (e.is_directory(ec))
            ::chmod(e.path().c_str(), 0700);
    ::chmod(FPath.c_str(), 0700);
    std::filesystem::remove_all(FPath, ec);
}

std::vector<std::string> TempDir::List() const
{
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(FPath))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// Runs a shell command line quietly; true when it succeeds.
bool Run(const std::string& command)
{
    const std::string line = "PATH=\"$PATH:/usr/sbin:/sbin\" " + command + " >/dev/null 2>&1";
    return std::system(line.c_str()) == 0;
}

} // namespace

FatImage::FatImage(int kib, bool readOnly)
{
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        FWhy = "no usable /dev/fuse";
        return;
    }
    const std::string image = FDir / "fat.img";
    FMount = FDir / "mnt";
    ::mkdir(FMount.c_str(), 0755);
    if (!Run("truncate -s " + std::to_string(kib) + "K '" + image + "'") || !Run("mkfs.vfat '" + image + "'")) {
        FWhy = "mkfs.vfat (dosfstools) is missing";
        return;
    }
    if (!Run(std::string("fusefat ") + (readOnly ? "-o ro " : "-o rw+ ") + "'" + image + "' '" + FMount + "'")) {
        FWhy = "fusefat cannot mount (fusefat missing or FUSE refused)";
        return;
    }
    FMounted = true;
}

FatImage::~FatImage()
{
    // A folder watcher of the program under test can still hold the mount; then it is
    // detached now and let go once the last watch ends, never left mounted.
    if (FMounted && !Run("fusermount -u '" + FMount + "'"))
        Run("fusermount -u -z '" + FMount + "'");
}

void FatImage::Fill() const
{
    const std::string filler = FMount + "/filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    const std::vector<char> block(512, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
}

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

void SetU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v)
{
    out.at(at) = std::uint8_t(v);
    out.at(at + 1) = std::uint8_t(v >> 8);
}

void SetU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.at(at + i) = std::uint8_t(v >> (8 * i));
}

std::uint16_t GetU16(const std::vector<std::uint8_t>& in, std::size_t at)
{
    return std::uint16_t(in.at(at) | in.at(at + 1) << 8);
}

std::uint32_t GetU32(const std::vector<std::uint8_t>& in, std::size_t at)
{
    return std::uint32_t(in.at(at)) | std::uint32_t(in.at(at + 1)) << 8 | std::uint32_t(in.at(at + 2)) << 16 |
           std::uint32_t(in.at(at + 3)) << 24;
}

namespace {

std::size_t Stride(int width, int bits) { return std::size_t((width * bits + 31) / 32) * 4; }

} // namespace

std::vector<std::uint8_t> BuildDib(const DibSpec& s)
{
    std::vector<std::uint8_t> out;
    const std::size_t stride = Stride(s.Width, s.BitCount), maskStride = Stride(s.Width, 1);
    PutU32(out, 40);
    PutU32(out, std::uint32_t(s.Width));
    PutU32(out, std::uint32_t(2 * s.Height));
    PutU16(out, 1);
    PutU16(out, std::uint16_t(s.BitCount));
    PutU32(out, s.Compression);
    PutU32(out, std::uint32_t(stride * s.Height));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, std::uint32_t(s.Palette.size()));
    PutU32(out, 0);
    for (std::uint32_t m : s.BitFields)
        PutU32(out, m);
    for (std::uint32_t c : s.Palette) {
        out.push_back(std::uint8_t(c));
        out.push_back(std::uint8_t(c >> 8));
        out.push_back(std::uint8_t(c >> 16));
        out.push_back(0);
    }
    for (int row = s.Height - 1; row >= 0; --row) {
        std::vector<std::uint8_t> bytes(stride, 0);
        const auto& values = s.Rows.at(std::size_t(row));
        for (int x = 0; x < s.Width; ++x) {
            std::uint32_t v = values.at(std::size_t(x));
            switch (s.BitCount) {
            case 1: bytes[x / 8] |= std::uint8_t((v & 1) << (7 - x % 8)); break;
            case 4: bytes[x / 2] |= std::uint8_t((v & 0xF) << (x % 2 ? 0 : 4)); break;
            case 8: bytes[x] = std::uint8_t(v); break;
            case 16: bytes[2 * x] = std::uint8_t(v); bytes[2 * x + 1] = std::uint8_t(v >> 8); break;
            case 24:
                bytes[3 * x] = std::uint8_t(v);
                bytes[3 * x + 1] = std::uint8_t(v >> 8);
                bytes[3 * x + 2] = std::uint8_t(v >> 16);
                break;
            case 32:
                for (int i = 0; i < 4; ++i)
                    bytes[4 * x + i] = std::uint8_t(v >> (8 * i));
                break;
            }
        }
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    for (int row = s.Height - 1; row >= 0; --row) {
        std::vector<std::uint8_t> bytes(maskStride, 0);
        if (!s.MaskRows.empty())
            for (int x = 0; x < s.Width; ++x)
                if (s.MaskRows.at(std::size_t(row)).at(std::size_t(x)))
                    bytes[x / 8] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<std::uint8_t> BuildIco(const std::vector<std::vector<std::uint8_t>>& images)
{
    std::vector<std::uint8_t> out;
    PutU16(out, 0);
    PutU16(out, 1);
    PutU16(out, std::uint16_t(images.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const auto& img : images) {
        const std::uint32_t w = GetU32(img, 4), h = GetU32(img, 8) / 2;
        out.push_back(std::uint8_t(w));
        out.push_back(std::uint8_t(h));
        out.push_back(0);
        out.push_back(0);
        PutU16(out, 1);
        PutU16(out, GetU16(img, 14));
        PutU32(out, std::uint32_t(img.size()));
        PutU32(out, offset);
        offset += std::uint32_t(img.size());
    }
    for (const auto& img : images)
        out.insert(out.end(), img.begin(), img.end());
    return out;
}

std::pair<std::size_t, std::size_t> IcoImageExtent(const std::vector<std::uint8_t>& ico, int index)
{
    const std::size_t entry = 6 + 16 * std::size_t(index);
    return {GetU32(ico, entry + 12), GetU32(ico, entry + 8)};
}

std::vector<std::uint8_t> FirstIcoImage(const std::vector<std::uint8_t>& ico)
{
    auto [offset, size] = IcoImageExtent(ico, 0);
    return {ico.begin() + std::ptrdiff_t(offset), ico.begin() + std::ptrdiff_t(offset + size)};
}

std::string FixtureTestName(const std::string& path)
{
    std::string n = path.substr(path.rfind('/') + 1);
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return n;
}

FileRewriter::FileRewriter(std::string path, std::vector<std::vector<std::uint8_t>> contents)
    : FPath(std::move(path)), FContents(std::move(contents)), FThread([this] { Run(); })
{
}

FileRewriter::~FileRewriter()
{
    FStop = true;
    FThread.join();
}

void FileRewriter::Run()
{
    while (!FStop) {
        for (const auto& bytes : FContents) {
            int fd = ::open(FPath.c_str(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0644);
            if (fd < 0)
                continue;
            for (std::size_t at = 0; at < bytes.size(); at += 1500)
                if (::write(fd, bytes.data() + at, std::min<std::size_t>(1500, bytes.size() - at)) < 0)
                    break;
            ::close(fd);
        }
        ++FRounds;
    }
}

} // namespace gwtest
