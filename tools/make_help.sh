#!/usr/bin/env bash
# Compiles the help pages in docs/help into src/forms/help.chm (committed; the build copies it
# beside the executable, with the UTF-8 pages themselves for desktops without a CHM viewer).
# The project file declares Chinese (PRC), LCID 0x804, so CHM viewers read every page, the
# contents and the title in its code page 936: the sources are written in UTF-8 and converted
# here, each page's charset declaration with them. Needs chmcmd from Debian's fp-utils.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v chmcmd >/dev/null || { echo "chmcmd missing: apt-get install fp-utils" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in docs/help/*; do
  iconv -f UTF-8 -t CP936 "$f" | sed 's/<meta charset="utf-8">/<meta charset="gb2312">/' >"$work/$(basename "$f")"
done
(cd "$work" && chmcmd help.hhp >/dev/null)
mv "$work/help.chm" src/forms/help.chm
echo "wrote src/forms/help.chm"
