#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz corpora: source PNGs for icotool, DIB
variants icotool cannot make, PNG colour types and a 16-bit NE icon library.

    seedgen.py sources DIR          source PNGs for icotool
    seedgen.py dibs DIR             DIB images (16-bit, bit fields, core header, ...)
    seedgen.py pngs DIR             PNG colour types, depths and interlacing
    seedgen.py slice ICO DIR PREFIX each image of an .ico file as its own file
    seedgen.py ne ICO OUT           an NE icon library holding the images of ICO
"""
import struct
import sys
import zlib
from pathlib import Path


# --- PNG ---------------------------------------------------------------------------

def png_chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def pack_row(samples, depth):
    """Packs one row of integer samples at `depth` bits each."""
    if depth == 8:
        return bytes(samples)
    if depth == 16:
        return b''.join(struct.pack('>H', s) for s in samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def png(w, h, color_type, depth, sample, palette=None, trns=None, interlace=False):
    """`sample(x, y)` gives the tuple of channel values of one pixel."""
    def rows(xs, ys):
        return b''.join(b'\0' + pack_row([c for x in xs for c in sample(x, y)], depth) for y in ys)
    if interlace:
        raw = b''
        for x0, y0, dx, dy in ADAM7:
            xs, ys = range(x0, w, dx), range(y0, h, dy)
            if len(xs) and len(ys):
                raw += rows(xs, ys)
    else:
        raw = rows(range(w), range(h))
    out = b'\x89PNG\r\n\x1a\n'
    out += png_chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, depth, color_type, 0, 0, int(interlace)))
    if palette:
        out += png_chunk(b'PLTE', b''.join(bytes(c) for c in palette))
    if trns is not None:
        out += png_chunk(b'tRNS', trns)
    out += png_chunk(b'IDAT', zlib.compress(raw, 9)) + png_chunk(b'IEND', b'')
    return out


def rgba_png(w, h, fn):
    return png(w, h, 6, 8, fn)


# Patterns: small enough to compress well, varied enough to exercise the decoders.
def ring(x, y, w):
    c = w / 2 - 0.5
    return int(((x - c) ** 2 + (y - c) ** 2) ** 0.5)


def source_images():
    grid16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
              (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
              (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
    return {
        # at most 16 colours with binary transparency: a 4-bit image
        's16_4.png': rgba_png(16, 16, lambda x, y: grid16[(x // 4 + y // 4 * 4) % 16] + ((0,) if ring(x, y, 16) > 7 else (255,))),
        's32_4.png': rgba_png(32, 32, lambda x, y: grid16[ring(x, y, 32) % 16] + ((0,) if ring(x, y, 32) > 15 else (255,))),
        # two colours: a 1-bit image
        's32_1.png': rgba_png(32, 32, lambda x, y: ((0, 0, 0) if (x ^ y) & 4 else (255, 255, 255)) + (255,)),
        # a few dozen colours: an 8-bit image
        's16_8.png': rgba_png(16, 16, lambda x, y: (x * 16, y * 16, (x * y) & 0xC0, 255)),
        # many colours, opaque: a 24-bit image
        's24_24.png': rgba_png(24, 24, lambda x, y: (x * 10, y * 10, (x + y) * 5, 255)),
        # partial alpha: a 32-bit image
        's16_32.png': rgba_png(16, 16, lambda x, y: (255 - x * 16, y * 16, 200, min(255, x * y * 2))),
        # the large Vista-style image, kept as PNG inside the icon
        's256.png': rgba_png(256, 256, lambda x, y: (0, 96, 160, 255) if ring(x, y, 256) < 100 and ring(x, y, 256) % 20 < 10
                             else (255, 255, 255, 0)),
    }


def png_variants():
    grey = lambda x, y: (x * 17 % 256,)
    return {
        'grey1.png': png(16, 16, 0, 1, lambda x, y: ((x ^ y) & 1,)),
        'grey4.png': png(16, 16, 0, 4, lambda x, y: ((x + y) % 16,)),
        'grey8_trns.png': png(16, 16, 0, 8, grey, trns=struct.pack('>H', 0)),
        'grey16.png': png(8, 8, 0, 16, lambda x, y: (x * 8000,)),
        'greyalpha8.png': png(16, 16, 4, 8, lambda x, y: (x * 16, y * 16)),
        'greyalpha16.png': png(8, 8, 4, 16, lambda x, y: (x * 8000, y * 8000)),
        'rgb8.png': png(16, 16, 2, 8, lambda x, y: (x * 16, y * 16, 77)),
        'rgb16_trns.png': png(8, 8, 2, 16, lambda x, y: (x * 8000, 0, y * 8000), trns=struct.pack('>HHH', 0, 0, 0)),
        'palette2.png': png(16, 16, 3, 2, lambda x, y: ((x // 4 + y // 4) % 4,),
                            palette=[(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)], trns=bytes([0, 128])),
        'palette8.png': png(16, 16, 3, 8, lambda x, y: (x + y,), palette=[(i * 8, 255 - i * 8, i * 4) for i in range(31)]),
        'rgba16.png': png(8, 8, 6, 16, lambda x, y: (x * 8000, y * 8000, 30000, (x + y) * 4000)),
        'rgba8_interlaced.png': png(17, 13, 6, 8, lambda x, y: (x * 15, y * 19, 90, 255 - x * 15), interlace=True),
        'palette4_interlaced.png': png(9, 9, 3, 4, lambda x, y: ((x * y) % 16,),
                                       palette=[(i * 16, i * 16, 255 - i * 16) for i in range(16)], interlace=True),
    }


# --- DIB ---------------------------------------------------------------------------

def row_bytes(w, bits):
    return (w * bits + 31) // 32 * 4


def info_header(w, h, bits, compression=0, colors_used=0, size=40, masks=None):
    head = struct.pack('<IiiHHIIiiII', size, w, 2 * h, 1, bits, compression,
                       0, 0, 0, colors_used, 0)
    if size > 40:
        extra = struct.pack('<IIII', *(masks or (0, 0, 0, 0)))
        head += extra + bytes(size - 40 - len(extra))
    return head


def and_mask(w, h, transparent):
    stride = row_bytes(w, 1)
    out = bytearray(stride * h)
    for row in range(h):
        y = h - 1 - row
        for x in range(w):
            if transparent(x, y):
                out[row * stride + x // 8] |= 0x80 >> (x % 8)
    return bytes(out)


def xor_bits(w, h, bits, pixel):
    """`pixel(x, y)` gives the packed value of one pixel (an index or a colour word)."""
    stride = row_bytes(w, bits)
    out = bytearray()
    for row in range(h):
        y = h - 1 - row
        if bits < 8:
            line = pack_row([pixel(x, y) for x in range(w)], bits)
        else:
            line = b''.join(pixel(x, y).to_bytes(bits // 8, 'little') for x in range(w))
        out += line + bytes(stride - len(line))
    return bytes(out)


def dib_variants():
    edge = lambda x, y: x == 0 or y == 0
    out = {}
    # 16 bits without compression: five bits per channel
    out['rgb555_16.dib'] = info_header(16, 16, 16) + xor_bits(16, 16, 16, lambda x, y: (x << 10) | (y << 5) | 7) + and_mask(16, 16, edge)
    # 16 bits with bit fields after the plain header: 5-6-5
    out['bitfields565_16.dib'] = (info_header(16, 16, 16, compression=3) + struct.pack('<III', 0xF800, 0x07E0, 0x001F)
                                  + xor_bits(16, 16, 16, lambda x, y: (x << 11) | (y << 6) | 3) + and_mask(16, 16, edge))
    # 32 bits with bit fields and an alpha mask in a V4-sized header
    out['bitfields_alpha_32.dib'] = (info_header(16, 16, 32, compression=3, size=108,
                                                 masks=(0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000))
                                     + xor_bits(16, 16, 32, lambda x, y: ((x * 16) << 24) | ((y * 16) << 16) | 0x4080)
                                     + and_mask(16, 16, lambda x, y: False))
    # 32 bits whose alpha is all zero: the AND mask decides
    out['zero_alpha_32.dib'] = (info_header(16, 16, 32) + xor_bits(16, 16, 32, lambda x, y: (x * 16 << 16) | (y * 16))
                                + and_mask(16, 16, lambda x, y: (x + y) % 3 == 0))
    # 8 bits with a short colour table
    table = b''.join(struct.pack('<BBBB', i * 12, 255 - i * 12, i * 6, 0) for i in range(20))
    out['short_table_8.dib'] = (info_header(20, 12, 8, colors_used=20) + table
                                + xor_bits(20, 12, 8, lambda x, y: (x + y) % 20) + and_mask(20, 12, edge))
    # the 12-byte core header of old icons, with a 3-byte colour table
    core = struct.pack('<IHHHH', 12, 16, 32, 1, 4)
    core += b''.join(struct.pack('<BBB', i * 16, 255 - i * 16, 128) for i in range(16))
    out['core_header_4.dib'] = core + xor_bits(16, 16, 4, lambda x, y: (x ^ y) & 15) + and_mask(16, 16, edge)
    # a mask cut short: the missing rows count as opaque
    full = info_header(8, 8, 24) + xor_bits(8, 8, 24, lambda x, y: x * 0x200000 + y * 0x20)
    out['short_mask_24.dib'] = full + and_mask(8, 8, edge)[:12]
    return out


# --- ICO slicing ---------------------------------------------------------------------

def ico_images(data):
    count = struct.unpack_from('<H', data, 4)[0]
    for i in range(count):
        size, offset = struct.unpack_from('<II', data, 6 + 16 * i + 8)
        yield data[offset:offset + size]


def image_name(image):
    if image.startswith(b'\x89PNG'):
        w, h = struct.unpack_from('>II', image, 16)
        return f'{w}x{h}.png'
    w, h2, _, bits = struct.unpack_from('<iiHH', image, 4)
    return f'{w}x{h2 // 2}x{bits}.dib'


# --- NE ------------------------------------------------------------------------------

def to_core_header(dib):
    """Rewrites a 4-bit DIB with a 40-byte header to the 12-byte core header."""
    w, h2, planes, bits = struct.unpack_from('<iiHH', dib, 4)
    assert bits == 4
    palette = dib[40:40 + 64]
    triples = b''.join(palette[i:i + 3] for i in range(0, 64, 4))
    return struct.pack('<IHHHH', 12, w, h2, planes, bits) + triples + dib[40 + 64:]


def group_dir(entries):
    """GRPICONDIR with 14-byte entries: (image, icon id)."""
    out = struct.pack('<HHH', 0, 1, len(entries))
    for image, icon_id in entries:
        if image.startswith(b'\x89PNG'):
            w, h = struct.unpack_from('>II', image, 16)
            bits = 32
        elif struct.unpack_from('<I', image, 0)[0] == 12:
            w, h2, _, bits = struct.unpack_from('<HHHH', image, 4)
            h = h2 // 2
        else:
            w, h2, _, bits = struct.unpack_from('<iiHH', image, 4)
            h = h2 // 2
        colors = 1 << bits if bits < 8 else 0
        out += struct.pack('<BBBBHHIH', w & 0xFF, h & 0xFF, colors & 0xFF, 0, 1, bits, len(image), icon_id)
    return out


def ne_library(images):
    """An icon library: MZ stub, NE header, resource table with two icon groups (one by
    number, one by name), and the resources at 16-byte alignment."""
    shift = 4
    align = 1 << shift
    icons = list(images)
    groups = [(b'', 1, [(icons[0], 1), (icons[1], 2)]),
              (b'MAINICON', None, [(icons[2], 3)])]

    ne_at = 0x40
    ne_size = 0x40
    # resource table: shift, two TYPEINFO blocks, terminator, then the name strings
    table_len = 2 + (8 + 12 * len(icons)) + (8 + 12 * len(groups)) + 2
    names_at = table_len
    names = b'\x08MAINICON' + b'\0'
    resident = b'\x06ICONLB' + b'\0\0' + b'\0'
    entry_table = b'\0'  # an empty entry table
    table_at = ne_size
    resident_at = table_at + table_len + len(names)
    entry_at = resident_at + len(resident)  # module and import tables are empty
    header_end = ne_at + entry_at + len(entry_table)

    payloads = [img for img in icons] + [group_dir(entries) for _, _, entries in groups]
    offsets, cursor = [], (header_end + align - 1) // align * align
    for p in payloads:
        offsets.append(cursor)
        cursor = (cursor + len(p) + align - 1) // align * align

    def nameinfo(offset, length, ident):
        return struct.pack('<HHHHI', offset >> shift, (length + align - 1) >> shift, 0x1C30, ident, 0)

    table = struct.pack('<H', shift)
    table += struct.pack('<HHI', 0x8003, len(icons), 0)
    for i, img in enumerate(icons):
        table += nameinfo(offsets[i], len(img), 0x8000 | (i + 1))
    table += struct.pack('<HHI', 0x800E, len(groups), 0)
    for g, (_, number, entries) in enumerate(groups):
        ident = 0x8000 | number if number else names_at
        table += nameinfo(offsets[len(icons) + g], len(payloads[len(icons) + g]), ident)
    table += b'\0\0'
    table += names
    assert len(table) == table_len + len(names)

    ne = bytearray(ne_size)
    ne[0:2] = b'NE'
    ne[2] = 5
    struct.pack_into('<HH', ne, 0x04, entry_at, len(entry_table))
    struct.pack_into('<H', ne, 0x0C, 0x8000)                               # library module
    struct.pack_into('<HH', ne, 0x22, table_at, table_at)                  # no segments
    struct.pack_into('<HHHH', ne, 0x24, table_at, resident_at, entry_at, entry_at)
    struct.pack_into('<I', ne, 0x2C, 0)
    struct.pack_into('<H', ne, 0x32, shift)
    ne[0x36] = 2  # Windows
    struct.pack_into('<H', ne, 0x3E, 0x0300)

    mz = bytearray(0x40)
    mz[0:2] = b'MZ'
    struct.pack_into('<H', mz, 0x18, 0x40)
    struct.pack_into('<I', mz, 0x3C, ne_at)

    out = bytearray(mz + ne + table + resident + entry_table)
    assert len(out) == header_end
    for offset, p in zip(offsets, payloads):
        out += bytes(offset - len(out)) + p
    out += bytes(cursor - len(out))
    return bytes(out)


def write_all(folder, files):
    folder = Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        (folder / name).write_bytes(data)


def main(argv):
    command = argv[1]
    if command == 'sources':
        write_all(argv[2], source_images())
    elif command == 'dibs':
        write_all(argv[2], dib_variants())
    elif command == 'pngs':
        write_all(argv[2], png_variants())
    elif command == 'slice':
        data = Path(argv[2]).read_bytes()
        write_all(argv[3], {f'{argv[4]}_{i}_{image_name(img)}': img for i, img in enumerate(ico_images(data))})
    elif command == 'ne':
        images = {image_name(img): img for img in ico_images(Path(argv[2]).read_bytes())}
        # the small icon as old icons store it: with the 12-byte core header
        chosen = [to_core_header(images['16x16x4.dib']), images['32x32x4.dib'], images['32x32x1.dib']]
        Path(argv[3]).write_bytes(ne_library(chosen))
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
