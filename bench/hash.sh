#!/usr/bin/env bash
# Benchmark: glimmerwick-cli hash against icoextract's API + Pillow doing the same job.
#
#   bash bench/hash.sh [FOLDER...]   (default: the Windows libraries of wine64)
#
# Both get the whole file list in one process, with a warm page cache:
#   cli-hash-j1, cli-hash-j2   glimmerwick-cli hash --files-from=LIST --jobs=1 / --jobs=2
#   icoextract-pillow          icoextract_run.py hash LIST: icoextract's API gives each
#                              group's .ico bytes, hashlib their sha256, Pillow the dhash
#                              of the largest image (the tests' oracle recipe)
# Before timing, every group's sha256 and dhash must be the same from both (exit 1 if not).
# Prints files per second, files per second per core (the cores a command may use:
# N for --jobs=N, 1 for the peer) and files per CPU second, then the ratios.
# RUNS (default 10) sets the number of timed runs.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools python3-pil
BenchBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
BenchCorpus "$work/files" "$@"
runs=${RUNS:-10}
list=$work/files
py=/usr/bin/python3
files=$(wc -l <"$list")
cores=$(nproc)
echo "corpus: ${CORPUS_DIRS[*]}: $files files, $(xargs -a "$list" -d '\n' du -cb | tail -1 | cut -f1) bytes"
echo "machine: $cores cores, load average $(cut -d' ' -f1-3 /proc/loadavg) before the runs"

# The same answers first: FILE, group position, sha256, dhash from both.
"$CLI" hash --files-from="$list" --jobs=1 >"$work/ours" || true
"$CLI" hash --files-from="$list" --jobs=2 >"$work/ours2" || true
"$py" "$BENCH_DIR/icoextract_run.py" hash "$list" >"$work/theirs" 2>"$work/theirs.err" || true
cut -f1,2,4,5 "$work/ours" | LC_ALL=C sort >"$work/ours.cmp"
LC_ALL=C sort "$work/theirs" >"$work/theirs.cmp"
groups=$(wc -l <"$work/ours")
echo "icon groups: glimmerwick-cli hash $groups, icoextract+Pillow $(wc -l <"$work/theirs")" \
    "($(wc -l <"$work/theirs.err") groups it could not read)"
status=0
if ! cmp -s "$work/ours" "$work/ours2"; then
    echo "MISMATCH: --jobs=2 output differs from --jobs=1" >&2
    status=1
fi
if cmp -s "$work/ours.cmp" "$work/theirs.cmp"; then
    echo "sha256 and dhash: all $groups groups equal to icoextract+Pillow's"
else
    echo "MISMATCH with icoextract+Pillow (ours <, theirs >):" >&2
    diff "$work/ours.cmp" "$work/theirs.cmp" | head -20 >&2
    status=1
fi

BenchTime cli-hash-j1 "$runs" 1 "" "$CLI" hash --files-from="$list" --jobs=1
BenchTime cli-hash-j2 "$runs" 1 "" "$CLI" hash --files-from="$list" --jobs=2
BenchTime icoextract-pillow "$runs" 1 "" "$py" "$BENCH_DIR/icoextract_run.py" hash "$list"
echo "hash every icon group, warm page cache, $files files ($groups groups) per run:"
BenchRun "files:$files" icoextract-pillow cli-hash-j1 | tee "$work/table"
echo "machine load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
# Per core: the throughput shared among the cores a command may use.
awk -v files="$files" '
    NF == 7 && $2 ~ /^[0-9]+$/ {
        n = ($1 == "cli-hash-j2") ? 2 : 1
        printf "%-20s %8.1f files/s %8.1f files/s per core (%d) %8.1f files per CPU second\n",
               $1, files / $3, files / $3 / n, n, files / $6
        rate[$1] = files / $3 / n
    }
    END {
        if (rate["icoextract-pillow"] > 0)
            printf "per core, ours against icoextract+Pillow: --jobs=1 %.1fx, --jobs=2 %.1fx\n",
                   rate["cli-hash-j1"] / rate["icoextract-pillow"], rate["cli-hash-j2"] / rate["icoextract-pillow"]
        if (rate["cli-hash-j1"] > 0)
            printf "--jobs=2 against --jobs=1: %.2fx the files per second, %.2fx per core\n",
                   2 * rate["cli-hash-j2"] / rate["cli-hash-j1"], rate["cli-hash-j2"] / rate["cli-hash-j1"]
    }' "$work/table"
exit "$status"
