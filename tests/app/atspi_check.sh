#!/usr/bin/env bash
# The window as a screen reader reads it: the program in English on its own Xvfb, with a
# session bus and the accessibility bus started here, checked by atspi_check.py.
# Usage: atspi_check.sh PROGRAM SCRIPT_DIR
set -uo pipefail
program=$1
here=$2
launcher=/usr/libexec/at-spi-bus-launcher
skip() { echo "SKIPPED: $*"; exit 0; }
command -v Xvfb >/dev/null || skip "Xvfb missing"
command -v dbus-daemon >/dev/null || skip "dbus-daemon missing"
[ -x "$launcher" ] || skip "at-spi2-core missing"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi missing"

scratch=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$scratch"; }
trap cleanup EXIT

exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || skip "Xvfb did not start"
export DISPLAY=:$(head -1 "$scratch/display")
read -r address pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
[ -n "${pid:-}" ] || skip "no session bus"
pids+=("$pid")
export DBUS_SESSION_BUS_ADDRESS=$address
"$launcher" --launch-immediately >/dev/null 2>&1 &
pids+=($!)
sleep 1
kill -0 "${pids[-1]}" 2>/dev/null || skip "the accessibility bus did not start"

unset QT_QPA_PLATFORM
export HOME=$scratch XDG_CONFIG_HOME=$scratch QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
cp "$program" "$scratch/glimmerwick"
"$scratch/glimmerwick" --lang en "$scratch" >/dev/null 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/atspi_check.py" File View Setup Help Up Save Exit First Previous Next Last About Folders Icons
