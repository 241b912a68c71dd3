#!/usr/bin/env python3
"""Writes a PE32+ resource-only library with GROUPS icon groups, all of one image.

    make_many_groups.py ICO GROUPS OUT

The image is the first of ICO; icon 1 holds it and groups 1 ... GROUPS each name icon 1
through a directory of their own. windres takes minutes over tens of thousands of
resources, so the file is laid out here: headers, one .rsrc section, and the resource
tree as the PE format describes it (wrestool reads it back in the tests).
"""
import struct
import sys


def align(n, a):
    return (n + a - 1) // a * a


def resources(image, entry, groups, rva):
    """The .rsrc section's bytes, placed at `rva`."""
    # Offsets within the section, in the order the parts are laid out.
    root, icon_type, icon_lang = 0, 32, 56
    group_type = 80
    group_langs = group_type + 16 + 8 * groups
    icon_data_entry = group_langs + 24 * groups
    group_data_entries = icon_data_entry + 16
    group_dirs = group_data_entries + 16 * groups
    image_at = align(group_dirs + 20 * groups, 8)
    out = bytearray(image_at + len(image))

    def directory(at, ids):
        struct.pack_into("<IIHHHH", out, at, 0, 0, 0, 0, 0, len(ids))
        for i, (name, target) in enumerate(ids):
            struct.pack_into("<II", out, at + 16 + 8 * i, name, target)

    subdir = 0x80000000
    directory(root, [(3, subdir | icon_type), (14, subdir | group_type)])
    directory(icon_type, [(1, subdir | icon_lang)])
    directory(icon_lang, [(1033, icon_data_entry)])
    struct.pack_into("<IIII", out, icon_data_entry, rva + image_at, len(image), 0, 0)
    directory(group_type, [(g + 1, subdir | (group_langs + 24 * g)) for g in range(groups)])
    for g in range(groups):
        directory(group_langs + 24 * g, [(1033, group_data_entries + 16 * g)])
        struct.pack_into("<IIII", out, group_data_entries + 16 * g, rva + group_dirs + 20 * g, 20, 0, 0)
        # GRPICONDIR with one entry: the .ico entry's fields, icon ID 1.
        out[group_dirs + 20 * g:group_dirs + 20 * g + 20] = struct.pack("<HHH", 0, 1, 1) + entry + struct.pack("<H", 1)
    out[image_at:] = image
    return bytes(out)


def main():
    ico_path, groups, out_path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    ico = open(ico_path, "rb").read()
    size, offset = struct.unpack_from("<II", ico, 6 + 8)
    image = ico[offset:offset + size]
    entry = ico[6:6 + 12]  # width ... bytes of the first entry

    file_align, section_align, rsrc_rva, headers = 0x200, 0x1000, 0x1000, 0x200
    rsrc = resources(image, entry, groups, rsrc_rva)
    raw_size = align(len(rsrc), file_align)

    dos = bytearray(0x40)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 0x40)
    # COFF header: x86-64, one section, a 240-byte optional header, a DLL.
    coff = b"PE\0\0" + struct.pack("<HHIIIHH", 0x8664, 1, 0, 0, 0, 240, 0x2022)
    directories = [(0, 0)] * 16
    directories[2] = (rsrc_rva, len(rsrc))
    optional = struct.pack("<HBBIIIII", 0x20B, 0, 0, 0, raw_size, 0, 0, rsrc_rva)
    optional += struct.pack("<QIIHHHHHHIIIIHHQQQQII", 0x180000000, section_align, file_align, 6, 0, 0, 0, 6, 0,
                            0, rsrc_rva + align(len(rsrc), section_align), headers, 0, 2, 0,
                            0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    optional += b"".join(struct.pack("<II", *d) for d in directories)
    section = struct.pack("<8sIIIIIIHHI", b".rsrc", len(rsrc), rsrc_rva, raw_size, headers, 0, 0, 0, 0, 0x40000040)
    head = bytes(dos) + coff + optional + section
    with open(out_path, "wb") as f:
        f.write(head + bytes(headers - len(head)) + rsrc + bytes(raw_size - len(rsrc)))


main()
