#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Glimmerwick and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/buildflags.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
exec build/glimmerwick "$@"
