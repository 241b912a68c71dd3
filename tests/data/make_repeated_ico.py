#!/usr/bin/env python3
"""Writes .ico files whose entries name one large PNG many times, or many copies of it.

    make_repeated_ico.py PNG OUT_DIR

OUT_DIR/repeated.ico: 256 entries that all name the one copy of PNG (one offset, one size).
OUT_DIR/overdecoded.ico: 17 entries naming 17 copies of PNG, each followed by one more
zero byte than the one before, so that no two images are alike; 17 images of
1024 x 1024 take 68 MiB once decoded, small as the file is.
"""
import struct
import sys


def ico(path, images):
    """images: (offset from the image area, size) per entry, then the image area's bytes."""
    entries, area = images
    head = struct.pack("<HHH", 0, 1, len(entries))
    start = len(head) + 16 * len(entries)
    for offset, size in entries:
        # 0 x 0 (256 and more), no palette, 1 plane, 32 bits.
        head += struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, size, start + offset)
    with open(path, "wb") as f:
        f.write(head + area)


def main():
    with open(sys.argv[1], "rb") as f:
        png = f.read()
    out = sys.argv[2]
    ico(f"{out}/repeated.ico", ([(0, len(png))] * 256, png))
    entries, area = [], b""
    for i in range(17):
        entries.append((len(area), len(png) + i))
        area += png + bytes(i)
    ico(f"{out}/overdecoded.ico", (entries, area))


main()
