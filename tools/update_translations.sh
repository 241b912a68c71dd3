#!/usr/bin/env bash
# Brings the English translation source up to date with the program's texts (run after
# adding or changing a text; then translate what Qt Linguist shows as unfinished).
# The command-line tool speaks English only and is left out.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=/usr/lib/qt6/bin/lupdate
[ -x "$lupdate" ] || { echo "lupdate missing: apt-get install qt6-l10n-tools" >&2; exit 1; }
"$lupdate" -I src -locations none -source-language zh_CN -target-language en \
  src/app src/browser src/extract src/framework src/settings src/skin src/xpmenu \
  -ts src/forms/translations/glimmerwick_en.ts
