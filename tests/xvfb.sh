# Shared start of the tests that need a real X server: sourced, not run. Defines skip,
# a scratch folder $scratch and the list $pids of processes to end (both cleaned up at
# exit), starts Xvfb on a free display and exports DISPLAY; skips when it cannot.
# shellcheck shell=bash
skip() { echo "SKIPPED: $*"; exit 0; }
command -v Xvfb >/dev/null || skip "Xvfb missing"

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
