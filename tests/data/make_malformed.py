#!/usr/bin/env python3
"""Derives a corpus of malformed files from the good fixtures.

Every file is a good fixture with one fault put in: cut short, an offset or size
pointing beyond the file, a resource directory that loops back or claims huge
entry counts, group entries naming missing icons, absurd or impossible image
headers, NE tables with a wild alignment shift or lengths. The reader must give a
sane count and no crash for each.

usage: make_malformed.py OUTDIR FIXTURE...   (writes OUTDIR/*.bin and OUTDIR/stamp)
"""
import os
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def u16(d, o):
    return struct.unpack_from("<H", d, o)[0]


def u32(d, o):
    return struct.unpack_from("<I", d, o)[0]


class Corpus:
    def __init__(self, out):
        self.out = out
        self.names = set()

    def add(self, name, data):
        assert name not in self.names, name
        self.names.add(name)
        with open(os.path.join(self.out, name + ".bin"), "wb") as f:
            f.write(bytes(data))

    def patched(self, name, data, *patches):
        """patches: (offset, struct format, value) applied to a copy of data."""
        d = bytearray(data)
        for offset, fmt, value in patches:
            if offset + struct.calcsize(fmt) <= len(d):
                struct.pack_into(fmt, d, offset, value)
        self.add(name, d)


def truncations(corpus, stem, data, extra=()):
    """Cuts at 1/32 steps of the size, at structure boundaries and one byte around them."""
    cuts = {len(data) * i // 32 for i in range(1, 32)}
    for o in extra:
        cuts.update({o - 1, o, o + 1})
    for cut in sorted(c for c in cuts if 0 < c < len(data)):
        corpus.add(f"{stem}-cut{cut}", data[:cut])


# Image header faults: (label, function(bytearray image) -> None), applied to one image.
def dib_faults():
    def put(o, fmt, v):
        return lambda d: struct.pack_into(fmt, d, o, v)
    return [
        ("width0", put(4, "<i", 0)),
        ("width1025", put(4, "<i", 1025)),
        ("widthmax", put(4, "<i", 0x7FFFFFFF)),
        ("widthneg", put(4, "<i", -32)),
        ("height0", put(8, "<i", 0)),
        ("height1", put(8, "<i", 1)),
        ("heightneg", put(8, "<i", -64)),
        ("heighthuge", put(8, "<i", 0x7FFFFFFE)),
        ("bits0", put(14, "<H", 0)),
        ("bits3", put(14, "<H", 3)),
        ("bits64", put(14, "<H", 64)),
        ("bitsmax", put(14, "<H", 0xFFFF)),
        ("rle8", put(16, "<I", 1)),
        ("bitfields", put(16, "<I", 3)),
        ("jpeg", put(16, "<I", 4)),
        ("compmax", put(16, "<I", 0xFFFFFFFF)),
        ("clrusedmax", put(32, "<I", 0xFFFFFFFF)),
        ("clrused300", put(32, "<I", 300)),
        ("hdr0", put(0, "<I", 0)),
        ("hdr12", put(0, "<I", 12)),
        ("hdr39", put(0, "<I", 39)),
        ("hdr124", put(0, "<I", 124)),
        ("hdrmax", put(0, "<I", 0xFFFFFFFF)),
    ]


def png_faults():
    def ihdr(w, h, depth=8, colour=6):
        def f(d):
            struct.pack_into(">IIBB", d, 16, w, h, depth, colour)
            struct.pack_into(">I", d, 29, zlib.crc32(bytes(d[12:29])) & 0xFFFFFFFF)
        return f

    def idat_cut(d):
        at = d.find(b"IDAT")
        if at > 4:
            del d[at + 4 + 8:]

    def chunk_len(d):
        struct.pack_into(">I", d, 8, 0xFFFFFFF0)

    return [
        ("pngwidth0", ihdr(0, 32)),
        ("pngwidthmax", ihdr(0x7FFFFFFF, 32)),
        ("png2048", ihdr(2048, 2048)),
        ("pngdepth3", ihdr(32, 32, 3)),
        ("pngcolour9", ihdr(32, 32, 8, 9)),
        ("pngidatcut", idat_cut),
        ("pngchunklen", chunk_len),
    ]


def image_faults(image):
    if bytes(image[:8]) == PNG_SIGNATURE:
        return png_faults()
    return dib_faults()


def mutate_images(corpus, stem, data, extents):
    """Puts each image fault into every image of a file (extents: (offset, size) of images)."""
    seen = set()
    for offset, size in extents:
        image = bytes(data[offset:offset + size])
        for label, fault in image_faults(image):
            if label in seen:
                continue  # one file per fault: the first image of each kind carries it
            seen.add(label)
            d = bytearray(data)
            img = bytearray(image)
            fault(img)
            d[offset:offset + size] = img[:size] + bytes(max(0, size - len(img)))
            corpus.add(f"{stem}-{label}", d)


# ---- .ico files ----

def ico_extents(data):
    count = u16(data, 4)
    return [(u32(data, 6 + 16 * i + 12), u32(data, 6 + 16 * i + 8)) for i in range(count)]


def ico_corpus(corpus, stem, data):
    count = u16(data, 4)
    truncations(corpus, stem, data, [6, 22] + [o for o, _ in ico_extents(data)])
    corpus.patched(f"{stem}-count0", data, (4, "<H", 0))
    corpus.patched(f"{stem}-countmax", data, (4, "<H", 0xFFFF))
    for i in range(count):
        e = 6 + 16 * i
        corpus.patched(f"{stem}-e{i}-offsetmax", data, (e + 12, "<I", 0xFFFFFFFF))
        corpus.patched(f"{stem}-e{i}-offsetend", data, (e + 12, "<I", len(data) - 4))
        corpus.patched(f"{stem}-e{i}-sizemax", data, (e + 8, "<I", 0xFFFFFFFF))
        corpus.patched(f"{stem}-e{i}-size0", data, (e + 8, "<I", 0))
        corpus.patched(f"{stem}-e{i}-size8", data, (e + 8, "<I", 8))
    mutate_images(corpus, stem, data, ico_extents(data))


# ---- PE files ----

class Pe:
    def __init__(self, data):
        self.data = data
        self.pe = u32(data, 0x3C)
        coff = self.pe + 4
        self.section_count_at = coff + 2
        self.optional_size_at = coff + 16
        opt = coff + 20
        magic = u16(data, opt)
        dirs = opt + (96 if magic == 0x10B else 112)
        self.res_dir_at = dirs + 16
        res_rva = u32(data, self.res_dir_at)
        self.sections_at = opt + u16(data, self.optional_size_at)
        self.sections = []
        for i in range(u16(data, self.section_count_at)):
            s = self.sections_at + 40 * i
            self.sections.append((s, u32(data, s + 12), u32(data, s + 8), u32(data, s + 16), u32(data, s + 20)))
        self.root = self.offset(res_rva)
        # Directory entries by level: (entry offset, name field, target field)
        self.types, self.names, self.langs, self.data_entries = [], [], [], []
        for t in self.entries(self.root):
            self.types.append(t)
            if not (t[2] & 0x80000000):
                continue
            for n in self.entries(self.root + (t[2] & 0x7FFFFFFF)):
                self.names.append((t[1], n))
                for lang in self.entries(self.root + (n[2] & 0x7FFFFFFF)):
                    self.langs.append((t[1], lang))
                    self.data_entries.append((t[1], self.root + lang[2]))

    def offset(self, rva):
        for _, va, vsize, raw_size, raw_off in self.sections:
            if va <= rva < va + max(vsize, raw_size):
                return raw_off + rva - va
        raise ValueError("rva outside the sections")

    def entries(self, at):
        count = u16(self.data, at + 12) + u16(self.data, at + 14)
        return [(at + 16 + 8 * i, u32(self.data, at + 16 + 8 * i), u32(self.data, at + 20 + 8 * i))
                for i in range(count)]

    def extents(self, type_id):
        return [(self.offset(u32(self.data, e)), u32(self.data, e + 4)) for t, e in self.data_entries if t == type_id]


def pe_corpus(corpus, stem, data):
    pe = Pe(data)
    root = pe.root
    group_type = next(t for t in pe.types if t[1] == 14)
    group_names = [n for t, n in pe.names if t == 14]
    group_langs = [lang for t, lang in pe.langs if t == 14]
    group_dir = root + (group_type[2] & 0x7FFFFFFF)
    boundaries = [2, 0x3C, 0x40, pe.pe, pe.pe + 4, pe.pe + 24, pe.sections_at, root, root + 16, group_dir,
                  group_dir + 16] + [o for o, _ in pe.extents(14)] + [o for o, _ in pe.extents(3)]
    truncations(corpus, stem, data, boundaries)

    P = corpus.patched
    # The resource tree loops back on itself.
    P(f"{stem}-typeloop", data, (group_type[0] + 4, "<I", 0x80000000))
    P(f"{stem}-nameloop", data, (group_names[0][0] + 4, "<I", 0x80000000))
    P(f"{stem}-selfloop", data, (group_names[0][0] + 4, "<I", 0x80000000 | (group_dir - root)))
    name_dir = root + (group_names[0][2] & 0x7FFFFFFF)
    P(f"{stem}-langloop", data, (group_langs[0][0] + 4, "<I", 0x80000000 | (name_dir - root)))
    # Every level points one level deeper into the same directory: nesting without end.
    d = bytearray(data)
    for t in pe.types:
        struct.pack_into("<I", d, t[0] + 4, 0x80000000)
    for _, n in pe.names:
        struct.pack_into("<I", d, n[0] + 4, 0x80000000)
    for _, lang in pe.langs:
        struct.pack_into("<I", d, lang[0] + 4, 0x80000000)
    corpus.add(f"{stem}-deepnest", d)
    # Huge entry counts.
    P(f"{stem}-rootcount", data, (root + 12, "<H", 0xFFFF), (root + 14, "<H", 0xFFFF))
    P(f"{stem}-groupcount", data, (group_dir + 14, "<H", 0xFFFF))
    P(f"{stem}-langcount", data, (name_dir + 14, "<H", 0xFFFF))
    # Data entries and names pointing beyond the file.
    for label, field, value in (("rvamax", 0, 0xFFFFFFF0), ("sizemax", 4, 0xFFFFFFFF), ("size0", 4, 0),
                                ("rva0", 0, 0)):
        d = bytearray(data)
        for _, e in pe.data_entries:
            struct.pack_into("<I", d, e + field, value)
        corpus.add(f"{stem}-data-{label}", d)
    P(f"{stem}-datatarget", data, (group_langs[0][0] + 4, "<I", 0x7FFFFFF0))
    P(f"{stem}-nameoffset", data, (group_names[0][0], "<I", 0xFFFFFFF0))
    if group_names[0][1] & 0x80000000:
        P(f"{stem}-namelength", data, (root + (group_names[0][1] & 0x7FFFFFFF), "<H", 0xFFFF))
    # Headers and sections.
    P(f"{stem}-resrva", data, (pe.res_dir_at, "<I", 0x7FFFFFF0))
    P(f"{stem}-sections0", data, (pe.section_count_at, "<H", 0))
    P(f"{stem}-sectionsmax", data, (pe.section_count_at, "<H", 0xFFFF))
    P(f"{stem}-optsize0", data, (pe.optional_size_at, "<H", 0))
    P(f"{stem}-optsizemax", data, (pe.optional_size_at, "<H", 0xFFFF))
    P(f"{stem}-lfanewmax", data, (0x3C, "<I", 0xFFFFFFF0))
    for s, *_ in pe.sections:
        P(f"{stem}-sec{s}-rawoff", data, (s + 20, "<I", 0xFFFFFF00))
        P(f"{stem}-sec{s}-rawsize", data, (s + 16, "<I", 0xFFFFFFFF))
        P(f"{stem}-sec{s}-vsize", data, (s + 8, "<I", 0xFFFFFFFF))
    # Group directories: huge counts, entries naming missing or zero icons.
    for label, patch in (("grpcount", lambda d, o, n: struct.pack_into("<H", d, o + 4, 0xFFFF)),
                         ("grpmissing", lambda d, o, n: [struct.pack_into("<H", d, o + 6 + 14 * i + 12, 0x7FFF)
                                                         for i in range(n)]),
                         ("grpzero", lambda d, o, n: [struct.pack_into("<H", d, o + 6 + 14 * i + 12, 0)
                                                      for i in range(n)])):
        d = bytearray(data)
        for o, size in pe.extents(14):
            patch(d, o, min(u16(data, o + 4), (size - 6) // 14))
        corpus.add(f"{stem}-{label}", d)
    mutate_images(corpus, stem, data, pe.extents(3))


# ---- NE files ----

def ne_corpus(corpus, stem, data):
    ne = u32(data, 0x3C)
    table = ne + u16(data, ne + 0x24)
    shift = u16(data, table)
    entries = []  # (type id, offset of NAMEINFO)
    at = table + 2
    while u16(data, at):
        type_id, count = u16(data, at), u16(data, at + 2)
        for i in range(count):
            entries.append((type_id, at + 8 + 12 * i))
        at += 8 + 12 * count
    truncations(corpus, stem, data, [ne, ne + 0x24, table, table + 2, at] +
                [u16(data, e) << shift for _, e in entries])

    P = corpus.patched
    for value in (0, 15, 16, 25, 30, 31, 0xFFFF):
        P(f"{stem}-shift{value}", data, (table, "<H", value))
    P(f"{stem}-tablemax", data, (ne + 0x24, "<H", 0xFFFF))
    P(f"{stem}-noresources", data, (ne + 0x26, "<H", u16(data, ne + 0x24)))
    P(f"{stem}-lfanewend", data, (0x3C, "<I", len(data) - 2))
    for label, field, value in (("lengthmax", 2, 0xFFFF), ("offsetmax", 0, 0xFFFF), ("length0", 2, 0),
                                ("nameoffset", 6, 0x7FFF)):
        d = bytearray(data)
        for _, e in entries:
            struct.pack_into("<H", d, e + field, value)
        corpus.add(f"{stem}-{label}", d)
    # Shift 30 with lengths beyond the file.
    d = bytearray(data)
    struct.pack_into("<H", d, table, 30)
    for _, e in entries:
        struct.pack_into("<H", d, e + 2, 0xFFFF)
    corpus.add(f"{stem}-shift30-lengthmax", d)
    # Type counts that run past the table.
    first_type = table + 2
    P(f"{stem}-typecount", data, (first_type + 2, "<H", 0xFFFF))
    # Names whose length byte runs past the end.
    d = bytearray(data)
    for type_id, e in entries:
        name = u16(data, e + 6)
        if not (name & 0x8000):
            d[table + name] = 0xFF
    corpus.add(f"{stem}-namelen", d)
    icons = [(u16(data, e) << shift, u16(data, e + 2) << shift) for t, e in entries if t == 0x8003]
    groups = [(u16(data, e) << shift, u16(data, e + 2) << shift) for t, e in entries if t == 0x800E]
    d = bytearray(data)
    for o, _ in groups:
        for i in range(u16(data, o + 4)):
            struct.pack_into("<H", d, o + 6 + 14 * i + 12, 0x7FFF)
    corpus.add(f"{stem}-grpmissing", d)
    d = bytearray(data)
    for o, _ in groups:
        struct.pack_into("<H", d, o + 4, 0xFFFF)
    corpus.add(f"{stem}-grpcount", d)
    dibs = [(o, n) for o, n in icons if u32(data, o) == 40]
    mutate_images(corpus, stem, data, dibs)
    # The short (12-byte) header: impossible sizes and depths.
    cores = [o for o, _ in icons if u32(data, o) == 12]
    for label, fmt, field, value in (("corewidth0", "<H", 4, 0), ("corewidthmax", "<H", 4, 0xFFFF),
                                     ("coreheight0", "<H", 6, 0), ("coreheightmax", "<H", 6, 0xFFFF),
                                     ("corebits3", "<H", 10, 3), ("corebits32", "<H", 10, 32)):
        P(f"{stem}-{label}", data, *[(o + field, fmt, value) for o in cores])


def misc_corpus(corpus):
    corpus.add("empty", b"")
    corpus.add("m", b"M")
    corpus.add("mz", b"MZ")
    corpus.add("mz-lfanew-beyond", b"MZ" + b"\0" * 58 + struct.pack("<I", 0x1000))
    corpus.add("mz-pe-only", b"MZ" + b"\0" * 58 + struct.pack("<I", 64) + b"PE\0\0")
    corpus.add("mz-ne-only", b"MZ" + b"\0" * 58 + struct.pack("<I", 64) + b"NE")
    corpus.add("ico-header-only", struct.pack("<HHH", 0, 1, 1))
    corpus.add("ico-entry-only", struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, 1, 32, 40, 22))
    corpus.add("png-signature", PNG_SIGNATURE)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for old in os.listdir(out):
        if old.endswith(".bin"):
            os.remove(os.path.join(out, old))
    corpus = Corpus(out)
    misc_corpus(corpus)
    for path in sys.argv[2:]:
        data = open(path, "rb").read()
        stem = os.path.basename(path).replace(".", "_")
        if data[:4] == b"\0\0\1\0":
            ico_corpus(corpus, stem, data)
        elif data[:2] == b"MZ" and data[u32(data, 0x3C):u32(data, 0x3C) + 4] == b"PE\0\0":
            pe_corpus(corpus, stem, data)
        elif data[:2] == b"MZ" and data[u32(data, 0x3C):u32(data, 0x3C) + 2] == b"NE":
            ne_corpus(corpus, stem, data)
        else:
            raise SystemExit(f"{path}: unknown kind")
    with open(os.path.join(out, "stamp"), "w") as f:
        f.write(f"{len(corpus.names)} files\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
