#!/usr/bin/env bash
# Benchmark: what the folder-tree extraction's progress texts cost. The real main window
# (offscreen, shown) extracts the tree with the folder-tree command, its status bar
# showing the progress, and again with GW_BENCH_NO_PROGRESS set (no progress texts,
# only the end message); processes of each kind alternate, each extracting INNER times
# (default 10) from a cold reader cache. Then wrestool (every file in one process) and
# icoextract's API extract the same files, timed with ours in the same run.
#
#   bash bench/progress.sh [TREE]
#     TREE  extracted with its subfolders (default: wine64's whole library tree)
# FORMATS (default "1 2") names the window's extraction formats to time: 1 16-colour
# icons (the default), 2 each group as stored (what the peers write), 3 PNG. ROUNDS
# (default 5) sets the alternations, RUNS (default 5) the peers' timed runs.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools
BenchGuiBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=${1:-$(dirname "${WINE_DIRS[0]}")}
rounds=${ROUNDS:-5}
runs=${RUNS:-5}
py=/usr/bin/python3

# The files the walk extracts by default (every listed kind), for the peers.
find "$tree" -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.ocx' -o -iname '*.cpl' \
    -o -iname '*.scr' -o -iname '*.drv' -o -iname '*.bpl' -o -iname '*.icl' \) | LC_ALL=C sort >"$work/files"
echo "== $tree: $(wc -l <"$work/files") files of the listed kinds; output under $work"

for format in ${FORMATS:-1 2}; do
    echo "== extraction format $format: $rounds rounds of ${INNER:-10} extractions with and without progress"
    : >"$work/on.txt"
    : >"$work/off.txt"
    for r in $(seq "$rounds"); do
        for progress in on off; do
            rm -rf "$work/out" && mkdir "$work/out"
            if [ $progress = on ]; then
                RUNS=${INNER:-10} "$GUI_BENCH" progress "$tree" "$work/out" "$format" 2>/dev/null >"$work/$progress-$r.txt"
            else
                GW_BENCH_NO_PROGRESS=1 RUNS=${INNER:-10} "$GUI_BENCH" progress "$tree" "$work/out" "$format" \
                    2>/dev/null >"$work/$progress-$r.txt"
            fi
            cat "$work/$progress-$r.txt" >>"$work/$progress.txt"
        done
    done
    "$py" - "$work/on.txt" "$work/off.txt" <<'PY'
import statistics, sys
def read(path):
    runs, cpus, facts = [], [], {}
    for line in open(path):
        key, _, rest = line.partition(" ")
        if key in ("runs", "cpu"):
            (runs if key == "runs" else cpus).append([float(x) for x in rest.split()])
        else:
            facts[key] = rest.strip()
    return runs, cpus, facts
on, on_cpu, on_facts = read(sys.argv[1])
off, off_cpu, off_facts = read(sys.argv[2])
m = lambda rs: statistics.median([x for r in rs for x in r])
print(f"icons {on_facts['icons']}, files {on_facts['files']}; status bar paints per process: "
      f"with progress {on_facts['status_paints']}, without {off_facts['status_paints']}")
# Measured directly: the paints the progress adds per extraction, each timed alone.
inner = len(on[0])
extra = (int(on_facts["status_paints"]) - int(off_facts["status_paints"])) / inner
update = float(on_facts["update_ms"]) / 1000
print(f"direct: {extra:.1f} progress updates per extraction at {update * 1000:.3f} ms each = "
      f"{extra * update * 1000:.2f} ms, {100 * extra * update / m(off):.2f}% of the extraction without progress")
for what, a, b in (("wall", on, off), ("cpu", on_cpu, off_cpu)):
    pairs = [statistics.median(x) / statistics.median(y) for x, y in zip(a, b)]
    print(f"{what}: median extraction with progress {m(a):.4f} s, without {m(b):.4f} s "
          f"({sum(map(len, a))} runs each): progress cost {100 * (m(a) / m(b) - 1):+.1f}% "
          f"(round by round {min(pairs):.3f} .. {max(pairs):.3f})")
PY
    icons=$(awk '$1 == "icons" {print $2; exit}' "$work/on.txt")
    Prepare() { echo "rm -rf '$work/out-$1' && mkdir '$work/out-$1'"; }
    rm -f "$work/plan"
    BenchTime "window-$format" "$runs" 1 "$(Prepare ours)" \
        env RUNS=1 "$GUI_BENCH" progress "$tree" "$work/out-ours" "$format"
    BenchTime wrestool-one-process "$runs" 1 "$(Prepare wrestool)" \
        xargs -a "$work/files" -d '\n' wrestool -x --type=14 -o "$work/out-wrestool"
    BenchTime icoextract-api "$runs" 1 "$(Prepare icoextract)" \
        "$py" "$BENCH_DIR/icoextract_run.py" extract "$work/files" "$work/out-icoextract"
    echo "-- the whole window process (start, window, one extraction) against the peers' processes"
    BenchRun "icons:$icons" "window-$format"
    for n in ours wrestool icoextract; do
        echo "written by $n: $(find "$work/out-$n" -type f | wc -l) files"
    done
done
