#!/usr/bin/env bash
# Benchmark: KDE previews of Windows libraries, as Dolphin asks for them.
#
#   bash bench/kio.sh [FOLDER...]      (default: the libraries wine64 installs)
#
# KIO::PreviewJob (bench/kio_preview.cpp) asks the thumbnail worker for a 256-pixel
# preview of every file with icons, once with Glimmerwick's plugin alone and once with
# KDE's own Windows executable plugin alone (kio-extras' windowsexethumbnail, which runs
# wrestool and icotool), each run with an empty thumbnail cache, under Xvfb on a private
# session bus. For scale, glimmerwick-thumbnailer runs once per file as freedesktop file
# managers start it. RUNS (default 3) rounds, after one warm-up; medians and ratios.
source "$(dirname "$0")/lib.sh"
BenchInstallTools kio-extras libkf5kio-dev xvfb xauth dbus-daemon
BenchBuild
cmake --build "$BUILD_DIR" -j2 --target glimmerwickthumbnail kio_preview >/dev/null
runs=${RUNS:-3}

work=$(mktemp -d)
trap 'kill "${xvfb:-0}" 2>/dev/null; rm -rf "$work"' EXIT
BenchCorpus "$work/all" "$@"
# Files with icons, copied under names that give them the type KDE's plugin takes too.
mkdir "$work/files"
n=0
while IFS= read -r f; do
    "$CLI" list "$f" >/dev/null 2>&1 || continue
    n=$((n + 1))
    cp "$f" "$work/files/$n-$(basename "$f")"
done <"$work/all"
echo "corpus: $n files with icons"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_PLUGIN_PATH=$BUILD_DIR:/usr/lib/x86_64-linux-gnu/qt5/plugins

preview() {  # PLUGIN [FILE...]: prints "previews failed ms" (default: every file)
    local plugin=$1
    shift
    (($#)) || set -- "$work"/files/*
    rm -rf "$work/cache"
    XDG_CACHE_HOME=$work/cache dbus-run-session -- "$BUILD_DIR/src/kio/kio_preview" "$plugin" 256 "$@" 2>/dev/null |
        sed -n 's/^\([0-9]*\) previews, \([0-9]*\) failed, \([0-9]*\) ms$/\1 \2 \3/p'
}
thumbnailer() {  # prints "ms"
    local start end
    start=$(date +%s%N)
    for f in "$work"/files/*; do "$THUMBNAILER" -s 256 "$f" "$work/t.png" >/dev/null 2>&1 || true; done
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

preview glimmerwickthumbnail >/dev/null
# The job's fixed cost (starting the worker, loading the plugin): one file alone.
first=$(ls "$work"/files/* | head -n 1)
: >"$work/ours"; : >"$work/kde"; : >"$work/thumb"; : >"$work/ours1"; : >"$work/kde1"
for r in $(seq "$runs"); do
    read -r _ _ ms < <(preview glimmerwickthumbnail "$first")
    echo "$ms" >>"$work/ours1"
    read -r _ _ ms < <(preview windowsexethumbnail "$first")
    echo "$ms" >>"$work/kde1"
    read -r got failed ms < <(preview glimmerwickthumbnail)
    echo "$ms" >>"$work/ours"
    echo "round $r: glimmerwickthumbnail $got previews ($failed failed) in $ms ms"
    read -r got failed ms < <(preview windowsexethumbnail)
    echo "$ms" >>"$work/kde"
    echo "round $r: windowsexethumbnail $got previews ($failed failed) in $ms ms"
    ms=$(thumbnailer)
    echo "$ms" >>"$work/thumb"
    echo "round $r: glimmerwick-thumbnailer, one process a file, $ms ms"
done
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ours=$(median "$work/ours") kde=$(median "$work/kde") thumb=$(median "$work/thumb")
ours1=$(median "$work/ours1") kde1=$(median "$work/kde1")
echo "one file alone (the job's fixed cost): glimmerwickthumbnail $ours1 ms, windowsexethumbnail $kde1 ms"
echo "each further file: glimmerwickthumbnail $(awk -v a="$ours" -v b="$ours1" -v n="$n" 'BEGIN{printf "%.1f", (a-b)/(n-1)}') ms," \
     "windowsexethumbnail $(awk -v a="$kde" -v b="$kde1" -v n="$n" 'BEGIN{printf "%.1f", (a-b)/(n-1)}') ms"
echo "medians for $n files: glimmerwickthumbnail $ours ms ($(awk -v a="$ours" -v n="$n" 'BEGIN{printf "%.1f", a/n}') ms a file)," \
     "windowsexethumbnail $kde ms ($(awk -v a="$kde" -v n="$n" 'BEGIN{printf "%.1f", a/n}') ms a file)," \
     "glimmerwick-thumbnailer $thumb ms ($(awk -v a="$thumb" -v n="$n" 'BEGIN{printf "%.1f", a/n}') ms a file)"
echo "ratio windowsexethumbnail / glimmerwickthumbnail: $(awk -v a="$kde" -v b="$ours" 'BEGIN{printf "%.1f", a/b}')"
