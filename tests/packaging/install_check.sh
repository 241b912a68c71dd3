#!/usr/bin/env bash
# Installs the build into a scratch prefix as `cmake --install` does for users, checks the
# layout with the desktop's own validators, and starts the installed program.
# Usage: install_check.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1
id=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# The program and its companions in lib/glimmerwick, reached through a relative link.
pkg=$prefix/lib/glimmerwick
for f in glimmerwick Tarnwell.dll help.chm help/index.html help/browse.html; do
  [ -f "$pkg/$f" ] || fail "$pkg/$f missing"
done
[ -x "$pkg/glimmerwick" ] || fail "the program is not executable"
link=$(readlink "$prefix/bin/glimmerwick") || fail "bin/glimmerwick is not a link"
[ "$link" = ../lib/glimmerwick/glimmerwick ] || fail "bin/glimmerwick points to $link"

desktop-file-validate "$prefix/share/applications/$id.desktop"
grep -q '^Exec=glimmerwick %f$' "$prefix/share/applications/$id.desktop" || fail "Exec line"
grep -q '^MimeType=.*application/x-ms-dos-executable;.*image/vnd.microsoft.icon;' \
  "$prefix/share/applications/$id.desktop" || fail "MimeType line"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"

# Every hicolor size holds a PNG of exactly that size.
for size in 16 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$png" ] || fail "$png missing"
  got=$(identify -format '%wx%h' "$png")
  [ "$got" = "${size}x${size}" ] || fail "$png is $got"
done

# The man page renders without warnings from groff.
man_page=$prefix/share/man/man1/glimmerwick.1.gz
[ -f "$man_page" ] || fail "man page missing"
warnings=$(zcat "$man_page" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
[ -z "$warnings" ] || fail "man page: $warnings"

# The installed program, started through its link from an unrelated folder, finds its
# companions and paints its window.
mkdir -p "$scratch/home" "$scratch/work"
out=$(cd "$scratch/work" && env HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" \
  QT_QPA_PLATFORM=offscreen GLIMMERWICK_QUIT_AFTER_PAINT=1 "$prefix/bin/glimmerwick" 2>&1) \
  || fail "the installed program failed: $out"
echo "$out"
grep -q 'first paint after' <<<"$out" || fail "no first paint"
grep -q 'Tarnwell.dll with 8 icons, help.chm found, help/index.html found' <<<"$out" \
  || fail "companions not found"
grep -qF "settings in $scratch/home/.config/glimmerwick/glimmerwick.INI" <<<"$out" \
  || fail "the installed program keeps its settings elsewhere"
[ ! -e "$pkg/glimmerwick.INI" ] || fail "settings written beside the installed program"
version=$("$prefix/bin/glimmerwick" --version)
[ "$version" = "glimmerwick $(sed -n 's/.*release version="\([^"]*\)".*/\1/p' "$prefix/share/metainfo/$id.metainfo.xml")" ] \
  || fail "--version printed '$version'"
echo "install check passed"
