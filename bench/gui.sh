#!/usr/bin/env bash
# Benchmark of the real main window (offscreen): listing a folder, and extracting a folder
# tree through the folder-tree command, against wrestool and icoextract doing the same job
# on the same tree in the same run.
#
#   bash bench/gui.sh [FOLDER [TREE]]
#     FOLDER  listed (default: the Windows libraries of wine64)
#     TREE    extracted with its subfolders (default: the whole wine library tree)
# The listing prints the list time against the engine's own count of the same folder and
# the longest stall of the event loop during the scan. The extraction prints icons per
# second for each command and the longest stall of the event loop during our walk.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools
BenchGuiBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder=${1:-${WINE_DIRS[0]}}
tree=${2:-$(dirname "${WINE_DIRS[0]}")}
runs=${RUNS:-5}
py=/usr/bin/python3

echo "== listing $folder (best of 5, cold reader cache each run)"
"$GUI_BENCH" list "$folder" 2>/dev/null

echo "== extracting the tree $tree"
mkdir -p "$work/probe"
"$GUI_BENCH" extract "$tree" "$work/probe" 2>/dev/null | tee "$work/probe.txt"
icons=$(awk '$1 == "icons" {print $2}' "$work/probe.txt")
# The same files for the peers: what the walk extracts by default (every listed kind).
find "$tree" -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.ocx' -o -iname '*.cpl' \
    -o -iname '*.scr' -o -iname '*.drv' -o -iname '*.bpl' -o -iname '*.icl' \) | LC_ALL=C sort >"$work/files"

Prepare() { echo "rm -rf '$work/out-$1' && mkdir '$work/out-$1'"; }
BenchTime ours-tree-command "$runs" 1 "$(Prepare ours)" sh -c "'$GUI_BENCH' extract '$tree' '$work/out-ours' >/dev/null 2>&1"
BenchTime wrestool-per-file "$runs" 1 "$(Prepare wrestool)" \
    xargs -a "$work/files" -d '\n' -n1 wrestool -x --type=14 -o "$work/out-wrestool"
BenchTime icoextract-api "$runs" 1 "$(Prepare icoextract)" \
    "$py" "$BENCH_DIR/icoextract_run.py" extract "$work/files" "$work/out-icoextract"
BenchRun "icons:$icons" ours-tree-command
for n in ours wrestool icoextract; do
    echo "written by $n: $(find "$work/out-$n" -type f | wc -l) files"
done
