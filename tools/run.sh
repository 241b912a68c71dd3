#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Glimmerwick and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
if [ -x build/glimmerwick ]; then
  exec build/glimmerwick "$@"
fi
# Until the main window exists the build offers the icon probe; show it on a sample.
sample=$(ls build/tests/data/*.dll 2>/dev/null | head -n 1 || true)
[ -n "$sample" ] || sample=tests/data
exec build/tools/iconprobe/iconprobe count "$sample"
