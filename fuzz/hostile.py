#!/usr/bin/env python3
"""Writes the reproducers of the defects found while fuzzing to tests/crashers/ and
copies each into the fuzz corpus whose target reaches it.

Each file is small but once cost far more than its size:
  language_directory_shared_by_every_name.dll  every icon and group name points at one
      long language directory whose data entries all point nowhere: the directory
      was scanned once per name, the square of the file size.
  overlapping_language_directories.dll  every icon name points at its own language
      directory, each starting eight bytes after the last inside one long run of
      entries that point nowhere: each directory was scanned in full.
  overlapping_long_group_names.dll  group names start one byte apart inside one long
      run of text, so each name is a different string of up to 16K characters: every
      group kept its own copy, 70 MB for a file of 45 KB.
  broken_png_named_256_times.ico  256 entries name one 1024 x 1024 PNG whose image
      data is cut short at its end: every entry cost a full decode, seconds for one icon.

usage: hostile.py   (run from anywhere; writes into the repository)
"""
import random
import shutil
import struct
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CRASHERS = ROOT / 'tests' / 'crashers'
CORPUS = ROOT / 'fuzz' / 'corpus'
RVA = 0x1000
NOWHERE = 0x7FFF0000  # an address outside every section


def pe32(rsrc):
    """A PE32 image whose one section, .rsrc at file offset 0x200, holds `rsrc`."""
    mz = bytearray(0x40)
    mz[0:2] = b'MZ'
    struct.pack_into('<I', mz, 0x3C, 0x40)
    coff = struct.pack('<4sHHIIIHH', b'PE\0\0', 0x14C, 1, 0, 0, 0, 224, 0x2102)
    opt = bytearray(224)
    struct.pack_into('<H', opt, 0, 0x10B)
    struct.pack_into('<I', opt, 28, 0x10000000)
    struct.pack_into('<II', opt, 32, 0x1000, 0x200)
    struct.pack_into('<II', opt, 56, RVA + len(rsrc), 0x200)
    struct.pack_into('<I', opt, 92, 16)
    struct.pack_into('<II', opt, 96 + 16, RVA, len(rsrc))
    section = struct.pack('<8sIIIIIIHHI', b'.rsrc', len(rsrc), RVA, len(rsrc), 0x200, 0, 0, 0, 0, 0x40000040)
    head = bytes(mz) + coff + bytes(opt) + section
    return head + bytes(0x200 - len(head)) + rsrc


def directory(entries, named=0):
    return (struct.pack('<IIHHHH', 0, 0, 0, 0, named, len(entries) - named)
            + b''.join(struct.pack('<II', name, target) for name, target in entries))


def shared_language_directory(n=2000):
    icons_at = 16 + 2 * 8
    groups_at = icons_at + 16 + 8 * n
    langs_at = groups_at + 16 + 8 * n
    data_at = langs_at + 16 + 8 * n
    sub = 0x80000000
    return pe32(directory([(3, sub | icons_at), (14, sub | groups_at)])
                + directory([(i + 1, sub | langs_at) for i in range(n)])
                + directory([(i + 1, sub | langs_at) for i in range(n)])
                + directory([(1033 + i, data_at) for i in range(n)])
                + struct.pack('<IIII', NOWHERE, 16, 0, 0))


def overlapping_language_directories(n=3000):
    sub = 0x80000000
    groups_at = 16 + 2 * 8
    group_langs_at = groups_at + 16 + 8
    icons_at = group_langs_at + 16 + 8
    region_at = icons_at + 16 + 8 * n
    # Every entry's target doubles as the entry counts of the directory that starts
    # eight bytes before it: 0x7FFF named and 0x7FFF numbered entries.
    run = struct.pack('<IIHHHH', 0, 0, 0, 0, 0x7FFF, 0x7FFF) + struct.pack('<II', 1033, 0x7FFF7FFF) * n
    return pe32(directory([(3, sub | icons_at), (14, sub | groups_at)])
                + directory([(1, sub | group_langs_at)])
                + directory([(1033, 0x7FFF7FFF)])
                + directory([(i + 1, sub | (region_at + 8 * i)) for i in range(n)])
                + run)


def overlapping_long_names(n=1500, text=33000):
    rnd = random.Random(1)
    sub = 0x80000000
    groups_at = 16 + 8
    names_at = groups_at + 16 + 8 * n
    langs_at = names_at + text
    # Bytes 0x20-0x3F: every offset reads as a length of 8K-16K characters.
    return pe32(directory([(14, sub | groups_at)])
                + directory([(sub | (names_at + i), sub | langs_at) for i in range(n)], named=n)
                + bytes(rnd.randrange(0x20, 0x40) for _ in range(text))
                + directory([(1033, langs_at + 24)])
                + struct.pack('<IIII', NOWHERE, 16, 0, 0))


def broken_png_named_many_times(n=256):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    side = 1024
    pixels = zlib.compress((b'\0' + b'\x80' * (side * 4)) * side, 9)
    png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', side, side, 8, 6, 0, 0, 0))
           + chunk(b'IDAT', pixels[:-20]) + chunk(b'IEND', b''))
    entries = b''.join(struct.pack('<BBBBHHII', 0, 0, 0, 0, 1, 32, len(png), 6 + 16 * n) for _ in range(n))
    return struct.pack('<HHH', 0, 1, n) + entries + png


def main():
    files = {
        ('language_directory_shared_by_every_name.dll', 'pe'): shared_language_directory(),
        ('overlapping_language_directories.dll', 'pe'): overlapping_language_directories(),
        ('overlapping_long_group_names.dll', 'pe'): overlapping_long_names(),
        ('broken_png_named_256_times.ico', 'ico'): broken_png_named_many_times(),
    }
    CRASHERS.mkdir(parents=True, exist_ok=True)
    for (name, target), data in files.items():
        (CRASHERS / name).write_bytes(data)
        shutil.copyfile(CRASHERS / name, CORPUS / target / name)


if __name__ == '__main__':
    main()
