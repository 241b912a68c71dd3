#!/usr/bin/env bash
# Benchmark: time from process start to a shown, filled main window.
#
#   bash bench/startup.sh [FOLDER]     (default: /usr/bin, a folder with many files)
#
# Runs a copy of build/glimmerwick (with Tarnwell.dll) from a scratch folder whose
# settings file opens FOLDER, under Xvfb when there is one and offscreen otherwise.
# GLIMMERWICK_QUIT_AFTER_PAINT makes the program print the milliseconds from its static
# initialisation (just before main) to the main window's first paint, and quit; the
# script also times the whole process (exec to exit) from outside. RUNS (default 10) timed runs follow
# one warm-up run.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${GW_BUILD:-$repo/build}
folder=${1:-/usr/bin}
runs=${RUNS:-10}

if [ ! -x "$build/glimmerwick" ]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target glimmerwick gw_tarnwell >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/glimmerwick" "$build/Tarnwell.dll" "$work/"
printf '[Access]\nLast=1\n[Init]\nDirectory=%s\n' "$folder" > "$work/glimmerwick.INI"

run_once() {
    local start end inner
    start=$(date +%s%N)
    inner=$(GLIMMERWICK_QUIT_AFTER_PAINT=1 "$@" "$work/glimmerwick" 2>&1 >/dev/null | \
            sed -n 's/^glimmerwick: first paint after \([0-9.]*\) ms.*/\1/p')
    end=$(date +%s%N)
    echo "$inner $(( (end - start) / 1000000 ))"
}

# Median, minimum and maximum of the numbers on standard input.
stats() {
    sort -n | awk '{ v[NR] = $1 } END { printf "median %s ms (min %s, max %s)", v[int((NR + 1) / 2)], v[1], v[NR] }'
}

measure() {
    local label=$1; shift
    run_once "$@" >/dev/null
    local inner=() outer=()
    for ((i = 0; i < runs; i++)); do
        read -r a b < <(run_once "$@")
        inner+=("$a"); outer+=("$b")
    done
    printf '%-10s start-up to first paint: %s; process start to exit: %s; %d runs\n' "$label" \
        "$(printf '%s\n' "${inner[@]}" | stats)" "$(printf '%s\n' "${outer[@]}" | stats)" "$runs"
}

rows=$(cd "$folder" && ls -1 | wc -l)
echo "folder $folder: $rows entries"
if command -v xvfb-run >/dev/null; then
    # One X server for all runs, so its own start-up is not counted.
    Xvfb :97 -screen 0 1280x800x24 >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
    sleep 1
    measure xvfb env DISPLAY=:97 QT_QPA_PLATFORM=xcb
fi
measure offscreen env QT_QPA_PLATFORM=offscreen
