#!/usr/bin/env python3
"""Checks saved 16-colour icons against the group wrestool extracted, pixel by pixel.

Reads lines "SAVED<TAB>SOURCE" on stdin: SAVED is the .ico iconprobe wrote for a
group, SOURCE the same group as wrestool extracted it (every image of the group).
The expected 32 x 32 picture is decoded here, independently of the program: the
deepest exact 32 x 32 DIB image of the group, every pixel mapped to the nearest
colour of the standard 16-colour palette, and the transparency mask. Groups without
an exact 32 x 32 DIB image (scaled or PNG) are counted as skipped.

Prints one line per mismatch and a summary; exits 1 when anything did not match.
"""
import struct
import sys

PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]
SIZE = 32


def nearest(rgb, cache={}):
    if rgb in cache:
        return cache[rgb]
    r, g, b = rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255
    best, best_d = 0, None
    for i, p in enumerate(PALETTE):
        d = (r - (p >> 16 & 255)) ** 2 + (g - (p >> 8 & 255)) ** 2 + (b - (p & 255)) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    cache[rgb] = best
    return best


def ico_images(data):
    """The image data of every entry of an .ico file."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        images.append(data[offset:offset + size])
    return images


def dib_info(img):
    """(width, height, bit count, is_png) from an image's own header."""
    if img[:8] == b"\x89PNG\r\n\x1a\n":
        w, h = struct.unpack_from(">II", img, 16)
        return w, h, 32, True
    hsize = struct.unpack_from("<I", img, 0)[0]
    if hsize == 12:
        w, h, _, bits = struct.unpack_from("<HHHH", img, 4)
    else:
        w, h, _, bits = struct.unpack_from("<iiHH", img, 4)
    return w, abs(h) // 2, bits, False


def decode_dib(img):
    """Top-down rows of (alpha, rgb) and the AND mask, for BI_RGB images."""
    hsize = struct.unpack_from("<I", img, 0)[0]
    if hsize == 12:
        w, h2, _, bits = struct.unpack_from("<HHHH", img, 4)
        comp, used, entry = 0, 0, 3
    else:
        w, h2, _, bits, comp = struct.unpack_from("<iiHHI", img, 4)
        used = struct.unpack_from("<I", img, 32)[0]
        entry = 4
    if comp != 0:
        return None
    h = h2 // 2
    off = hsize
    palette = []
    if bits <= 8:
        n = used if 0 < used < (1 << bits) else 1 << bits
        for i in range(n):
            b, g, r = img[off + i * entry:off + i * entry + 3]
            palette.append(r << 16 | g << 8 | b)
        off += (used if used > (1 << bits) and entry == 4 else n) * entry
    xstride = (w * bits + 31) // 32 * 4
    astride = (w + 31) // 32 * 4
    xor = img[off:off + xstride * h]
    andm = img[off + xstride * h:]
    pixels, mask = [], []
    for y in range(h):
        row = xor[(h - 1 - y) * xstride:(h - y) * xstride]
        arow = (h - 1 - y) * astride
        for x in range(w):
            a = 255
            if bits == 1:
                c = palette[row[x >> 3] >> (7 - (x & 7)) & 1]
            elif bits == 4:
                c = palette[row[x >> 1] >> (0 if x & 1 else 4) & 15]
            elif bits == 8:
                c = palette[row[x]]
            elif bits == 16:
                v = row[2 * x] | row[2 * x + 1] << 8
                c = 0
                for shift, m in ((16, 0x7C00), (8, 0x03E0), (0, 0x001F)):
                    part = (v & m) >> ((m & -m).bit_length() - 1)
                    c |= ((part * 255 + 15) // 31) << shift
            elif bits == 24:
                c = row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]
            elif bits == 32:
                c = row[4 * x + 2] << 16 | row[4 * x + 1] << 8 | row[4 * x]
                a = row[4 * x + 3]
            else:
                return None
            pixels.append((a, c))
            byte = arow + (x >> 3)
            mask.append(1 if byte < len(andm) and andm[byte] >> (7 - (x & 7)) & 1 else 0)
    return bits, pixels, mask


def expected(source):
    """(indices, mask) of the 32 x 32 picture, or a reason to skip."""
    images = ico_images(source)
    best = None
    for img in images:
        try:
            w, h, bits, png = dib_info(img)
        except struct.error:
            continue
        if w == SIZE and h == SIZE and (best is None or bits > best[1]):
            best = (img, bits, png)
    if best is None:
        return "no exact 32x32 image"
    img, _, png = best
    if png:
        return "32x32 image is PNG"
    decoded = decode_dib(img)
    if decoded is None:
        return "compressed or unusual DIB"
    bits, pixels, mask = decoded
    any_alpha = bits == 32 and any(a for a, _ in pixels)
    if any_alpha and not any(mask):
        mask = [1 if a < 128 else 0 for a, _ in pixels]
    indices = []
    for (a, c), m in zip(pixels, mask):
        if any_alpha and (m or a == 0):
            # Transparent pixels of an image with alpha are written black; a pixel
            # with no alpha at all has no colour.
            indices.append(0)
        else:
            indices.append(nearest(c))
    return indices, mask


def saved_picture(data):
    """(indices, mask) of a 766-byte 16-colour icon file."""
    images = ico_images(data)
    img = images[0]
    off = 40 + 16 * 4
    indices, mask = [], []
    for y in range(SIZE):
        row = img[off + (SIZE - 1 - y) * 16:off + (SIZE - y) * 16]
        arow = img[off + 512 + (SIZE - 1 - y) * 4:off + 512 + (SIZE - y) * 4]
        for x in range(SIZE):
            indices.append(row[x >> 1] >> (0 if x & 1 else 4) & 15)
            mask.append(arow[x >> 3] >> (7 - (x & 7)) & 1)
    return indices, mask


def main():
    checked = skipped = bad = 0
    for line in sys.stdin:
        saved_path, source_path = line.rstrip("\n").split("\t")
        with open(source_path, "rb") as f:
            want = expected(f.read())
        if isinstance(want, str):
            skipped += 1
            continue
        with open(saved_path, "rb") as f:
            got = saved_picture(f.read())
        checked += 1
        mask_diff = sum(1 for a, b in zip(got[1], want[1]) if a != b)
        # Colours under a transparent mask bit of an image without alpha still count:
        # they show where the background is inverted.
        colour_diff = sum(1 for a, b in zip(got[0], want[0]) if a != b)
        if colour_diff or mask_diff:
            bad += 1
            print(f"pixel mismatch: {saved_path} vs {source_path}: "
                  f"{colour_diff} colour, {mask_diff} mask pixels differ")
    print(f"pixel check: {checked} groups compared pixel by pixel, {skipped} skipped "
          f"(no exact 32x32 DIB), {bad} mismatches")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
