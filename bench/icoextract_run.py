#!/usr/bin/python3
"""icoextract's Python API over a list of files, in one process (the peer of iconprobe).

  icoextract_run.py count LIST            prints COUNT<TAB>PATH per file
  icoextract_run.py extract LIST OUTDIR   writes every icon group of every file

LIST holds one path a line. Files icoextract cannot read count 0.
"""
import logging
import os
import sys

import icoextract
import pefile

logging.getLogger("icoextract").setLevel(logging.CRITICAL)


def extractor(path):
    try:
        return icoextract.IconExtractor(path)
    except (icoextract.IconExtractorError, pefile.PEFormatError, OSError):
        return None


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
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
