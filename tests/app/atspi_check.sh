#!/usr/bin/env bash
# The window as a screen reader reads it: the program in English on its own Xvfb, with a
# session bus and the accessibility bus started here, checked by atspi_check.py.
# Usage: atspi_check.sh PROGRAM SCRIPT_DIR
set -uo pipefail
program=$1
here=$2
launcher=/usr/libexec/at-spi-bus-launcher
# shellcheck source=tests/xvfb.sh
source "$here/../xvfb.sh"
command -v dbus-daemon >/dev/null || skip "dbus-daemon missing"
[ -x "$launcher" ] || skip "at-spi2-core missing"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi missing"

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
# A library of icons to list and inspect: the program's own flames.
cp "$(dirname "$program")/Tarnwell.dll" "$scratch/"
"$scratch/glimmerwick" --lang en "$scratch" >/dev/null 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/atspi_check.py" File View Setup Help Up Save Exit First Previous Next Last About Folders Icons
