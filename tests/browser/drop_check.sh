#!/usr/bin/env bash
# Files dropped on the real window under Xvfb, with the pointer moved by xdotool: a folder
# whose name is not UTF-8 dragged from another program (drag_source) onto the window is
# browsed, which the settings written at Ctrl+Q remember; a row dragged out of the list
# reaches another program, and released over the window itself it changes nothing.
# Usage: drop_check.sh PROGRAM DRAG_SOURCE ICON_FILE
set -uo pipefail
program=$1
source_program=$2
icon=$3
fail() { echo "FAILED: $*"; exit 1; }

# shellcheck source=tests/xvfb.sh
source "$(dirname "$0")/../xvfb.sh"
command -v xdotool >/dev/null || skip "xdotool missing"
unset QT_QPA_PLATFORM
export HOME=$scratch XDG_CONFIG_HOME=$scratch

# A folder named in GB2312 bytes ("测试"), and the program beside its own settings.
target=$(printf '%s/\xb2\xe2\xca\xd4' "$scratch")
mkdir "$target" "$scratch/start"
cp "$icon" "$target/one.ico"
cp "$program" "$scratch/glimmerwick"
"$scratch/glimmerwick" --lang en "$scratch/start" >/dev/null 2>&1 &
pids+=($!)
window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Glimmerwick$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "the window did not appear"
"$source_program" "file://$scratch/%B2%E2%CA%D4" >"$scratch/source.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xdotool search --onlyvisible --name '^drag source$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1

eval "$(xdotool getwindowgeometry --shell "$window")"
# Drags with the left button from (x1, y1) to (x2, y2) in steps, as a hand moves, and
# lingers there until the window under the pointer has answered.
Drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4
    xdotool mousemove "$x1" "$y1" mousedown 1
    for i in $(seq 1 20); do
        xdotool mousemove $((x1 + (x2 - x1) * i / 20)) $((y1 + (y2 - y1) * i / 20))
        sleep 0.05
    done
    for i in 1 2 3 4 5; do
        xdotool mousemove_relative -- $((i % 2 * 2 - 1)) 0
        sleep 0.2
    done
    sleep 0.5
    xdotool mouseup 1
    sleep 1
}
# The folder from the source onto the middle of the window.
Drag 60 40 $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
grep -q "dropped copy" "$scratch/source.log" || fail "the window did not take the drop: $(cat "$scratch/source.log")"
# The list's first row (one.ico) out to the source, then onto the window's folder list.
row_x=$((X + 260)) row_y=$((Y + 110))
Drag $row_x $row_y 60 40
grep -q "received file://.*/one0.ico" "$scratch/source.log" || fail "no row was dragged out: $(cat "$scratch/source.log")"
Drag $row_x $row_y $((X + 80)) $((Y + 200))
# SCREENSHOT=FILE keeps a picture of the screen after the drop.
[ -n "${SCREENSHOT:-}" ] && import -window root "$SCREENSHOT"
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "${pids[1]}" 2>/dev/null || break; sleep 0.1; done
ini=$scratch/glimmerwick.INI
[ -f "$ini" ] || fail "no settings written"
grep -qa "^Directory=$target\$" "$ini" || fail "the window did not browse the dropped folder: $(grep -a Directory "$ini")"
echo "PASSED: the dropped folder was browsed; a row went out to another program and was not taken back"
