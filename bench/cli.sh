#!/usr/bin/env bash
# Benchmark: glimmerwick-cli and glimmerwick-thumbnailer against wrestool and icoextract.
#
#   bash bench/cli.sh [FOLDER...]   (default: the Windows libraries of wine64 and the
#                                    NSIS installer stubs)
#
# Every command gets the whole file list in one process (xargs), with a warm page cache:
#   count/list:  cli-list, cli-list-json, iconprobe-count against wrestool -l --type=14
#                and icoextract's API counting groups
#   extract:     cli-extract (--wrestool-names: the same files wrestool writes) against
#                wrestool -x --type=14 and icoextract's API, each into an emptied folder
#   thumbnailer: one process per file with icons (-s 256): the slowest run and the
#                largest resident set
# RUNS (default 10) sets the number of timed runs.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools nsis
BenchBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if (($# == 0)); then
    for d in "${WINE_DIRS[@]}" /usr/share/nsis/Stubs; do
        [ -d "$d" ] && set -- "$@" "$d"
    done
fi
BenchCorpus "$work/files" "$@"
runs=${RUNS:-10}
list=$work/files
py=/usr/bin/python3
files=$(wc -l <"$list")

# The tools must agree on what there is before their speed means anything.
ours=$(xargs -a "$list" -d '\n' "$CLI" list --json 2>/dev/null | grep -o '"index":' | wc -l)
theirs=0
while IFS= read -r f; do
    theirs=$((theirs + $(WrestoolGroupNames "$f" | wc -l)))
done <"$list"
echo "corpus: ${CORPUS_DIRS[*]}: $files files, $(xargs -a "$list" -d '\n' du -cb | tail -1 | cut -f1) bytes"
echo "icon groups: glimmerwick-cli list $ours, wrestool -l $theirs"

BenchTime cli-list "$runs" 1 "" xargs -a "$list" -d '\n' "$CLI" list
BenchTime cli-list-json "$runs" 1 "" xargs -a "$list" -d '\n' "$CLI" list --json
BenchTime iconprobe-count "$runs" 1 "" xargs -a "$list" -d '\n' "$ICONPROBE" count
BenchTime wrestool-list "$runs" 1 "" xargs -a "$list" -d '\n' wrestool -l --type=14
BenchTime icoextract-count "$runs" 1 "" "$py" "$BENCH_DIR/icoextract_run.py" count "$list"
echo "count and list, warm page cache, $files files per run:"
BenchRun "files:$files" wrestool-list cli-list

Prepare() { echo "rm -rf '$work/out-$1' && mkdir '$work/out-$1'"; }
rm -f "$work/plan"
BenchTime cli-extract "$runs" 1 "$(Prepare cli-extract)" \
    xargs -a "$list" -d '\n' "$CLI" extract --wrestool-names -o "$work/out-cli-extract"
BenchTime wrestool-extract "$runs" 1 "$(Prepare wrestool-extract)" \
    xargs -a "$list" -d '\n' wrestool -x --type=14 -o "$work/out-wrestool-extract"
BenchTime icoextract-api "$runs" 1 "$(Prepare icoextract-api)" \
    "$py" "$BENCH_DIR/icoextract_run.py" extract "$list" "$work/out-icoextract-api"
echo "extract every group, warm page cache, $ours groups per run:"
BenchRun "groups:$ours" wrestool-extract icoextract-api
for n in cli-extract wrestool-extract icoextract-api; do
    d=$work/out-$n
    echo "written by $n: $(find "$d" -type f | wc -l) files, $(du -sb "$d" | cut -f1) bytes"
done
# The same files, and each group's images byte for byte (wrestool pads NE images).
same=0 differ=0
for f in "$work/out-wrestool-extract"/*; do
    g=$work/out-cli-extract/$(basename "$f")
    if [ -f "$g" ] && cmp -s "$f" "$g"; then same=$((same + 1)); else differ=$((differ + 1)); fi
done
echo "byte-identical to wrestool's: $same files, different or missing: $differ"

# The thumbnailer on every file with icons: the slowest run and the largest RSS.
xargs -a "$list" -d '\n' "$CLI" list --json 2>/dev/null |
    "$py" -c 'import json,sys
for line in sys.stdin:
    o = json.loads(line)
    if o.get("groups"): print(o["file"])' >"$work/with-icons"
"$py" - "$THUMBNAILER" "$work/with-icons" "$work/thumb.png" <<'PY'
import os, subprocess, sys, time
thumb, listing, out = sys.argv[1:4]
worst_ms, worst_kb, n = 0.0, 0, 0
for path in open(listing, encoding="utf-8", errors="surrogateescape").read().splitlines():
    best = None
    for _ in range(3):
        start = time.perf_counter()
        p = subprocess.Popen([thumb, "-s", "256", path, out], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(p.pid, 0)
        ms = (time.perf_counter() - start) * 1000
        best = ms if best is None else min(best, ms)
        worst_kb = max(worst_kb, usage.ru_maxrss)
    if best > worst_ms:
        worst_ms, worst_file = best, path
    n += 1
print(f"thumbnailer -s 256 on {n} files: slowest {worst_ms:.1f} ms ({os.path.basename(worst_file)}, best of 3), "
      f"largest resident set {worst_kb / 1024:.1f} MB")
PY
