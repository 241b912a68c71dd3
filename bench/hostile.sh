#!/usr/bin/env bash
# Output size and peak memory (maximum resident set) of `glimmerwick-cli extract` on
# hostile files: icon groups whose entries all name one large image, a group over the
# 64 MiB budget, a library of 65535 groups; with wrestool on the same files beside it.
# Then the files whose 256 entries name one 1024 x 1024 image (a 4 MiB DIB, a PNG) or
# 256 such PNGs that differ: time, peak memory, exit status and bytes written of
# `png --all`, the thumbnailer and the inspector (gui_bench, offscreen).
#
#   bash bench/hostile.sh [OLD_BUILD]
#
# OLD_BUILD: another build folder (an earlier commit, built with -DGW_BENCH=ON) whose
# glimmerwick-cli, thumbnailer and gui_bench are measured in the same run, so that a
# change shows as before and after.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools
BenchGuiBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
oldBuild=${1:-}
old=${oldBuild:+$oldBuild/src/cli/glimmerwick-cli}

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
# 256 entries naming one 1024 x 1024 32-bit DIB of noise (4 MiB); 256 entries naming
# 256 different stretches of one small 1024 x 1024 PNG (68 MiB and more once decoded).
import os, zlib
dib = struct.pack("<IiiHHIIiiII", 40, 1024, 2048, 1, 32, 0, 0, 0, 0, 0, 0) + os.urandom(1024 * 1024 * 4) + bytes(128 * 1024)
def shared(name, entries, body):
    head = struct.pack("<HHH", 0, 1, len(entries))
    for offset, length in entries:
        head += struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, length, after + offset)
    with open(f"{out}/{name}", "wb") as f:
        f.write(head + body)
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1024, 1024, 8, 6, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(bytes(1024 * 4097), 9)) + chunk(b"IEND", b""))
shared("256xDIB.ico", [(0, len(dib))] * 256, dib)
shared("256xPNG.ico", [(0, len(png) + i) for i in range(256)], png + bytes(256))
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

# Seconds, peak resident set in kB, exit status and bytes written of one command (OUT in
# its arguments: a fresh folder), under 4 GB of address space.
Measure() {
    local out=$work/out
    rm -rf "$out"
    mkdir -p "$out"
    local args=("${@//OUT/$out}")
    local report
    report=$( (ulimit -v 4000000; QT_QPA_PLATFORM=offscreen RUNS=1 /usr/bin/time -v "${args[@]}" 2>&1 >/dev/null) || true)
    printf '%9s %8s %6s %12s\n' "$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' <<<"$report" | tail -1)" \
        "$(sed -n 's/.*Maximum resident set size (kbytes): //p' <<<"$report" | tail -1)" \
        "$(sed -n 's/.*Exit status: //p' <<<"$report" | tail -1)" "$(du -sb "$out" | cut -f1)"
}

echo
printf '%-14s %-18s %9s %8s %6s %12s\n' file run time "RSS kB" exit "bytes out"
for f in 256xDIB.ico 256xPNG.ico 256x60MiB.ico; do
    for build in ours ${oldBuild:+before}; do
        cli=$CLI thumb=$THUMBNAILER gui=$GUI_BENCH
        if [ "$build" = before ]; then
            cli=$oldBuild/src/cli/glimmerwick-cli thumb=$oldBuild/src/cli/glimmerwick-thumbnailer gui=$oldBuild/bench/gui_bench
        fi
        printf '%-14s %-18s %s\n' "$f" "$build png --all" "$(Measure "$cli" png --all -o OUT "$work/$f")"
        printf '%-14s %-18s %s\n' "$f" "$build thumbnailer" "$(Measure "$thumb" -s 256 "$work/$f" OUT/t.png)"
        printf '%-14s %-18s %s\n' "$f" "$build inspector" "$(Measure "$gui" inspect "$work/$f" 0)"
    done
done
