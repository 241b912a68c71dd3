// glimmerwick-thumbnailer -s SIZE IN OUT: the freedesktop thumbnailer interface. The
// thumbnail is the image of the file's first icon group (of a file without icons, its
// first cursor group) closest to SIZE, as a PNG of at most SIZE pixels a side.
#include "core/FileWrite.h"
#include "core/IcoEncoder.h"
#include "core/IconDecoder.h"
#include "core/IconFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

using namespace gw;

namespace {

constexpr const char* kUsage = "usage: glimmerwick-thumbnailer -s SIZE INPUT OUTPUT.png\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

// The thumbnail of `in` written to `out`: 0, 1 when there is none, 3 when it cannot be written.
int Thumbnail(const char* in, const char* out, long size)
{
    IconFile f = IconFile::Open(in);
    // A file without icons shows its first cursor: cursor files (.cur), the first frame
    // of an animated cursor (.ani), a library that holds only cursors.
    const bool cursors = f.Ok() && f.Catalog.Groups().empty();
    if (!f.Ok() || f.Catalog.Groups(cursors).empty()) {
        std::fprintf(stderr, "glimmerwick-thumbnailer: %s: no icons\n", in);
        return 1;
    }
    // A stored image no larger than SIZE is kept as it is (a thumbnail is never
    // blown up); a larger one is scaled down to SIZE.
    // A stored PNG that decodes, needs no scaling and is whole (every chunk's CRC and
    // the image data's checksum right: file managers refuse others) is the thumbnail
    // as it is; a damaged one is decoded as far as it can be and encoded anew.
    std::vector<std::uint8_t> stored;
    auto image = GroupImageAt(f, 0, int(size), false, &stored, cursors);
    auto png = image && IsIntactPng(Bytes(stored.data(), stored.size())) ? std::optional(stored)
               : image                                          ? EncodePng(*image)
                                                                : std::nullopt;
    if (!png) {
        std::fprintf(stderr, "glimmerwick-thumbnailer: %s: no image can be decoded\n", in);
        return 1;
    }
    if (const int err = FileWrite::Overwrite(out, png->data(), png->size())) {
        std::fprintf(stderr, "glimmerwick-thumbnailer: %s: %s\n", out, FileWrite::ErrorText(err));
        return 3;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    long size = 0;
    const char* in = nullptr;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            std::fputs("Writes the image of INPUT's first icon closest to SIZE as a PNG of at most SIZE\n"
                       "pixels a side (see glimmerwick-thumbnailer(1)).\n", stdout);
            return std::fflush(stdout) == 0 ? 0 : 3;
        }
        if (std::strcmp(argv[i], "-s") == 0 && i + 1 < argc) {
            char* end = nullptr;
            size = std::strtol(argv[++i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0')
                return Usage();
        } else if (!in) {
            in = argv[i];
        } else if (!out) {
            out = argv[i];
        } else {
            return Usage();
        }
    }
    if (!in || !out || size < 1)
        return Usage();
    try {
        return Thumbnail(in, out, std::min<long>(size, kMaxIconSide));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "glimmerwick-thumbnailer: %s: not enough memory\n", in);
        return 1;
    }
}
