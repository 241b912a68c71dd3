#!/usr/bin/env python3
"""Writes the source images of the icon fixtures (run once; the PNGs are committed).

Each image is made so that icotool picks a known bit depth from its colour count:
2 colours -> 1 bit, up to 16 -> 4 bits, up to 256 -> 8 bits, more -> 24 bits,
any partial alpha -> 32 bits. The tests decode the same PNGs with libspng and
compare them with what the reader decodes from the icon files made of them.
"""
import os
import struct
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")

# Sixteen opaque colours, none of them black (black is left for transparent pixels).
COLOURS16 = [
    (0xE0, 0x20, 0x20), (0x20, 0xE0, 0x20), (0x20, 0x20, 0xE0), (0xE0, 0xE0, 0x20),
    (0xE0, 0x20, 0xE0), (0x20, 0xE0, 0xE0), (0xF0, 0xF0, 0xF0), (0x80, 0x40, 0x10),
    (0x10, 0x40, 0x80), (0x40, 0x80, 0x10), (0x90, 0x90, 0x90), (0x60, 0x00, 0x60),
    (0x00, 0x60, 0x60), (0xFF, 0x80, 0x00), (0x80, 0xFF, 0x80), (0x30, 0x30, 0x30),
]


def write_png(name, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a)."""
    rows = []
    for y in range(height):
        row = bytearray(b"\0")
        for x in range(width):
            row += bytes(pixel(x, y))
        rows.append(bytes(row))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    data = (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
            + chunk(b"IEND", b""))
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def opaque(rgb):
    return (rgb[0], rgb[1], rgb[2], 255)


def main():
    os.makedirs(OUT, exist_ok=True)
    # 1 bit: two colours in diagonal stripes.
    write_png("pal2_32.png", 32, 32,
              lambda x, y: opaque((0x20, 0x40, 0xC0) if (x + y) // 4 % 2 else (0xF0, 0x90, 0x10)))
    # 4 bits: sixteen colours in 8 x 8 blocks.
    for side in (16, 32):
        b = side // 4
        write_png(f"pal16_{side}.png", side, side,
                  lambda x, y, b=b: opaque(COLOURS16[(y // b) * 4 + x // b]))
    # 4 bits with a transparent right part and a transparent hole.
    write_png("masked16_32.png", 32, 32,
              lambda x, y: (0, 0, 0, 0) if x >= 24 or (10 <= x < 14 and 10 <= y < 14)
              else opaque(COLOURS16[(y // 8) * 4 + x // 8]))
    # 8 bits: 256 colours in 2 x 2 blocks.
    write_png("pal256_32.png", 32, 32, lambda x, y: opaque(((x // 2) * 16, (y // 2) * 16, 0x55)))
    # 24 bits: 1024 colours.
    for side in (16, 32, 48):
        s = 256 // side
        write_png(f"rgb_{side}.png", side, side, lambda x, y, s=s: opaque((x * s, y * s, 0x80)))
    # 32 bits: colour gradient with alpha rising from the top left corner.
    for side in (16, 32, 48):
        s = 256 // side
        write_png(f"alpha_{side}.png", side, side,
                  lambda x, y, s=s, side=side: (x * s, 0x40, y * s, min(255, (x + y) * 255 // side)))
    # A 1-pixel black and white checkerboard, 64 x 64: an area filter turns it grey.
    write_png("checker_64.png", 64, 64,
              lambda x, y: opaque((255, 255, 255) if (x + y) % 2 else (0, 0, 0)))
    # 256 x 256 for a PNG-compressed frame: 32 x 32 blocks, a transparent border.
    write_png("big_256.png", 256, 256,
              lambda x, y: (0, 0, 0, 0) if x < 16 or y < 16 or x >= 240 or y >= 240
              else opaque(COLOURS16[((y // 32) * 8 + x // 32) % 16]))
    # One icon at three sizes in colours that tell them apart: 32 red, 48 green, 64 a
    # 1-pixel blue and white checkerboard (any scaling of it shows as a blend).
    write_png("hidpi_32.png", 32, 32, lambda x, y: opaque((0xE0, 0x20, 0x20)))
    write_png("hidpi_48.png", 48, 48, lambda x, y: opaque((0x20, 0xE0, 0x20)))
    write_png("hidpi_64.png", 64, 64,
              lambda x, y: opaque((0xF0, 0xF0, 0xF0) if (x + y) % 2 else (0x20, 0x20, 0xE0)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
