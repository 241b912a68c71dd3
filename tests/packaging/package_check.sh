#!/usr/bin/env bash
# Builds the Debian package as tools/package.sh does (into a scratch folder) and checks
# what a fresh machine needs from it: the dependencies Qt loads at run time, a stripped
# program, and the install layout under /usr.
# Usage: package_check.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >/dev/null
deb=$(ls "$scratch"/glimmerwick_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in qt6-qpa-plugins 'fonts-noto-cjk | fonts-wqy-zenhei' qt6-translations-l10n xdg-utils libqt6widgets6 libspng0; do
  grep -qF "$needed" <<<"$depends" || fail "Depends lacks $needed"
done
dpkg-deb -x "$deb" "$scratch/root"
for p in glimmerwick glimmerwick-cli glimmerwick-thumbnailer; do
  [ "$(readlink "$scratch/root/usr/bin/$p")" = ../lib/glimmerwick/$p ] || fail "bin link of $p"
  file "$scratch/root/usr/lib/glimmerwick/$p" | grep -q ', stripped' || fail "$p is not stripped"
done
for f in usr/lib/glimmerwick/Tarnwell.dll usr/lib/glimmerwick/help.chm usr/lib/glimmerwick/help/index.html \
         usr/share/applications/org.example.gw.Glimmerwick.desktop usr/share/man/man1/glimmerwick.1.gz \
         usr/share/thumbnailers/glimmerwick.thumbnailer usr/share/man/man1/glimmerwick-cli.1.gz \
         usr/share/man/man1/glimmerwick-thumbnailer.1.gz \
         usr/share/icons/hicolor/256x256/apps/org.example.gw.Glimmerwick.png; do
  [ -f "$scratch/root/$f" ] || fail "$f missing from the package"
done
echo "package check passed"
