#!/usr/bin/env bash
# The help as viewers read it: every page of help.chm, taken out by chmlib (an
# independent reader), is stored in the code page the CHM declares (936), says so in
# its charset, and reads as the same text as the HTML page shipped beside the program.
# Usage: help_check.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

extract_chmLib "$build/help.chm" "$scratch/chm" >/dev/null
grep -q '^Language=0x804' "$source/docs/help/help.hhp" || fail "the project no longer declares LCID 0x804"
count=0
for page in "$build"/help/*.html; do
  name=$(basename "$page")
  stored=$scratch/chm/$name
  [ -f "$stored" ] || fail "$name is not in help.chm"
  # Chinese text that is not valid UTF-8 but valid code page 936.
  if iconv -f UTF-8 -t UTF-8 "$stored" >/dev/null 2>&1; then fail "$name is stored as UTF-8"; fi
  decoded=$(iconv -f CP936 -t UTF-8 "$stored") || fail "$name is not code page 936"
  grep -q '<meta charset="gb2312">' <<<"$decoded" || fail "$name does not declare gb2312"
  [ "$(sed 's/<meta charset="gb2312">/<meta charset="utf-8">/' <<<"$decoded")" = "$(cat "$page")" ] \
    || fail "$name in help.chm differs from help/$name"
  cmp -s "$page" "$source/docs/help/$name" || fail "help/$name is not the source page"
  count=$((count + 1))
done
[ "$count" -ge 5 ] || fail "only $count pages"
# The contents list names the pages in Chinese, in the same code page.
iconv -f CP936 -t UTF-8 "$scratch/chm/toc.hhc" | grep -q '浏览图标' || fail "contents are not in code page 936"
echo "help check passed: $count pages"
# The English help: the same pages, ASCII, stored as they are.
extract_chmLib "$build/help-en.chm" "$scratch/chm-en" >/dev/null
grep -q '^Language=0x409' "$source/docs/help-en/help.hhp" || fail "the English project does not declare LCID 0x409"
for page in "$source"/docs/help/*.html; do
  name=$(basename "$page")
  cmp -s "$scratch/chm-en/$name" "$build/help-en/$name" || fail "$name in help-en.chm differs from help-en/$name"
done
echo "English help check passed"
