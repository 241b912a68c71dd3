#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Glimmerwick's Debian package from its source
# package (debian/) as a distribution builds it, and installs it. The source tree is
# copied to build-package/glimmerwick/ (without build folders), where dpkg-buildpackage
# makes a build of the programs alone (no tests, no fuzz targets) with dpkg-buildflags'
# hardening flags; the package and its .changes land in build-package/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
rm -rf build-package
mkdir -p build-package/glimmerwick
tar -c --exclude-vcs --exclude='./build*' --exclude='./obj-*' . | tar -x -C build-package/glimmerwick
(cd build-package/glimmerwick && dpkg-buildpackage -us -uc -b)
lintian build-package/glimmerwick_*.changes
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
debs=("$PWD/build-package/glimmerwick_$(dpkg-parsechangelog -l debian/changelog -S Version)_$(dpkg --print-architecture).deb")
# The KDE thumbnail plugin where KDE's thumbnail worker is installed.
if dpkg-query -W -f='${Status}' kio-extras 2>/dev/null | grep -q 'install ok installed'; then
  debs+=("${debs[0]/glimmerwick_/glimmerwick-kio_}")
fi
$sudo_cmd apt-get install -y "${debs[@]}"
