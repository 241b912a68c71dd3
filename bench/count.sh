#!/usr/bin/env bash
# Benchmark: count the icons of every file of a folder, ours against wrestool and icoextract.
#
#   bash bench/count.sh [FOLDER...]      (default: the Windows libraries of wine64)
#
# Commands timed, interleaved run by run (bench/runbench.py), all over the same file
# list through xargs, with a warm page cache (a warm-up run reads the files first):
#   ours-1-process     iconprobe count with every file as arguments
#   ours-per-file      one iconprobe count per file
#   wrestool-per-file  one wrestool -l --type=14 per file
#   icoextract-api     icoextract's Python API over every file in one process
#   icolist-per-file   icoextract's icolist command, one per file (Python starts
#                      every time; few runs, it is slow)
#   true-per-file      /bin/true per file: the cost of starting a process, which
#                      bounds every per-file figure from below
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

# The three tools must agree before their speed means anything.
ours=$(xargs -a "$list" -d '\n' "$ICONPROBE" count | awk -F'\t' '{s += $1} END {print s + 0}')
theirs=0
while IFS= read -r f; do
    theirs=$((theirs + $(WrestoolGroupNames "$f" | wc -l)))
done <"$list"
ico=$("$py" "$BENCH_DIR/icoextract_run.py" count "$list" | awk -F'\t' '{s += $1} END {print s + 0}')
files=$(wc -l <"$list")
echo "corpus: ${CORPUS_DIRS[*]}: $files files, $(xargs -a "$list" -d '\n' du -cb | tail -1 | cut -f1) bytes"
echo "icons counted: iconprobe $ours, wrestool $theirs, icoextract $ico"

BenchTime ours-1-process "$runs" 1 "" xargs -a "$list" -d '\n' "$ICONPROBE" count
BenchTime ours-per-file "$runs" 1 "" xargs -a "$list" -d '\n' -n1 "$ICONPROBE" count
BenchTime wrestool-per-file "$runs" 1 "" xargs -a "$list" -d '\n' -n1 wrestool -l --type=14
BenchTime icoextract-api "$runs" 1 "" "$py" "$BENCH_DIR/icoextract_run.py" count "$list"
BenchTime true-per-file "$runs" 1 "" xargs -a "$list" -d '\n' -n1 /bin/true
BenchTime icolist-per-file "$slowRuns" 0 "" xargs -a "$list" -d '\n' -n1 icolist

echo "count, warm page cache, $files files per run:"
BenchRun "files:$files" ours-1-process ours-per-file
