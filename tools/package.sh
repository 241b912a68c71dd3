#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Glimmerwick's Debian package and installs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
(cd build && cpack -G DEB)
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
$sudo_cmd apt-get install -y "$PWD/build/glimmerwick_$(sed -n 's/^project(Glimmerwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)_$(dpkg --print-architecture).deb"
