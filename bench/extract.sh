#!/usr/bin/env bash
# Benchmark: extract every icon of every file of a folder, ours against wrestool and icoextract.
#
#   bash bench/extract.sh [FOLDER...]    (default: the Windows libraries of wine64)
#
# Commands timed, interleaved run by run (bench/runbench.py), with a warm page cache
# (a warm-up run reads the files first); every run writes into an emptied folder:
#   ours-batch           bench/extract_all: every file, every icon, one process
#   ours-per-icon        iconprobe count over all files, then one iconprobe save per icon
#   wrestool-per-file    one wrestool -x --type=14 per file (all groups of the file)
#   icoextract-api       icoextract's Python API, every group of every file, one process
#   icoextract-per-icon  icoextract -n INDEX, one per icon (the list of icons given)
# The work differs: ours decodes each group and writes a new 32x32 16-colour icon
# (766 bytes); wrestool and icoextract copy the group's images as they are.
# RUNS (default 10) and SLOW_RUNS (default 2) set the number of timed runs.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools
BenchBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
BenchCorpus "$work/files" "$@"
runs=${RUNS:-10}
slowRuns=${SLOW_RUNS:-2}
list=$work/files
py=/usr/bin/python3
files=$(wc -l <"$list")

# The icons to write, as FILE INDEX OUT argument triples (one argument a line).
xargs -a "$list" -d '\n' "$ICONPROBE" count >"$work/counts"
icons=$(awk -F'\t' '{s += $1} END {print s + 0}' "$work/counts")
awk -F'\t' -v out="$work/out-ours-per-icon" '{
    path = substr($0, index($0, "\t") + 1)
    n = split(path, parts, "/")
    for (i = 0; i < $1; ++i)
        printf "%s\n%d\n%s/%d-%s-%d.ico\n", path, i, out, NR - 1, parts[n], i
}' "$work/counts" >"$work/ours-jobs"
awk -F'\t' -v out="$work/out-icoextract-per-icon" '{
    path = substr($0, index($0, "\t") + 1)
    n = split(path, parts, "/")
    for (i = 0; i < $1; ++i)
        printf "-n\n%d\n%s\n%s/%d-%s-%d.ico\n", i, path, out, NR - 1, parts[n], i
}' "$work/counts" >"$work/icoextract-jobs"

cat >"$work/ours-per-icon.sh" <<EOF
xargs -a "$list" -d '\n' "$ICONPROBE" count >/dev/null
exec xargs -a "$work/ours-jobs" -d '\n' -n 3 "$ICONPROBE" save
EOF

Prepare() { echo "rm -rf '$work/out-$1' && mkdir '$work/out-$1'"; }
BenchTime ours-batch "$runs" 1 "$(Prepare ours-batch)" \
    xargs -a "$list" -d '\n' "$EXTRACT_ALL" "$work/out-ours-batch"
BenchTime ours-per-icon "$runs" 1 "$(Prepare ours-per-icon)" sh "$work/ours-per-icon.sh"
BenchTime wrestool-per-file "$runs" 1 "$(Prepare wrestool-per-file)" \
    xargs -a "$list" -d '\n' -n1 wrestool -x --type=14 -o "$work/out-wrestool-per-file"
BenchTime icoextract-api "$runs" 1 "$(Prepare icoextract-api)" \
    "$py" "$BENCH_DIR/icoextract_run.py" extract "$list" "$work/out-icoextract-api"
BenchTime icoextract-per-icon "$slowRuns" 0 "$(Prepare icoextract-per-icon)" \
    xargs -a "$work/icoextract-jobs" -d '\n' -n 4 icoextract

echo "corpus: ${CORPUS_DIRS[*]}: $files files, $icons icons (iconprobe count)"
echo "extract, warm page cache, $icons icons per run:"
BenchRun "icons:$icons" ours-batch ours-per-icon
for n in ours-batch ours-per-icon wrestool-per-file icoextract-api icoextract-per-icon; do
    d=$work/out-$n
    echo "written by $n: $(find "$d" -type f | wc -l) files, $(du -sb "$d" | cut -f1) bytes"
done
