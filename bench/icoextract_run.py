#!/usr/bin/python3
"""icoextract's Python API over a list of files, in one process (the peer of iconprobe).

  icoextract_run.py count LIST            prints COUNT<TAB>PATH per file
  icoextract_run.py extract LIST OUTDIR   writes every icon group of every file
  icoextract_run.py hash LIST             prints PATH<TAB>INDEX<TAB>SHA256<TAB>DHASH per group

hash: each group's .ico bytes from icoextract, their sha256 (hashlib), and the dhash
Pillow computes of the largest image (tests/cli/pillow_dhash.py: alpha_composite over
white, convert("L"), resize((9, 8), BOX)). INDEX counts the groups of a file from 0.

LIST holds one path a line. Files icoextract cannot read count 0.
"""
import hashlib
import logging
import os
import sys

import icoextract
import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "cli"))
logging.getLogger("icoextract").setLevel(logging.CRITICAL)


def extractor(path):
    try:
        return icoextract.IconExtractor(path)
    except (icoextract.IconExtractorError, pefile.PEFormatError, OSError):
        return None


def pillow_dhash(data):
    """The dhash of an .ico held in memory, as the tests' Pillow oracle computes it."""
    import pillow_dhash as oracle

    return oracle.dhash_of(data)


def main():
    mode, listing = sys.argv[1], sys.argv[2]
    with open(listing, encoding="utf-8", errors="surrogateescape") as f:
        paths = [line.rstrip("\n") for line in f if line.strip()]
    if mode == "count":
        out = []
        for path in paths:
            e = extractor(path)
            out.append(f"{len(e.list_group_icons()) if e else 0}\t{path}")
        print("\n".join(out))
        return 0
    if mode == "extract":
        outdir = sys.argv[3]
        written = failed = 0
        for n, path in enumerate(paths):
            e = extractor(path)
            if not e:
                continue
            base = os.path.basename(path)
            for i in range(len(e.list_group_icons())):
                try:
                    e.export_icon(os.path.join(outdir, f"{n}-{base}-{i}.ico"), num=i)
                    written += 1
                except Exception as err:  # a group naming a missing icon, a bad directory
                    print(f"{path} {i}: {err}", file=sys.stderr)
                    failed += 1
        print(f"{written} written, {failed} failed")
        return 0
    if mode == "hash":
        out = []
        failed = 0
        for path in paths:
            e = extractor(path)
            if not e:
                continue
            for i in range(len(e.list_group_icons())):
                try:
                    data = e.get_icon(num=i).getvalue()
                    out.append(f"{path}\t{i}\t{hashlib.sha256(data).hexdigest()}\t{pillow_dhash(data)}")
                except Exception as err:  # a group naming a missing icon, an image Pillow rejects
                    print(f"{path} {i}: {err}", file=sys.stderr)
                    failed += 1
        print("\n".join(out))
        return 1 if failed else 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
