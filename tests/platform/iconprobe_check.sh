#!/usr/bin/env bash
# iconprobe's command-line contract against wrestool, over the PE and NE fixtures:
#   iconprobe count FILE...  -> COUNT<TAB>PATH, COUNT = distinct group names wrestool lists
#   iconprobe save FILE N OUT -> exit 0 and a 766-byte file, or the error text and exit 1
# usage: iconprobe_check.sh ICONPROBE WRESTOOL FIXTURE...
set -uo pipefail
probe=$1 wrestool=$2
shift 2
failures=0 groups=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

out=$("$probe" count "$@") || fail "iconprobe count exited $?"
[ "$(printf '%s\n' "$out" | wc -l)" -eq $# ] || fail "expected $# lines, got: $out"
for f in "$@"; do
  # wrestool prints one line per language: count names once.
  expected=$("$wrestool" -l --type=14 "$f" 2>/dev/null | sed -n 's/.*--name=\([^ ]*\).*/\1/p' | sort -u | wc -l)
  line=$(printf '%s\n' "$out" | grep -F "$(printf '\t')$f" | head -n1)
  [ "$line" = "$(printf '%s\t%s' "$expected" "$f")" ] || fail "$f: iconprobe '$line', wrestool $expected groups"
  groups=$((groups + expected))
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for f in "$@"; do
  n=$("$probe" count "$f" | cut -f1)
  for ((i = 0; i < n; i++)); do
    if msg=$("$probe" save "$f" "$i" "$tmp/icon.ico"); then
      [ -z "$msg" ] || fail "$f $i: save printed '$msg'"
      [ "$(stat -c %s "$tmp/icon.ico")" -eq 766 ] || fail "$f $i: saved file is not 766 bytes"
    else
      # Only a group whose icons are missing may fail, with the invalid-icon text.
      [ "$msg" = "Icon image is not valid" ] || fail "$f $i: save failed with '$msg'"
    fi
    rm -f "$tmp/icon.ico"
  done
done
msg=$("$probe" save "$1" 9999 "$tmp/none.ico"); rc=$?
[ $rc -eq 1 ] && [ "$msg" = "Icon image is not valid" ] || fail "index beyond the count: rc $rc '$msg'"
[ ! -e "$tmp/none.ico" ] || fail "a failed save left a file"
[ -z "$(ls -A "$tmp")" ] || fail "files left behind: $(ls -A "$tmp")"

# Only regular files and new names are written: not a device behind a link, a FIFO
# (which would block) or a folder; a link to a regular file is written through.
ln -s /dev/null "$tmp/null.ico"; mkfifo "$tmp/fifo.ico"; mkdir "$tmp/dir.ico"
for target in null.ico fifo.ico dir.ico; do
  msg=$(timeout 10 "$probe" save "$1" 0 "$tmp/$target"); rc=$?
  [ $rc -eq 1 ] && [ "$msg" = "Cannot create file $tmp/$target" ] || fail "save onto $target: rc $rc '$msg'"
done
[ -L "$tmp/null.ico" ] && [ -p "$tmp/fifo.ico" ] && [ -d "$tmp/dir.ico" ] || fail "a special file was replaced"
echo old > "$tmp/real.ico"; ln -s real.ico "$tmp/link.ico"
"$probe" save "$1" 0 "$tmp/link.ico" || fail "save through a link failed"
[ -L "$tmp/link.ico" ] && [ "$(stat -c %s "$tmp/real.ico")" -eq 766 ] || fail "the link was not written through"

echo "iconprobe: $# files, $groups groups compared with wrestool"
[ $failures -eq 0 ]
