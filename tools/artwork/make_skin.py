#!/usr/bin/env python3
"""Draws the skinned window frame's bitmaps: caption pieces (active and inactive sets),
the side and bottom edges, the caption button images and the About box picture.
Pure Python (zlib only); run it from anywhere, it writes the PNGs under
src/forms/skin. Sizes are fixed by the frame's layout, the look is ours: a blue-grey
frame, a slate caption that carries a white title and a light band for the menu row."""

import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_artwork import Canvas, candle, hexrgb  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "forms", "skin")


def rgb(h):
    return tuple(int(h[i:i + 2], 16) for i in (1, 3, 5))


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def write_rgb_png(name, width, height, pixel):
    """pixel(x, y) -> (r, g, b); written as a 24-bit PNG."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw += bytes(pixel(x, y))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(png)


def over(base, canvas, x, y):
    """The canvas pixel at x, y blended over the opaque colour `base`."""
    if not (0 <= x < canvas.w and 0 <= y < canvas.h):
        return base
    r, g, b, a = canvas.px[y][x]
    return tuple(round(base[i] * (1 - a) + (r, g, b)[i] * 255 * a) for i in range(3))


# ---- colours --------------------------------------------------------------------------

OUTLINE = rgb("#26354f")
EDGE_LIGHT = rgb("#8ea6c8")
EDGE = rgb("#55709a")
EDGE_DARK = rgb("#3d5478")
INNER = rgb("#9aa6b8")  # next to the window's grey background

CAPTION = {
    True: (rgb("#7f9dca"), rgb("#44659a")),   # active: top and bottom of the title area
    False: (rgb("#a5b0c2"), rgb("#7c899e")),  # inactive: greyer, same lightness order
}
BAND = {True: (rgb("#eef2f7"), rgb("#d5dde8")), False: (rgb("#eceef1"), rgb("#dadde2"))}


def caption_row(y, active):
    """The caption bar's colour in row y (0..48) between the two side edges."""
    top, bottom = CAPTION[active]
    if y == 0:
        return OUTLINE
    if y <= 2:
        return mix(EDGE_LIGHT, top, (y - 1) / 2)
    # The title text starts at row 11; desktop fonts reach down to row 24 or so.
    if y <= 24:
        return mix(top, bottom, (y - 3) / 21)
    if y == 25:
        return EDGE_DARK
    if y <= 43:
        band_top, band_bottom = BAND[active]
        return mix(band_top, band_bottom, (y - 26) / 17)
    if y == 44:
        return rgb("#b3bfcf")
    return (EDGE_LIGHT, EDGE, EDGE, EDGE_DARK)[y - 45]


def left_column(x):
    """The left edge's colour in column x (0..9)."""
    if x == 0:
        return OUTLINE
    if x == 1:
        return EDGE_LIGHT
    if x <= 7:
        return mix(EDGE, EDGE_DARK, (x - 2) / 10)
    return (EDGE_DARK, INNER)[x - 8]


def right_column(x):
    """The right edge's colour in column x (0..12)."""
    if x == 0:
        return INNER
    if x == 1:
        return EDGE_DARK
    if x <= 10:
        return mix(EDGE, EDGE_DARK, (x - 2) / 12)
    return (rgb("#33486a"), OUTLINE)[x - 11]


def bottom_row(y):
    """The bottom edge's colour in row y (0..11)."""
    if y == 0:
        return INNER
    if y == 1:
        return EDGE_DARK
    if y <= 9:
        return mix(EDGE, EDGE_DARK, (y - 2) / 10)
    return (rgb("#33486a"), OUTLINE)[y - 10]


# ---- the emblem in the control-box area -----------------------------------------------

def emblem(n=17):
    c = Canvas(n, n)
    c.circle(n / 2, n / 2, n / 2 - 0.5, hexrgb("#2b2f4a"))
    c.ring(n / 2, n / 2, n / 2 - 0.5, 0.9, hexrgb("#c9d3e6"))
    sub = Canvas(32, 32)
    candle(sub, 1.0, 2)
    # Scale the 32-pixel candle down to the disc by sampling.
    for y in range(n):
        for x in range(n):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(2):
                for sx in range(2):
                    px = min(31, int((x + (sx + 0.5) / 2) * 32 / n))
                    py = min(31, int((y + (sy + 0.5) / 2) * 32 / n))
                    r, g, b, a = sub.px[py][px]
                    acc = [acc[0] + r * a, acc[1] + g * a, acc[2] + b * a, acc[3] + a]
            if acc[3] > 0:
                c.blend(x, y, (acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3]), acc[3] / 4)
    return c


def caption_pieces(active, prefix, centre_width):
    mark = emblem()

    def left(x, y):
        if y == 0:
            return OUTLINE
        if x < 10 and y >= 1:
            c = left_column(x)
            if y <= 2 and x >= 1:
                return mix(EDGE_LIGHT, c, 0.5)
            return c
        base = caption_row(y, active)
        return over(base, mark, x - 13, y - 5)
    write_rgb_png(prefix + "TopLeft.png", 81, 49, left)
    write_rgb_png(prefix + "TopCenter.png", centre_width, 49, lambda x, y: caption_row(y, active))

    def right(x, y):
        if y == 0:
            return OUTLINE
        if x >= 81:
            c = right_column(x - 81)
            if y <= 2 and x < 92:
                return mix(EDGE_LIGHT, c, 0.5)
            return c
        return caption_row(y, active)
    write_rgb_png(prefix + "TopRight.png", 94, 49, right)


# ---- caption buttons ------------------------------------------------------------------

def button(name, glyph, close=False):
    c = Canvas(17, 19)
    fill_top, fill_bottom = (hexrgb("#e08a70"), hexrgb("#b24a30")) if close else (hexrgb("#8aa7d2"), hexrgb("#46679c"))
    shade = lambda x, y: tuple(fill_top[i] + (fill_bottom[i] - fill_top[i]) * y / 19 for i in range(3))
    c.shape(lambda x, y: rounded(x, y, 0.5, 0.5, 16.5, 18.5, 3), hexrgb("#f4f7fb"))
    c.shape(lambda x, y: rounded(x, y, 1.5, 1.5, 15.5, 17.5, 2.2), shade)
    glyph(c)
    base = caption_row(5, True)
    write_rgb_png(name, 17, 19, lambda x, y: over(base, c, x, y))


def rounded(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


WHITE = hexrgb("#ffffff")


def glyph_min(c):
    c.rect(4.5, 12, 10.5, 14.5, WHITE)


def glyph_max(c):
    c.frame(4, 4.5, 13, 14.5, WHITE, 1.2)
    c.rect(4, 4.5, 13, 7, WHITE)


def glyph_restore(c):
    c.frame(6.5, 3.5, 13.5, 10.5, WHITE, 1.1)
    c.rect(6.5, 3.5, 13.5, 5.5, WHITE)
    c.rect(3.5, 7.5, 10.5, 14.5, hexrgb("#5877a9"))
    c.frame(3.5, 7.5, 10.5, 14.5, WHITE, 1.1)
    c.rect(3.5, 7.5, 10.5, 9.5, WHITE)


def glyph_close(c):
    c.line(4.5, 5.5, 12.5, 13.5, 1.9, WHITE)
    c.line(12.5, 5.5, 4.5, 13.5, 1.9, WHITE)


# ---- the About box's picture ----------------------------------------------------------

def product_picture():
    c = Canvas(136, 136)
    candle(c, 136 / 32, 3)
    top, bottom = rgb("#2f3b5a"), rgb("#7d93ba")

    def pixel(x, y):
        base = mix(top, bottom, y / 162)
        # a soft ring of light behind the candle
        d = ((x - 68) ** 2 + (y - 62) ** 2) ** 0.5
        if d < 64:
            base = mix(base, rgb("#c9d6ee"), 0.18 * (1 - d / 64))
        return over(base, c, x, y - 14)
    write_rgb_png("Product.png", 136, 163, pixel)


if __name__ == "__main__":
    caption_pieces(True, "Active", 1024)
    caption_pieces(False, "Inactive", 1025)
    write_rgb_png("Left.png", 10, 800, lambda x, y: left_column(x))
    write_rgb_png("Right.png", 13, 800, lambda x, y: right_column(x))
    # The corners join the side and the bottom edge on a mitre.
    write_rgb_png("BottomLeft.png", 10, 12, lambda x, y: left_column(x) if x <= 11 - y else bottom_row(y))
    write_rgb_png("BottomCenter.png", 1024, 12, lambda x, y: bottom_row(y))
    write_rgb_png("BottomRight.png", 13, 12, lambda x, y: right_column(x) if 12 - x <= 11 - y else bottom_row(y))
    button("Min.png", glyph_min)
    button("Max.png", glyph_max)
    button("Restore.png", glyph_restore)
    button("Close.png", glyph_close, close=True)
    product_picture()
