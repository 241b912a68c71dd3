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
# (The tools exit 1 when some files hold no icons.)
ours=$({ xargs -a "$list" -d '\n' "$CLI" list --json 2>/dev/null || true; } | grep -o '"index":' | wc -l)
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
# The same files with the same directories and image bytes (wrestool writes some
# bytes more after the last image, and pads NE images to their alignment units).
"$py" - "$work/out-wrestool-extract" "$work/out-cli-extract" <<'PY'
import os, struct, sys
theirs, ours = sys.argv[1:3]
def images(path):
    d = open(path, "rb").read()
    n = struct.unpack_from("<H", d, 4)[0]
    out = []
    for i in range(n):
        w, h, c, r, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", d, 6 + 16 * i)
        out.append(((w, h, c, planes, bits), d[offset:offset + size]))
    return out
a, b = set(os.listdir(theirs)), set(os.listdir(ours))
same = prefix = differ = 0
for name in sorted(a & b):
    t, o = images(os.path.join(theirs, name)), images(os.path.join(ours, name))
    if t == o:
        same += 1
    elif len(t) == len(o) and all(x[0] == y[0] and x[1].startswith(y[1]) for x, y in zip(t, o)):
        prefix += 1
    else:
        differ += 1
        print("differs:", name)
print(f"groups written by both: {len(a & b)}; same directory and image bytes: {same}, "
      f"ours a prefix of wrestool's padded images: {prefix}, different: {differ}; "
      f"only wrestool: {sorted(a - b)}; only ours: {sorted(b - a)}")
PY

# The thumbnailer on every file with icons: the slowest run and the largest RSS.
{ xargs -a "$list" -d '\n' "$CLI" list --json 2>/dev/null || true; } |
    "$py" -c 'import json,sys
for line in sys.stdin:
    o = json.loads(line)
    if o.get("groups"): print(o["file"])' >"$work/with-icons"
"$py" - "$THUMBNAILER" "$work/with-icons" "$work/thumb.png" <<'PY'
import os, subprocess, sys, time
thumb, listing, out = sys.argv[1:4]
worst_ms, worst_cpu, worst_kb, n = 0.0, 0.0, 0, 0
for path in open(listing, encoding="utf-8", errors="surrogateescape").read().splitlines():
    wall = cpu = None
    for _ in range(3):
        start = time.perf_counter()
        p = subprocess.Popen([thumb, "-s", "256", path, out], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(p.pid, 0)
        ms = (time.perf_counter() - start) * 1000
        wall = ms if wall is None else min(wall, ms)
        c = (usage.ru_utime + usage.ru_stime) * 1000
        cpu = c if cpu is None else min(cpu, c)
        worst_kb = max(worst_kb, usage.ru_maxrss)
    if wall > worst_ms:
        worst_ms, worst_file = wall, path
    if cpu > worst_cpu:
        worst_cpu, worst_cpu_file = cpu, path
    n += 1
print(f"thumbnailer -s 256 on {n} files (best of 3 runs each): slowest wall {worst_ms:.1f} ms "
      f"({os.path.basename(worst_file)}), most CPU {worst_cpu:.1f} ms ({os.path.basename(worst_cpu_file)}), "
      f"largest resident set {worst_kb / 1024:.1f} MB")
PY
