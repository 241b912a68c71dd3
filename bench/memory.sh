#!/usr/bin/env bash
# Peak memory (maximum resident set, from /usr/bin/time -v) of ours and the peers on
# the biggest files of a folder.
#
#   bash bench/memory.sh [FOLDER...]     (default: the Windows libraries of wine64)
#
# The reader reads only what a request needs (headers, the resource directory, the
# chosen images) into buffers; nothing is mapped.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools
BenchBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
BenchCorpus "$work/files" "$@"
list=$work/files
py=/usr/bin/python3

# Largest of the same few runs, in kB.
MaxRss() {
    local best=0 rss
    for _ in 1 2 3; do
        rss=$(/usr/bin/time -v "$@" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p')
        ((rss > best)) && best=$rss
    done
    echo "$best"
}

biggest=$(xargs -a "$list" -d '\n' stat -c '%s %n' | sort -n | tail -1 | cut -d' ' -f2-)
xargs -a "$list" -d '\n' "$ICONPROBE" count >"$work/counts"
# The biggest file that has icons, and how many.
read -r iconCount iconFile < <(while IFS=$'\t' read -r n f; do
    ((n > 0)) && echo "$(stat -c %s "$f") $n $f"
done <"$work/counts" | sort -n | tail -1 | cut -d' ' -f2-)
last=$((iconCount - 1))

printf '%-58s %10s\n' "command" "max RSS kB"
Row() { printf '%-58s %10s\n' "$1" "$2"; }
Row "/bin/true (floor)" "$(MaxRss /bin/true)"
Row "iconprobe count $(basename "$biggest") ($(($(stat -c %s "$biggest") / 1024)) kB)" \
    "$(MaxRss "$ICONPROBE" count "$biggest")"
Row "wrestool -l --type=14 $(basename "$biggest")" "$(MaxRss wrestool -l --type=14 "$biggest")"
Row "iconprobe count, all $(wc -l <"$list") files, one process" "$(MaxRss xargs -a "$list" -d '\n' "$ICONPROBE" count)"
Row "iconprobe save $(basename "$iconFile") ($(($(stat -c %s "$iconFile") / 1024)) kB) $last" \
    "$(MaxRss "$ICONPROBE" save "$iconFile" "$last" "$work/one.ico")"
mkdir -p "$work/all" "$work/wrestool" "$work/icoextract"
Row "extract_all: all $iconCount icons of $(basename "$iconFile")" "$(MaxRss "$EXTRACT_ALL" "$work/all" "$iconFile")"
Row "wrestool -x --type=14 $(basename "$iconFile")" "$(MaxRss wrestool -x --type=14 -o "$work/wrestool" "$iconFile")"
printf '%s\n' "$iconFile" >"$work/one"
Row "icoextract API: all icons of $(basename "$iconFile")" \
    "$(MaxRss "$py" "$BENCH_DIR/icoextract_run.py" extract "$work/one" "$work/icoextract")"
