#!/usr/bin/env bash
# Output size and peak memory (maximum resident set) of `glimmerwick-cli extract` on
# hostile files: icon groups whose entries all name one large image, a group over the
# 64 MiB budget, a library of 65535 groups; with wrestool on the same files beside it.
#
#   bash bench/hostile.sh [OLD_CLI]
#
# OLD_CLI: another build of glimmerwick-cli (an earlier commit) measured in the same
# run, so that a change shows as before and after.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools
BenchBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
old=${1:-}

# Sparse .ico files: a directory whose entries name (offset, size) images, the images
# themselves holes, so that 80 MiB of images cost no disk.
python3 - "$work" <<'EOF'
import struct, sys
out = sys.argv[1]
MiB = 1 << 20
def ico(name, images, size):
    head = struct.pack("<HHH", 0, 1, len(images))
    for offset, length in images:
        head += struct.pack("<BBBBHHII", 32, 32, 0, 0, 1, 32, length, offset)
    with open(f"{out}/{name}", "wb") as f:
        f.write(head)
        f.truncate(size)
after = 6 + 16 * 256
ico("256x1MiB.ico", [(after, MiB)] * 256, after + MiB)
ico("256x60MiB.ico", [(after, 60 * MiB)] * 256, after + 60 * MiB)
ico("2x40MiB.ico", [(38, 40 * MiB), (38 + 40 * MiB, 40 * MiB)], 38 + 80 * MiB)
EOF
icotool -c -o "$work/small.ico" "$REPO_DIR/tests/data/images/pal16_32.png"
python3 "$REPO_DIR/tests/data/make_many_groups.py" "$work/small.ico" 65535 "$work/65535groups.dll"

# Peak resident set in kB, exit status and bytes written by one run into a fresh
# folder. Every run is held to 4 GB of address space: an unbounded one would take the
# machine's memory (a build before the budget wrote a 16 GB file from 256x60MiB.ico).
Run() {
    local out=$work/out
    rm -rf "$out"
    mkdir -p "$out"
    local report
    report=$( (ulimit -v 4000000; /usr/bin/time -v "$@" -o "$out" 2>&1 >/dev/null) || true)
    printf '%8s %6s %12s\n' "$(sed -n 's/.*Maximum resident set size (kbytes): //p' <<<"$report" | tail -1)" \
        "$(sed -n 's/.*Exit status: //p' <<<"$report" | tail -1)" "$(du -sb "$out" | cut -f1)"
}
RunWrestool() {
    local out=$work/out
    rm -rf "$out"
    mkdir -p "$out"
    local rss
    rss=$( { /usr/bin/time -v wrestool -x --type=14 -o "$out" "$1" 2>&1 >/dev/null; } | sed -n 's/.*Maximum resident set size (kbytes): //p' | tail -1)
    printf '%8s %6s %12s\n' "$rss" "-" "$(du -sb "$out" | cut -f1)"
}

printf '%-18s %-10s %8s %6s %12s\n' file program "RSS kB" exit "bytes out"
for f in 256x1MiB.ico 256x60MiB.ico 2x40MiB.ico 65535groups.dll; do
    printf '%-18s %-10s %s\n' "$f" ours "$(Run "$CLI" extract "$work/$f")"
    [ -n "$old" ] && printf '%-18s %-10s %s\n' "$f" before "$(Run "$old" extract "$work/$f")"
    [[ $f == *.dll ]] && printf '%-18s %-10s %s\n' "$f" wrestool "$(RunWrestool "$work/$f")"
done
