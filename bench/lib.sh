# Shared helpers of the benchmark scripts: tools, the build of iconprobe, the corpus.
# Sourced, not run. Every script installs what it needs itself (never in CI).
# The scripts set $work, their temporary folder; the names set here are theirs to use.
# shellcheck shell=bash disable=SC2034,SC2154

set -euo pipefail

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO_DIR=$(cd "$BENCH_DIR/.." && pwd)
BUILD_DIR=${GW_BENCH_BUILD:-$REPO_DIR/build-bench}
WINE_DIRS=(/usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/x86_64-linux-gnu/wine/i386-windows)

# Debian packages the benchmarks run: the corpus (wine64), the peers (icoutils,
# icoextract), /usr/bin/time for peak memory, and what builds iconprobe; more as
# arguments.
BenchInstallTools() {
    local want=(wine64 icoutils icoextract python3 python3-icoextract time cmake ninja-build g++ pkg-config libspng-dev qt6-base-dev "$@")
    local missing=()
    for p in "${want[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "installing: ${missing[*]}" >&2
        local sudo=
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
    fi
}

# Release build of iconprobe, the command-line tools (and the batch extraction driver)
# in $BUILD_DIR.
BenchBuild() {
    cmake -S "$REPO_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DGW_TESTS=OFF -DGW_BENCH=ON >/dev/null
    cmake --build "$BUILD_DIR" -j2 --target iconprobe extract_all glimmerwick-cli glimmerwick-thumbnailer >/dev/null
    ICONPROBE=$BUILD_DIR/tools/iconprobe/iconprobe
    CLI=$BUILD_DIR/src/cli/glimmerwick-cli
    THUMBNAILER=$BUILD_DIR/src/cli/glimmerwick-thumbnailer
    EXTRACT_ALL=$BUILD_DIR/bench/extract_all
}

# BenchBuild, then gui_bench, the driver of the real main window: $GUI_BENCH.
BenchGuiBuild() {
    BenchBuild
    cmake --build "$BUILD_DIR" -j2 --target gui_bench >/dev/null
    GUI_BENCH=$BUILD_DIR/bench/gui_bench
}

# Writes the regular files of the given folders (default: the Windows libraries that
# wine64 installs) to $1, one path a line, sorted; links to files are followed.
BenchCorpus() {
    local list=$1
    shift
    local dirs=("$@")
    if ((${#dirs[@]} == 0)); then
        for d in "${WINE_DIRS[@]}"; do
            [ -d "$d" ] && dirs+=("$d")
        done
    fi
    if ((${#dirs[@]} == 0)); then
        echo "no corpus folder found (is wine64 installed?)" >&2
        return 1
    fi
    find -L "${dirs[@]}" -type f -print 2>/dev/null | LC_ALL=C sort >"$list"
    if [ ! -s "$list" ]; then
        echo "no files in ${dirs[*]}" >&2
        return 1
    fi
    CORPUS_DIRS=("${dirs[@]}")
}

# The distinct icon-group names wrestool lists for a file, one a line. wrestool
# prints one line per language of a group; the name is what counts.
WrestoolGroupNames() {
    # NE files have no language level: the name then ends at the bracket.
    wrestool -l --type=14 "$1" 2>/dev/null |
        sed -n -e 's/^--type=14 --name=\(.*\) --language=.*/\1/p;t' -e 's/^--type=14 --name=\(.*\) \[.*/\1/p' |
        awk '!seen[$0]++'
}

# BenchTime NAME RUNS WARMUP PREPARE COMMAND...: adds COMMAND to the commands that
# BenchRun times, interleaved (bench/runbench.py). PREPARE runs untimed before every
# run ("" for none).
BenchTime() {
    local name=$1 runs=$2 warmup=$3 prepare=$4
    shift 4
    python3 "$BENCH_DIR/runbench.py" add "$work/plan" "$name" "$runs" "$warmup" "$prepare" -- "$@"
}

# BenchRun LABEL:COUNT BASELINE...: times the commands added and prints the table.
BenchRun() {
    python3 "$BENCH_DIR/runbench.py" run "$work/plan" "$@"
}
