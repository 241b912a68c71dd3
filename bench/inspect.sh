#!/usr/bin/env bash
# Benchmark of the icon inspector: opening it on the largest icon group of a library
# (by default wine64's shell32.dll), against the peers reading and decoding the same
# group's images.
#
#   bash bench/inspect.sh [FILE]
# Prints, from gui_bench, the time from the inspector command to the inspector painted
# with every image (median and best of RUNS, default 20) and of reading and decoding
# the group alone. Then times whole commands doing the same job on the same group:
# glimmerwick-cli png --all (every image decoded and written as PNG), wrestool -x of
# the group followed by icotool -x of its images (the same), and icoextract's API
# extracting the group (no decoding: it has none), with their ratios.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools
BenchGuiBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=${1:-${WINE_DIRS[0]}/shell32.dll}
runs=${RUNS:-20}

# The largest group: the most stored bytes; its index and name.
read -r index name bytes count < <("$CLI" list -j "$file" | /usr/bin/python3 -c '
import json, sys
groups = json.loads(sys.stdin.readline())["groups"]
g = max(groups, key=lambda g: sum(i["bytes"] for i in g["images"]))
print(g["index"], g["name"], sum(i["bytes"] for i in g["images"]), len(g["images"]))')
echo "== $file: largest group index $index (name $name), $count images, $bytes bytes"
RUNS=$runs "$GUI_BENCH" inspect "$file" "$index" 2>/dev/null

mkdir -p "$work/out"
Clean() { echo "rm -rf '$work/out' && mkdir '$work/out'"; }
BenchTime ours-cli-png-all "$runs" 1 "$(Clean)" "$CLI" png -a -f -i "$index" -o "$work/out" "$file"
BenchTime wrestool+icotool "$runs" 1 "$(Clean)" sh -c \
    "wrestool -x --type=14 --name='$name' -o '$work/out/g.ico' '$file' && icotool -x -o '$work/out' '$work/out/g.ico'"
BenchTime icoextract-api "$runs" 1 "$(Clean)" /usr/bin/python3 -c \
    "import icoextract; icoextract.IconExtractor('$file').export_icon('$work/out/g.ico', num=$index)"
BenchRun "groups:1" ours-cli-png-all
