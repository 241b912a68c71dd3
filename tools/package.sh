#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Glimmerwick's Debian package and installs it.
# The package is built in build-package/ as a distribution builds it: a Release build of
# the programs alone (no tests, no fuzz targets) with dpkg-buildflags' hardening flags.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/buildflags.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DGW_TESTS=OFF
cmake --build build-package
(cd build-package && cpack -G DEB)
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
$sudo_cmd apt-get install -y "$PWD/build-package/glimmerwick_$(sed -n 's/^project(Glimmerwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)_$(dpkg --print-architecture).deb"
