#!/usr/bin/env python3
"""Draws Glimmerwick's own artwork: the eight flame frames of Tarnwell.dll, the
16 x 16 images of the two image lists (and their 32 x 32 drawings for screens of twice
the pixel density) and the program's icon at every size the
window and the desktop use. Pure Python (zlib only);
run it from the repository root to regenerate the PNGs under src/forms."""

import math
import os
import struct
import zlib

SS = 4  # samples per pixel side


class Canvas:
    """A w x h drawing surface of k x k pixels per unit: shapes are given in units, so
    the same drawing comes out at 16 x 16 and, with k = 2, at 32 x 32 for screens of
    twice the pixel density."""
    def __init__(self, w, h, k=1):
        self.k = k
        self.w, self.h = w * k, h * k
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(self.w)] for _ in range(self.h)]

    def blend(self, x, y, rgb, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r, g, b, da = self.px[y][x]
        oa = a + da * (1 - a)
        if oa <= 0:
            return
        mix = lambda s, d: (s * a + d * da * (1 - a)) / oa
        self.px[y][x] = (mix(rgb[0], r), mix(rgb[1], g), mix(rgb[2], b), oa)

    def shape(self, inside, rgb, alpha=1.0, box=None):
        """Fills the pixels whose samples satisfy inside(x, y), with coverage."""
        k = self.k
        x0, y0, x1, y1 = box or (0, 0, self.w / k, self.h / k)
        x0, y0 = max(0, int(x0 * k)), max(0, int(y0 * k))
        x1, y1 = min(self.w, int(math.ceil(x1 * k))), min(self.h, int(math.ceil(y1 * k)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside((x + (sx + 0.5) / SS) / k, (y + (sy + 0.5) / SS) / k):
                            hits += 1
                if hits:
                    c = rgb((x + 0.5) / k, (y + 0.5) / k) if callable(rgb) else rgb
                    self.blend(x, y, c, alpha * hits / (SS * SS))

    def rect(self, x0, y0, x1, y1, rgb, alpha=1.0):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, rgb, alpha, (x0, y0, x1, y1))

    def frame(self, x0, y0, x1, y1, rgb, t=1.0):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1 and not
                   (x0 + t <= x < x1 - t and y0 + t <= y < y1 - t), rgb, 1.0, (x0, y0, x1, y1))

    def circle(self, cx, cy, r, rgb, alpha=1.0):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, rgb, alpha,
                   (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))

    def ring(self, cx, cy, r, t, rgb):
        self.shape(lambda x, y: (r - t) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r, rgb)

    def poly(self, pts, rgb, alpha=1.0):
        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.shape(inside, rgb, alpha, (min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1))

    def line(self, x0, y0, x1, y1, t, rgb):
        dx, dy = x1 - x0, y1 - y0
        n = math.hypot(dx, dy) or 1
        ox, oy = -dy / n * t / 2, dx / n * t / 2
        self.poly([(x0 + ox, y0 + oy), (x1 + ox, y1 + oy), (x1 - ox, y1 - oy), (x0 - ox, y0 - oy)], rgb)

    def polyline(self, pts, t, rgb):
        for a, b in zip(pts, pts[1:]):
            self.line(a[0], a[1], b[0], b[1], t, rgb)
        for p in pts[1:-1]:
            self.circle(p[0], p[1], t / 2, rgb)

    def save(self, path):
        raw = bytearray()
        for row in self.px:
            raw.append(0)
            for r, g, b, a in row:
                raw += bytes((round(r * 255), round(g * 255), round(b * 255), round(a * 255)))
        def chunk(tag, data):
            return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(png)


def hexrgb(h):
    return tuple(int(h[i:i + 2], 16) / 255 for i in (1, 3, 5))


# ---- the candle and its flame -------------------------------------------------------

def flame_inside(cx, base, height, width, sway):
    """A teardrop: round at the bottom, pointed at the top, tip bent by `sway`."""
    def inside(x, y):
        t = (base - y) / height  # 0 at the bottom, 1 at the tip
        if t < -0.35 or t > 1:
            return False
        if t < 0:
            r = width * math.sqrt(max(0.0, 1 - (t / 0.35) ** 2))
        else:
            r = width * (1 - t) ** 1.2 * (1 + 0.6 * t)
        centre = cx + sway * t * t
        return abs(x - centre) <= r
    return inside


def candle(c, s, phase):
    """Draws the candle scaled by s (1 = 32 pixels) in animation phase 0..7."""
    a = 2 * math.pi * phase / 8
    sway = 2.2 * math.sin(a) * s
    height = (13 + 1.6 * math.sin(2 * a + 0.7)) * s
    glow = 0.30 + 0.12 * math.cos(a)
    cx = 16 * s
    base = 17 * s
    # halo
    for r, k in ((11.5, 0.35), (8.5, 0.6), (6, 1.0)):
        c.circle(cx + sway * 0.3, base - height * 0.35, r * s, hexrgb("#ffd36b"), glow * k * 0.5)
    # candle body with a soft shade on the right
    body = lambda x, y: hexrgb("#f3ead2") if x < 17.5 * s else hexrgb("#d8cba6")
    c.rect(11 * s, 19 * s, 21 * s, 30 * s, body)
    c.circle(16 * s, 19 * s, 5 * s, hexrgb("#fbf5e4"))
    c.rect(11 * s, 19 * s, 21 * s, 21 * s, hexrgb("#fbf5e4"))
    c.rect(11 * s, 29 * s, 21 * s, 30 * s, hexrgb("#b8a67a"))
    # drip
    c.rect(12.5 * s, 21 * s, 14 * s, 24.5 * s, hexrgb("#fbf5e4"))
    c.circle(13.25 * s, 24.5 * s, 0.9 * s, hexrgb("#fbf5e4"))
    # wick
    c.line(16 * s, 19.5 * s, 16 * s + sway * 0.15, 16 * s, 1.2 * s, hexrgb("#3a2a1c"))
    # flame: outer orange, inner yellow, blue root
    outer = flame_inside(cx, base, height, 3.8 * s, sway)
    inner = flame_inside(cx, base - 0.5 * s, height * 0.62, 2.2 * s, sway * 0.6)
    c.shape(outer, hexrgb("#ff8a1e"))
    c.shape(inner, hexrgb("#fff2a8"))
    c.circle(cx, base + 0.6 * s, 1.3 * s, hexrgb("#4a7dff"), 0.7)


def tarnwell_frames(out):
    for k in range(8):
        c = Canvas(32, 32)
        candle(c, 1.0, k)
        c.save(os.path.join(out, "tarnwell", "flame%d.png" % k))


# Sizes of the program's icon: the window icon and the desktop's hicolor theme.
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def window_icon(out):
    for size in ICON_SIZES:
        s = size / 32
        c = Canvas(size, size)
        c.circle(16 * s, 16 * s, 15.5 * s, hexrgb("#2b2f4a"))
        # The rim stays at least one pixel wide at the small sizes.
        c.ring(16 * s, 16 * s, 15.5 * s, max(1.0, 1.2 * s), hexrgb("#8d93c9"))
        candle(c, s, 2)
        c.save(os.path.join(out, "images", "glimmerwick%d.png" % size))


# ---- 16 x 16 images -----------------------------------------------------------------

INK = hexrgb("#27324a")


def page(c, band):
    """A document with a folded corner and a coloured band."""
    c.poly([(2.5, 0.5), (10.5, 0.5), (14.5, 4.5), (14.5, 15.5), (2.5, 15.5)], hexrgb("#7b8294"))
    c.poly([(3.5, 1.5), (10, 1.5), (13.5, 5), (13.5, 14.5), (3.5, 14.5)], hexrgb("#ffffff"))
    c.poly([(10, 1.5), (10, 5), (13.5, 5)], hexrgb("#c9cfdc"))
    c.rect(3.5, 11.5, 13.5, 14.5, band)


def suffix(density):
    """Qt's name for an image drawn for `density` times the pixel density: list1_01@2x.png."""
    return "" if density == 1 else "@%dx" % density


def list1_images(out, density=1):
    def save(i, c):
        c.save(os.path.join(out, "images", "list1_%02d%s.png" % (i, suffix(density))))

    c = Canvas(16, 16, density)
    page(c, hexrgb("#b0b6c4"))
    save(0, c)

    c = Canvas(16, 16, density)  # 1 .exe: a program window
    page(c, hexrgb("#2f6fd8"))
    c.rect(4.5, 4.5, 11.5, 10.5, hexrgb("#2f6fd8"))
    c.rect(5.5, 6.5, 10.5, 9.5, hexrgb("#dbe7ff"))
    save(1, c)

    c = Canvas(16, 16, density)  # 2 .dll: a cog
    page(c, hexrgb("#6c7a89"))
    for k in range(6):
        a = k * math.pi / 3
        c.line(8.5, 7.5, 8.5 + 3.4 * math.cos(a), 7.5 + 3.4 * math.sin(a), 1.6, hexrgb("#56606e"))
    c.circle(8.5, 7.5, 2.6, hexrgb("#56606e"))
    c.circle(8.5, 7.5, 1.0, hexrgb("#ffffff"))
    save(2, c)

    c = Canvas(16, 16, density)  # 3 .bmp: a landscape
    c.rect(0.5, 2.5, 15.5, 13.5, hexrgb("#5b6475"))
    c.rect(1.5, 3.5, 14.5, 12.5, hexrgb("#9fd3ff"))
    c.circle(11, 6, 1.7, hexrgb("#ffd23f"))
    c.poly([(1.5, 12.5), (6, 6.5), (9.5, 10), (11.5, 8.5), (14.5, 12.5)], hexrgb("#3f9b4b"))
    save(3, c)

    c = Canvas(16, 16, density)  # 4 .ico: a star in a tile
    c.rect(1.5, 1.5, 14.5, 14.5, hexrgb("#f4f1e6"))
    c.frame(1.5, 1.5, 14.5, 14.5, hexrgb("#9a8c5c"))
    pts = []
    for k in range(10):
        r = 5.5 if k % 2 == 0 else 2.3
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((8 + r * math.cos(a), 8.5 + r * math.sin(a)))
    c.poly(pts, hexrgb("#f0a202"))
    save(4, c)

    c = Canvas(16, 16, density)  # 5 .ocx: a control, a purple block with a knob
    page(c, hexrgb("#7d4cc2"))
    c.rect(5, 4, 12, 10, hexrgb("#7d4cc2"))
    c.circle(8.5, 4, 1.6, hexrgb("#7d4cc2"))
    c.circle(12, 7, 1.6, hexrgb("#7d4cc2"))
    save(5, c)

    c = Canvas(16, 16, density)  # 6 .bpl: a package
    c.poly([(8, 1), (15, 4.5), (8, 8), (1, 4.5)], hexrgb("#e07a5f"))
    c.poly([(1, 4.5), (8, 8), (8, 15.5), (1, 12)], hexrgb("#c0523a"))
    c.poly([(15, 4.5), (8, 8), (8, 15.5), (15, 12)], hexrgb("#a2402c"))
    c.line(4.5, 2.75, 11.5, 6.25, 1.2, hexrgb("#f7d1c4"))
    save(6, c)

    c = Canvas(16, 16, density)  # 7 .cpl: sliders
    page(c, hexrgb("#1b998b"))
    for x, knob in ((5.5, 5), (8.5, 8.5), (11.5, 4)):
        c.line(x, 2.5, x, 10.5, 0.9, hexrgb("#5c6677"))
        c.rect(x - 1.5, knob - 1, x + 1.5, knob + 1, hexrgb("#1b998b"))
    save(7, c)

    c = Canvas(16, 16, density)  # 8 .icl: a stack of tiles
    for off, col in ((4, "#f6c177"), (2, "#f39c34"), (0, "#e06c00")):
        c.rect(1.5 + off, 5.5 - off, 10.5 + off, 14.5 - off, hexrgb(col))
        c.frame(1.5 + off, 5.5 - off, 10.5 + off, 14.5 - off, hexrgb("#8a4b08"))
    c.circle(6, 10, 2, hexrgb("#ffffff"))
    save(8, c)

    c = Canvas(16, 16, density)  # 9 .scr: a monitor with a starry screen
    c.rect(0.5, 1.5, 15.5, 12.5, hexrgb("#4a5061"))
    c.rect(1.5, 2.5, 14.5, 11.5, hexrgb("#10163a"))
    for x, y in ((4, 5), (10, 4), (7, 8), (12, 9), (3, 10)):
        c.rect(x, y, x + 1, y + 1, hexrgb("#ffe66d"))
    c.rect(6, 12.5, 10, 14, hexrgb("#4a5061"))
    c.rect(3.5, 14, 12.5, 15.5, hexrgb("#4a5061"))
    save(9, c)

    c = Canvas(16, 16, density)  # 10 .drv: a chip
    c.rect(3.5, 3.5, 12.5, 12.5, hexrgb("#2e3440"))
    for k in range(4):
        p = 4.5 + k * 2
        c.rect(p, 1.5, p + 1, 3.5, hexrgb("#a3acb9"))
        c.rect(p, 12.5, p + 1, 14.5, hexrgb("#a3acb9"))
        c.rect(1.5, p, 3.5, p + 1, hexrgb("#a3acb9"))
        c.rect(12.5, p, 14.5, p + 1, hexrgb("#a3acb9"))
    c.circle(5.5, 5.5, 0.8, hexrgb("#a3acb9"))
    save(10, c)

    c = Canvas(16, 16, density)
    page(c, hexrgb("#d9dde5"))
    save(11, c)


def arrow(c, x, y, direction, size, rgb):
    s = size
    if direction == "left":
        c.poly([(x - s, y), (x + s * 0.6, y - s), (x + s * 0.6, y + s)], rgb)
    elif direction == "right":
        c.poly([(x + s, y), (x - s * 0.6, y - s), (x - s * 0.6, y + s)], rgb)
    elif direction == "up":
        c.poly([(x, y - s), (x - s, y + s * 0.6), (x + s, y + s * 0.6)], rgb)
    else:
        c.poly([(x, y + s), (x - s, y - s * 0.6), (x + s, y - s * 0.6)], rgb)


def folder(c, rgb=hexrgb("#f2c14e"), dark=hexrgb("#c9962a")):
    c.poly([(0.5, 3.5), (5.5, 3.5), (7, 5), (15.5, 5), (15.5, 14.5), (0.5, 14.5)], dark)
    c.rect(1.5, 6.5, 14.5, 13.5, rgb)


def list2_images(out, density=1):
    images = {}
    blue, green, red = hexrgb("#2f6fd8"), hexrgb("#2e9e57"), hexrgb("#d64545")

    c = Canvas(16, 16, density)  # 0 extract all: tiles leaving a box
    c.rect(1.5, 9.5, 14.5, 15.5, hexrgb("#8a6a43"))
    c.rect(2.5, 10.5, 13.5, 14.5, hexrgb("#c79a63"))
    c.rect(2.5, 1.5, 6.5, 5.5, hexrgb("#f0a202"))
    c.rect(9.5, 0.5, 13.5, 4.5, blue)
    c.line(8, 9, 8, 4.5, 1.6, green)
    arrow(c, 8, 4, "up", 2.6, green)
    images[0] = c

    c = Canvas(16, 16, density)  # 1 save: a disk
    c.rect(1.5, 1.5, 14.5, 14.5, hexrgb("#3b5b92"))
    c.rect(4, 1.5, 12, 6, hexrgb("#e8edf5"))
    c.rect(9.5, 2.5, 11, 5, hexrgb("#3b5b92"))
    c.rect(3.5, 8.5, 12.5, 14.5, hexrgb("#ffffff"))
    c.rect(4.5, 10, 11.5, 11, hexrgb("#9aa5b8"))
    c.rect(4.5, 12, 11.5, 13, hexrgb("#9aa5b8"))
    images[1] = c

    c = Canvas(16, 16, density)  # 2 exit: a door and an arrow
    c.rect(1.5, 1.5, 9.5, 15.5, hexrgb("#7a4e2d"))
    c.rect(2.5, 2.5, 8.5, 15.5, hexrgb("#b07a4f"))
    c.circle(7, 9, 0.8, hexrgb("#f2d27a"))
    c.line(8, 8.5, 13, 8.5, 1.8, red)
    arrow(c, 13.5, 8.5, "right", 2.6, red)
    images[2] = c

    c = Canvas(16, 16, density)  # 3 (unused): a folder
    folder(c)
    images[3] = c

    c = Canvas(16, 16, density)  # 4 (unused): refresh
    c.ring(8, 8, 6, 1.8, green)
    c.rect(8, 0, 16, 8, (0, 0, 0), 0)
    arrow(c, 13.2, 6.5, "down", 2.6, green)
    images[4] = c

    c = Canvas(16, 16, density)  # 5 (unused): a magnifier
    c.ring(6.5, 6.5, 5, 1.6, INK)
    c.circle(6.5, 6.5, 3.4, hexrgb("#cfe6ff"))
    c.line(10, 10, 14.5, 14.5, 2.2, INK)
    images[5] = c

    c = Canvas(16, 16, density)  # 6 first
    c.rect(2.5, 3, 4.5, 13, blue)
    arrow(c, 9, 8, "left", 5, blue)
    images[6] = c

    c = Canvas(16, 16, density)  # 7 previous
    arrow(c, 8, 8, "left", 5.5, blue)
    images[7] = c

    c = Canvas(16, 16, density)  # 8 next
    arrow(c, 8, 8, "right", 5.5, blue)
    images[8] = c

    c = Canvas(16, 16, density)  # 9 last
    arrow(c, 7, 8, "right", 5, blue)
    c.rect(11.5, 3, 13.5, 13, blue)
    images[9] = c

    c = Canvas(16, 16, density)  # 10 (unused): a list
    for y in (3, 7, 11):
        c.rect(1.5, y, 3.5, y + 2, blue)
        c.rect(5, y + 0.5, 14.5, y + 1.5, INK)
    images[10] = c

    c = Canvas(16, 16, density)  # 11 help: a question mark in a circle
    c.circle(8, 8, 7.3, hexrgb("#2f6fd8"))
    c.polyline([(5.4, 6.0), (5.8, 4.3), (8, 3.4), (10.2, 4.3), (10.5, 6.2), (8, 8.2), (8, 9.6)],
               1.9, hexrgb("#ffffff"))
    c.circle(8, 12.2, 1.1, hexrgb("#ffffff"))
    images[11] = c

    c = Canvas(16, 16, density)  # 12 about: an "i" in a circle
    c.circle(8, 8, 7.3, hexrgb("#1b998b"))
    c.circle(8, 4.5, 1.2, hexrgb("#ffffff"))
    c.rect(7, 6.8, 9, 12.5, hexrgb("#ffffff"))
    c.rect(6, 11.5, 10, 12.7, hexrgb("#ffffff"))
    images[12] = c

    c = Canvas(16, 16, density)  # 13 up: a folder with an up arrow
    folder(c)
    c.line(8, 12.5, 8, 8, 1.8, green)
    arrow(c, 8, 7.5, "up", 3, green)
    images[13] = c

    c = Canvas(16, 16, density)  # 14 options: a check list
    c.rect(1.5, 0.5, 14.5, 15.5, hexrgb("#7b8294"))
    c.rect(2.5, 1.5, 13.5, 14.5, hexrgb("#ffffff"))
    for y in (3.5, 7.5, 11.5):
        c.frame(3.5, y - 0.5, 6.5, y + 2.5, INK)
        c.rect(8, y + 0.5, 12.5, y + 1.5, hexrgb("#9aa5b8"))
    c.polyline([(3.8, 4.6), (4.9, 5.8), (7.2, 2.4)], 1.1, green)
    c.polyline([(3.8, 12.6), (4.9, 13.8), (7.2, 10.4)], 1.1, green)
    images[14] = c

    c = Canvas(16, 16, density)  # 15 remember last folder: a folder with a pin
    folder(c)
    c.line(11, 2, 11, 9, 1.0, INK)
    c.circle(11, 3, 2.4, red)
    images[15] = c

    c = Canvas(16, 16, density)  # 16 delete: a red cross
    c.line(3, 3, 13, 13, 2.6, red)
    c.line(13, 3, 3, 13, 2.6, red)
    images[16] = c

    c = Canvas(16, 16, density)  # 17 details: a magnifier over a list of sizes
    c.rect(1.5, 1.5, 10.5, 12.5, hexrgb("#7b8294"))
    c.rect(2.5, 2.5, 9.5, 11.5, hexrgb("#ffffff"))
    for y in (4, 6.5, 9):
        c.rect(3.5, y, 8.5, y + 1, hexrgb("#9aa5b8"))
    c.line(11.2, 11.2, 14.6, 14.6, 2.2, hexrgb("#6b4a2b"))
    c.ring(9, 9, 3.6, 1.3, INK)
    c.circle(9, 9, 2.4, hexrgb("#bfe0ff"), 0.85)
    images[17] = c

    for i, canvas in images.items():
        canvas.save(os.path.join(out, "images", "list2_%02d%s.png" % (i, suffix(density))))


# ---- message box symbols --------------------------------------------------------------

def message_icons(out, density=1):
    """The 32 x 32 symbols of the message boxes: information (a blue disc with an "i"),
    question (a green disc with a "?"), warning (an amber triangle with a "!") and error
    (a red disc with a cross), each with a soft shadow to the lower right."""
    shadow = (0.0, 0.0, 0.0)
    white = hexrgb("#ffffff")

    def disc(top, bottom):
        c = Canvas(32, 32, density)
        c.circle(16.8, 16.8, 14.2, shadow, 0.25)
        c.circle(16, 16, 14, hexrgb("#ffffff"))
        c.circle(16, 16, 13, lambda x, y: tuple(a + (b - a) * min(1.0, max(0.0, y / 30)) for a, b in zip(top, bottom)))
        return c

    c = disc(hexrgb("#5b9be6"), hexrgb("#1d4f9e"))
    c.circle(16, 9.2, 2.1, white)
    c.rect(13.2, 13, 18, 15, white)
    c.rect(14.4, 13, 18, 23, white)
    c.rect(12.8, 22, 19.6, 24, white)
    yield "msg_information", c

    c = disc(hexrgb("#5fc46a"), hexrgb("#1f7a33"))
    c.shape(lambda x, y: 3.0 <= math.hypot(x - 16, y - 12.5) <= 5.4 and not (x < 16 and y > 12.5), white)
    c.rect(14.8, 16.5, 17.2, 19.5, white)
    c.circle(16, 22.8, 1.6, white)
    yield "msg_question", c

    c = Canvas(32, 32, density)
    c.poly([(16.8, 3.6), (31.2, 29.6), (2.4, 29.6)], shadow, 0.25)
    c.poly([(16, 2), (30.5, 28.5), (1.5, 28.5)], hexrgb("#8a5a00"))
    c.poly([(16, 4.6), (28.2, 27.2), (3.8, 27.2)], lambda x, y: tuple(
        a + (b - a) * min(1.0, max(0.0, y / 28)) for a, b in zip(hexrgb("#ffe27a"), hexrgb("#f0a800"))))
    c.poly([(14.6, 10.5), (17.4, 10.5), (16.8, 20.5), (15.2, 20.5)], hexrgb("#1e1e1e"))
    c.circle(16, 23.6, 1.7, hexrgb("#1e1e1e"))
    yield "msg_warning", c

    c = disc(hexrgb("#ef5b4b"), hexrgb("#a01c12"))
    c.line(10.5, 10.5, 21.5, 21.5, 3.2, white)
    c.line(21.5, 10.5, 10.5, 21.5, 3.2, white)
    yield "msg_error", c


def message_images(out, density=1):
    for name, canvas in message_icons(out, density):
        canvas.save(os.path.join(out, "images", "%s%s.png" % (name, suffix(density))))


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "forms")
    tarnwell_frames(out)
    window_icon(out)
    for density in (1, 2):
        list1_images(out, density)
        list2_images(out, density)
        message_images(out, density)
