#!/usr/bin/env python3
"""Builds a 16-bit NE icon library (.icl) from images of icotool-made .ico files.

The library holds, in this stored order, an RT_STRING resource, a resource of a
named type, then the icons (RT_ICON, 0x8003) and the icon groups (RT_GROUP_ICON,
0x800E):
    SUNRISE  named group: 32 x 32 and 16 x 16, 4 bits (from depth4.ico, pal16_16)
    5        numeric group: 32 x 32, 1 bit (depth1.ico)
    MOON     named group: 32 x 32, 4 bits with mask, stored with the short
             12-byte BITMAPCOREHEADER (converted from masked4.ico)
    2        numeric group: 32 x 32, 8 bits (depth8.ico)
One more RT_ICON belongs to no group. Resources lie at multiples of 1 << shift.
With --cursor, the images of that icotool-made .cur file follow as cursors (RT_CURSOR,
0x8001, each image after its hot spot) in the cursor group 9 (RT_GROUP_CURSOR, 0x800C).

usage: make_icl.py --ico-dir DIR --shift N [--cursor FILE.cur] OUT
"""
import argparse
import os
import struct
import sys


def ico_images(path, kind_wanted=1):
    """The image data of every entry of an .ico (or .cur) file, with the entry's fields
    (for a cursor, the hot spot where an icon has planes and depth)."""
    data = open(path, "rb").read()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    assert kind == kind_wanted, path
    images = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append(((w, h, colours, planes, bits), data[offset:offset + size]))
    return images


def to_core_header(image):
    """Rewrites a BITMAPINFOHEADER image of 8 bits or less with a BITMAPCOREHEADER."""
    size, width, height, planes, bits = struct.unpack_from("<IiiHH", image, 0)
    assert size == 40 and bits <= 8
    used = struct.unpack_from("<I", image, 32)[0] or (1 << bits)
    palette = image[40:40 + 4 * used]
    triples = b"".join(palette[4 * i:4 * i + 3] for i in range(1 << bits))
    return struct.pack("<IHHHH", 12, width, height, planes, bits) + triples + image[40 + 4 * used:]


def group_directory(entries):
    """GRPICONDIR with 14-byte entries: (fields, data, icon id)."""
    out = struct.pack("<HHH", 0, 1, len(entries))
    for (w, h, colours, planes, bits), data, icon_id in entries:
        out += struct.pack("<BBBBHHIH", w, h, colours, 0, planes, bits, len(data), icon_id)
    return out


def cursor_directory(entries):
    """The cursor group: 14-byte entries with 16-bit width and doubled height, the
    image's planes and depth, the resource's size (hot spot included) and id."""
    out = struct.pack("<HHH", 0, 2, len(entries))
    for (w, h, _, _, _), data, cursor_id in entries:
        bits = struct.unpack_from("<H", data, 14)[0]
        out += struct.pack("<HHHHIH", w or 256, 2 * (h or 256), 1, bits, 4 + len(data), cursor_id)
    return out


def pstring(text):
    raw = text.encode("ascii")
    return bytes([len(raw)]) + raw


def build(ico_dir, shift, cursor_file=None):
    def first(name, size=None):
        for fields, data in ico_images(os.path.join(ico_dir, name)):
            if size is None or fields[0] == size:
                return fields, data
        raise SystemExit(f"{name}: no image of size {size}")

    sunrise32 = first("depth4.ico")
    sunrise16 = first("multi.ico", 16)
    single1 = first("depth1.ico")
    masked = first("masked4.ico")
    moon = (masked[0], to_core_header(masked[1]))
    single8 = first("depth8.ico")
    spare = first("depth24.ico")

    icons = [  # (icon id, fields, data)
        (1, *sunrise32), (2, *sunrise16), (3, *single1), (4, *moon), (5, *single8), (6, *spare),
    ]
    by_id = {i: (f, d) for i, f, d in icons}
    groups = [  # (name or id, [icon ids])
        ("SUNRISE", [1, 2]),
        (5, [3]),
        ("MOON", [4]),
        (2, [5]),
    ]
    group_data = [(name, group_directory([(by_id[i][0], by_id[i][1], i) for i in ids])) for name, ids in groups]
    strings = [("STRING", 0x8006, b"\x05Hello" + b"\0" * 15)]
    custom = [("CUSTOM", 1, b"custom data")]

    # Layout: MZ header, NE header, resource table, the other tables, then the data.
    ne_at = 0x80
    names = []  # strings of the resource table, after the type entries

    def name_offset(text):
        return ("name", text)

    types = [  # (type id or name, [(id or name, data)])
        (0x8006, [(0x8001, strings[0][2])]),
        (name_offset("CUSTOM"), [(0x8001, custom[0][2])]),
        (0x8003, [(0x8000 | i, d) for i, _, d in icons]),
        (0x800E, [(0x8000 | n if isinstance(n, int) else name_offset(n), d) for n, d in group_data]),
    ]
    if cursor_file:
        cursors = [(20 + k, f, d) for k, (f, d) in enumerate(ico_images(cursor_file, 2))]
        types.append((0x8001, [(0x8000 | i, struct.pack("<HH", f[3], f[4]) + d) for i, f, d in cursors]))
        types.append((0x800C, [(0x8000 | 9, cursor_directory([(f, d, i) for i, f, d in cursors]))]))
    table_len = 2 + sum(8 + 12 * len(items) for _, items in types) + 2
    string_pool = bytearray()
    string_at = {}

    def resolve(value):
        if isinstance(value, tuple):
            text = value[1]
            if text not in string_at:
                string_at[text] = table_len + len(string_pool)
                string_pool.extend(pstring(text))
            return string_at[text]
        return value

    resolved = [(resolve(t), [(resolve(n), d) for n, d in items]) for t, items in types]
    string_pool.append(0)
    resource_table_len = table_len + len(string_pool)

    header_len = 0x40
    resource_table_at = header_len
    resident_at = resource_table_at + resource_table_len
    resident = pstring("ICONLIB") + b"\0\0" + b"\0"
    modref_at = resident_at + len(resident)
    imported_at = modref_at
    imported = b"\0"
    entry_at = imported_at + len(imported)
    entry = b"\0\0"
    nonresident_rel = entry_at + len(entry)
    nonresident = pstring("Glimmerwick test icon library") + b"\0\0" + b"\0"
    end_of_tables = ne_at + nonresident_rel + len(nonresident)

    # Place the resource data at aligned offsets.
    unit = 1 << shift
    cursor = (end_of_tables + unit - 1) // unit * unit
    placed = []
    for _, items in resolved:
        row = []
        for name, data in items:
            units = (len(data) + unit - 1) // unit
            row.append((cursor // unit, units, name, data))
            cursor += units * unit
        placed.append(row)
    total = cursor

    table = bytearray(struct.pack("<H", shift))
    for (type_id, _), row in zip(resolved, placed):
        table += struct.pack("<HHI", type_id, len(row), 0)
        for offset, units, name, _ in row:
            # flags 0x0C30: movable, pure, preloaded (as resource compilers wrote them)
            table += struct.pack("<HHHHI", offset, units, 0x0C30, name, 0)
    table += struct.pack("<H", 0)
    assert len(table) == table_len
    table += string_pool

    ne = bytearray(header_len)
    struct.pack_into("<2sBBHH", ne, 0, b"NE", 5, 10, entry_at, len(entry))
    struct.pack_into("<H", ne, 0x0C, 0x8000)               # library module
    struct.pack_into("<H", ne, 0x1C, 0)                    # no segments
    struct.pack_into("<H", ne, 0x20, len(nonresident))
    struct.pack_into("<HHHHHI", ne, 0x22, resource_table_at, resource_table_at, resident_at,
                     modref_at, imported_at, ne_at + nonresident_rel)
    struct.pack_into("<H", ne, 0x32, shift)
    struct.pack_into("<H", ne, 0x34, sum(len(r) for r in placed))
    ne[0x36] = 2                                           # Windows
    struct.pack_into("<H", ne, 0x3E, 0x030A)

    mz = bytearray(ne_at)
    struct.pack_into("<2sHHHHHHHHHHHHH", mz, 0, b"MZ", 0x80, 1, 0, 4, 0x10, 0xFFFF, 0, 0xB8, 0, 0, 0, 0x40, 0)
    struct.pack_into("<I", mz, 0x3C, ne_at)
    # DOS stub: print a message and exit.
    stub = bytes([0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21])
    message = b"This is an icon library.\r\n$"
    mz[0x40:0x40 + len(stub)] = stub
    mz[0x4E:0x4E + len(message)] = message

    out = bytearray(total)
    out[0:ne_at] = mz
    tables = bytes(ne) + bytes(table) + resident + imported + entry + nonresident
    out[ne_at:ne_at + len(tables)] = tables
    for row in placed:
        for offset, _, _, data in row:
            out[offset * unit:offset * unit + len(data)] = data
    return bytes(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ico-dir", required=True)
    parser.add_argument("--shift", type=int, default=4)
    parser.add_argument("--cursor")
    parser.add_argument("out")
    args = parser.parse_args()
    with open(args.out, "wb") as f:
        f.write(build(args.ico_dir, args.shift, args.cursor))
    return 0


if __name__ == "__main__":
    sys.exit(main())
