#!/usr/bin/python3
"""The dhash of icon files as Pillow computes it, one line per file: FILE<TAB>DHASH.

Each file is a group's .ico or .cur as `glimmerwick-cli extract` writes it. Its largest
image (largest area, then greatest depth, the first of equals) is read by Pillow, a PNG
as it is and a DIB cut out into an .ico of its own, composited over white with Image.alpha_composite, made
grey with convert("L"), reduced to 9x8 with resize(..., Image.BOX); bit row*8+col is set
when pixel (col+1, row) is brighter than pixel (col, row), bit 0 the most significant.
"""
import io
import struct
import sys

from PIL import Image


def largest_image(data):
    count = struct.unpack_from("<H", data, 4)[0]
    best = None
    for i in range(count):
        w, h, colors, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        image = data[offset:offset + size]
        if image[:8] == b"\x89PNG\r\n\x1a\n":
            width, height = struct.unpack_from(">II", image, 16)
            depth, kind = image[24], image[25]
            depth *= {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(kind, 1)
        else:
            width, height2, _, depth = struct.unpack_from("<iiHH", image, 4)
            height = height2 // 2
        key = (width * height, depth)
        if best is None or key > best[0]:
            best = (key, w, h, colors, depth, image)
    return best


def dhash(path):
    with open(path, "rb") as f:
        return dhash_of(f.read())


def dhash_of(data):
    """The dhash of an .ico or .cur held in memory."""
    _, w, h, colors, depth, image = largest_image(data)
    if image[:8] == b"\x89PNG\r\n\x1a\n":
        # Read as a PNG: Pillow's .ico reader drops a palette PNG's transparency.
        im = Image.open(io.BytesIO(image))
    else:
        # An .ico of that one image with its own depth (a cursor file's directory holds
        # the hot spot there; it does not change the picture).
        one = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w, h, colors, 0, 1, depth, len(image), 22) + image
        im = Image.open(io.BytesIO(one))
    im.load()
    rgba = im.convert("RGBA")
    grey = Image.alpha_composite(Image.new("RGBA", rgba.size, (255, 255, 255, 255)), rgba).convert("L")
    small = grey.resize((9, 8), Image.BOX)
    px = small.load()
    value = 0
    for row in range(8):
        for col in range(8):
            if px[col + 1, row] > px[col, row]:
                value |= 1 << (63 - (row * 8 + col))
    return "%016x" % value


if __name__ == "__main__":
    for path in sys.argv[1:]:
        try:
            print("%s\t%s" % (path, dhash(path)))
        except Exception as e:  # a file Pillow cannot read is counted, not fatal
            print("%s\terror %s" % (path, e))
