// A file opened for one request with its icon groups: names as text, image
// summaries, groups as stored and images at a chosen size.
#pragma once

#include "core/FileSource.h"
#include "core/IconCatalog.h"
#include "core/IconImage.h"
#include "core/Result.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gw {

// A file opened and its groups found; the file stays open until this is destroyed.
// `Reader` serves the small reads of the request (the resource tree, the groups'
// directories) from blocks read once.
struct IconFile {
    FileSource Source;
    BlockCache Reader{Source};
    IconCatalog Catalog;
    OpenStatus Status = OpenStatus::Unreadable;

    explicit IconFile(const std::string& path);
    IconFile(const IconFile&) = delete;
    IconFile& operator=(const IconFile&) = delete;
    static IconFile Open(const std::string& path) { return IconFile(path); }
    bool Ok() const { return Status == OpenStatus::Ok; }
    // "PE32", "PE32+", "NE", "ICO", "CUR", "ANI" or "none".
    std::string KindName() const;
};

// A group's name as text: the number, or the string converted to UTF-8 (PE names are
// UTF-16; NE names are 8-bit text, passed through).
std::string NameText(const IconCatalog& catalog, const ResourceName& name);

// One image of a group as the list shows it.
struct ImageSummary {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    bool Png = false;
    std::uint64_t Bytes = 0;
};
// The images `entries` name (the entries of one group's directory, or of several
// groups' one after the other), described from their own headers where they can be
// read, else from the directory's fields. The headers are read in one sweep over the
// file, those lying close together with one call.
std::vector<ImageSummary> Summarise(const IconFile& file, const std::vector<GroupEntry>& entries);

// The .ico of a group as stored (language `lang`, or the first one when -1), or with
// `cursors` the .cur of a cursor group with its hot spots; an error when no image of it
// can be read or its images exceed 64 MiB (TooLarge).
Result<std::vector<std::uint8_t>> GroupIco(const IconFile& file, std::size_t group, int lang = -1,
                                           bool cursors = false);

// An image of the group at `size` pixels (the largest stored when 0): the stored one of
// that size when there is one (the deepest), else the smallest larger one scaled down
// with the area filter, else the largest, scaled up when `enlarge`. Non-square images
// keep their shape within `size`. When the result is a stored image as it is, its bytes
// go to `stored` (when given).
std::optional<IconImage> GroupImageAt(const IconFile& file, std::size_t group, int size, bool enlarge = true,
                                      std::vector<std::uint8_t>* stored = nullptr, bool cursors = false);

// The group's image at `size` (the largest stored when 0, never enlarged) as a PNG file:
// the stored PNG as it is when it is intact, else encoded from its pixels; nothing when
// no image of the group can be read.
std::optional<std::vector<std::uint8_t>> GroupPng(const IconFile& file, std::size_t group, int size = 0);

// One image of a group as a PNG file.
struct PngImage {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;     // of the stored image (a PNG's bit depth times its channels)
    bool Stored = false;  // the stored PNG as it is; else encoded from the decoded pixels
    int Entries = 1;      // the group's entries that name this image
    std::vector<std::uint8_t> Png;
};
// Every distinct image of a group (of the cursor groups with `cursors`) as PNG, in the
// order the directory first names them, each once however many entries name it: a
// stored PNG as it is when it is intact (IsIntactPng), any other image encoded from its
// pixels. Each is handed to `take` as soon as it is made, so that only one is held at a
// time; `take` returns false to stop. Images that cannot be decoded are left out and
// counted in `failed`. An error when the group names no image the file holds, its
// images cannot be read, or they exceed 64 MiB a group stored or decoded.
std::optional<Error> GroupPngs(const IconFile& file, std::size_t group, bool cursors, int& failed,
                               const std::function<bool(PngImage&&)>& take);
// One stored image as a PNG file: a stored PNG as it is when it is intact, any other
// image encoded from its pixels; nothing when it cannot be decoded.
std::optional<std::vector<std::uint8_t>> StoredAsPng(Bytes stored);

// One image of a group as stored, to be looked at: what it is, its bytes, and its
// pixels made to fit `kMaxShownSide` (none when they cannot be decoded).
struct StoredImage {
    ImageSummary Summary;
    std::vector<std::uint8_t> Data;
    std::optional<IconImage> Shown;
    // The group's entries that name this image: an image named several times is kept,
    // decoded and shown once.
    int Entries = 1;

    // Images larger than this on either side are shown scaled down, so that a group of
    // many huge images costs no more memory than one of real icons.
    static constexpr int kMaxShownSide = 256;
};
// Every distinct image of a group (in language `lang`, or the first one when -1),
// largest first, the deeper first within one size, else in directory order; an error
// when the group names no image the file holds, its images cannot be read, or they
// exceed 64 MiB stored or decoded, or memory for them cannot be had.
Result<std::vector<StoredImage>> GroupStoredImages(const IconFile& file, std::size_t group, int lang = -1);

// True when `bytes` begin with the PNG signature.
bool IsPng(Bytes bytes);
// True when `bytes` are a whole PNG that a strict reader takes: the signature, then
// chunks that fit, each with the right CRC, up to IEND, and image data that inflates
// to its end with the right zlib checksum. The decoder is lenient with CRCs and stops
// reading once it has every row, so a damaged image can decode and still be unfit to
// pass on as it is.
bool IsIntactPng(Bytes bytes);

} // namespace gw
