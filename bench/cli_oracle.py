#!/usr/bin/env python3
"""glimmerwick-cli's cursors and PNG export against the independent tools, on real files.

  cursors:  `extract --cursors --wrestool-names` against `wrestool -x --type=12`: the same
            files, and in each the same images (byte for byte) and hot spots; wrestool's
            own files claim each image 4 bytes longer than it is, ours must not (icotool
            -l reads ours without a complaint).
  png --all: for every group (icons and cursors), the PNGs ours writes against what
            `icotool -x` writes from the group's .ico or .cur: the same set of images,
            pixel for pixel (ImageMagick's compare, 0 pixels differing).

usage: cli_oracle.py CLI FILE...   (prints the counts; exits 1 on any mismatch)
"""
import os
import struct
import subprocess
import sys
import tempfile


def run(args, **kw):
    return subprocess.run(args, capture_output=True, **kw)


def entries(data):
    _, _, count = struct.unpack_from("<HHH", data, 0)
    return [struct.unpack_from("<BBBBHHII", data, 6 + 16 * i) for i in range(count)]


def check_cursors(cli, path, tmp, bad):
    ours, theirs = os.path.join(tmp, "cur-ours"), os.path.join(tmp, "cur-theirs")
    os.makedirs(theirs)
    run([cli, "extract", "--cursors", "--wrestool-names", "-o", ours, path])
    run(["wrestool", "-x", "--type=12", "-o", theirs, path])
    names = sorted(os.listdir(theirs))
    got = sorted(os.listdir(ours)) if os.path.isdir(ours) else []
    if got != names:
        bad.append(f"{path}: cursor files {got} != wrestool's {names}")
        return 0, 0
    images = 0
    for name in names:
        a = open(os.path.join(ours, name), "rb").read()
        b = open(os.path.join(theirs, name), "rb").read()
        ea, eb = entries(a), entries(b)
        if len(ea) != len(eb):
            bad.append(f"{path}: {name}: {len(ea)} images, wrestool {len(eb)}")
            continue
        for (wa, ha, ca, _, xa, ya, sa, oa), (_, _, _, _, xb, yb, sb, ob) in zip(ea, eb):
            images += 1
            if (xa, ya) != (xb, yb) or sa + 4 != sb or a[oa:oa + sa] != b[ob:ob + sa]:
                bad.append(f"{path}: {name}: image {wa}x{ha} hot spot {xa},{ya} size {sa} "
                           f"against wrestool's {xb},{yb} size {sb}")
        # Complaints about the stored bitmaps' own header fields are the images', not the file's.
        complaint = b"\n".join(line for line in run(["icotool", "-l", os.path.join(ours, name)]).stderr.splitlines()
                                if b"field in bitmap" not in line)
        if complaint:
            bad.append(f"{path}: {name}: icotool: {complaint.decode(errors='replace').strip()}")
    return len(names), images


def check_pngs(cli, path, tmp, bad, cursors):
    flag = ["--cursors"] if cursors else []
    kind = "cur" if cursors else "ico"
    groups, pngs = os.path.join(tmp, f"groups-{kind}"), os.path.join(tmp, f"png-{kind}")
    run([cli, "extract", *flag, "-o", groups, path])
    run([cli, "png", "--all", *flag, "-o", pngs, path])
    if not os.path.isdir(groups):
        return 0
    expected, compared = set(), 0
    for group in sorted(os.listdir(groups)):
        out = os.path.join(tmp, "icotool", group)
        os.makedirs(out)
        run(["icotool", "-x", "-o", out, os.path.join(groups, group)])
        seen = []
        # icotool: GROUP_INDEX_WxHxBPP.png, INDEX from 1 in directory order.
        for png in sorted(os.listdir(out), key=lambda n: int(n.rsplit("_", 2)[1])):
            w, h, bpp = png.rsplit("_", 1)[1][:-4].split("x")
            key = f"{w}x{h}_{bpp}"
            seen.append(key)
            n = seen.count(key)
            name = f"{group[:-4]}_{key}{'-' + str(n) if n > 1 else ''}.png"
            expected.add(name)
            ours = os.path.join(pngs, name)
            if not os.path.exists(ours):
                bad.append(f"{path}: {name} missing")
                continue
            diff = run(["compare", "-metric", "AE", ours, os.path.join(out, png), "null:"]).stderr.strip()
            compared += 1
            if diff != b"0":
                bad.append(f"{path}: {name}: {diff.decode(errors='replace')} pixels differ from icotool's")
    extra = set(os.listdir(pngs) if os.path.isdir(pngs) else []) - expected
    if extra:
        bad.append(f"{path}: PNGs icotool does not write: {sorted(extra)}")
    return compared


def main():
    cli, files = sys.argv[1], sys.argv[2:]
    bad = []
    totals = [0, 0, 0]
    for path in files:
        with tempfile.TemporaryDirectory() as tmp:
            groups, images = check_cursors(cli, path, tmp, bad)
            totals[0] += groups
            totals[1] += images
            totals[2] += check_pngs(cli, path, tmp, bad, False) + check_pngs(cli, path, tmp, bad, True)
    print(f"{len(files)} files: {totals[0]} cursor groups, {totals[1]} cursor images as wrestool gives them; "
          f"{totals[2]} PNGs pixel for pixel as icotool -x writes them; {len(bad)} mismatches")
    for line in bad[:40]:
        print("  " + line)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
