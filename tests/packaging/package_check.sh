#!/usr/bin/env bash
# Builds the Debian package as tools/package.sh does (into a scratch folder) and checks
# what a fresh machine and a distribution need from it: the dependencies Qt loads at run
# time, stripped and hardened programs, the install layout under /usr, and lintian's
# verdict.
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
for f in usr/lib/glimmerwick/Tarnwell.dll usr/share/glimmerwick/help.chm usr/share/glimmerwick/help/index.html \
         usr/share/doc/glimmerwick/copyright usr/share/doc/glimmerwick/changelog.gz \
         usr/share/applications/io.github.glimmerwick.Glimmerwick.desktop usr/share/man/man1/glimmerwick.1.gz \
         usr/share/thumbnailers/glimmerwick.thumbnailer usr/share/man/man1/glimmerwick-cli.1.gz \
         usr/share/man/man1/glimmerwick-thumbnailer.1.gz \
         usr/share/icons/hicolor/256x256/apps/io.github.glimmerwick.Glimmerwick.png; do
  [ -f "$scratch/root/$f" ] || fail "$f missing from the package"
done
dpkg-deb -c "$deb" | awk '{print $6, $7, $8}'

# The hardening flags reach the programs when the build was made with dpkg-buildflags
# (tools/buildflags.sh, as the build scripts do); a build configured without them, as a
# developer's may be, is said so. Debian 12's flags have no control-flow protection,
# which hardening-check would otherwise ask for.
if grep -q '^CMAKE_CXX_FLAGS:STRING=.*-D_FORTIFY_SOURCE' "$build/CMakeCache.txt"; then
  for p in glimmerwick glimmerwick-cli glimmerwick-thumbnailer; do
    hardening-check --nocfprotection "$scratch/root/usr/lib/glimmerwick/$p" || fail "$p is not hardened"
  done
else
  echo "hardening not checked: $build was configured without dpkg-buildflags (tools/buildflags.sh)"
fi

# No errors and no warnings; the informational tags are printed.
report=$(lintian --display-info "$deb" 2>&1) || true
echo "$report"
! grep -q '^[EW]: ' <<<"$report" || fail "lintian reports errors or warnings"
echo "package check passed"
