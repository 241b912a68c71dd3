#!/usr/bin/env python3
"""Builds an animated cursor (RIFF "ACON") whose frames are the given .cur or .ico files,
as they are: an "anih" header, a "rate" chunk, a LIST "INFO" with a title, and the
frames as "icon" chunks of a LIST "fram" (each padded to an even length).

usage: make_ani.py OUT FRAME...
"""
import struct
import sys


def chunk(tag, data):
    return tag + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")


def main():
    out, frames = sys.argv[1], [open(p, "rb").read() for p in sys.argv[2:]]
    # cbSize, frames, steps, width, height, bit count, planes, jiffies per step, flags
    # (1: frames are icon or cursor files).
    anih = struct.pack("<9I", 36, len(frames), len(frames), 0, 0, 0, 0, 10, 1)
    info = chunk(b"INAM", b"Glimmerwick test cursor\0")
    body = (b"ACON" + chunk(b"anih", anih) + chunk(b"LIST", b"INFO" + info) +
            chunk(b"rate", struct.pack(f"<{len(frames)}I", *([10] * len(frames)))) +
            chunk(b"LIST", b"fram" + b"".join(chunk(b"icon", f) for f in frames)))
    with open(out, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)
    return 0


if __name__ == "__main__":
    sys.exit(main())
