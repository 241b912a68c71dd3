#!/usr/bin/env bash
# Compiles the help pages into src/forms/help.chm (docs/help, Chinese) and
# src/forms/help-en.chm (docs/help-en, English), both committed; the build copies them beside
# the executable, with the UTF-8 pages themselves for desktops without a CHM viewer.
# A CHM viewer reads every page, the contents and the title in the code page of the
# language its project file declares: Chinese (PRC), LCID 0x804, is code page 936, so the
# Chinese sources (UTF-8) are converted here, each page's charset declaration with them.
# The English pages are ASCII, the same in UTF-8 and in code page 1252 (LCID 0x409).
# Needs chmcmd from Debian's fp-utils.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v chmcmd >/dev/null || { echo "chmcmd missing: apt-get install fp-utils" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/zh" "$work/en"
for f in docs/help/*; do
  iconv -f UTF-8 -t CP936 "$f" | sed 's/<meta charset="utf-8">/<meta charset="gb2312">/' >"$work/zh/$(basename "$f")"
done
if LC_ALL=C grep -l '[^[:print:][:space:]]' docs/help-en/*; then
  echo "the English help pages above are not ASCII" >&2
  exit 1
fi
cp docs/help-en/* "$work/en/"
(cd "$work/zh" && chmcmd help.hhp >/dev/null)
(cd "$work/en" && chmcmd help.hhp >/dev/null)
mv "$work/zh/help.chm" src/forms/help.chm
mv "$work/en/help-en.chm" src/forms/help-en.chm
echo "wrote src/forms/help.chm and src/forms/help-en.chm"
