#!/usr/bin/env bash
# Runs the tests of a test program that need the X11 platform on their own Xvfb.
# Usage: xcb_check.sh TEST_PROGRAM GTEST_FILTER
set -uo pipefail
# shellcheck source=tests/xvfb.sh
source "$(dirname "$0")/xvfb.sh"
command -v xprop >/dev/null || skip "xprop missing"
export QT_QPA_PLATFORM=xcb HOME=$scratch XDG_CONFIG_HOME=$scratch
# Under the leak checker, the X11 platform's system libraries are not ours to answer for.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp"
"$1" --gtest_filter="$2" 2>&1
