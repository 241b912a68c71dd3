#!/usr/bin/env bash
# Compiles the help pages in docs/help into src/forms/help.chm (committed; the build copies it
# beside the executable). Needs chmcmd from Debian's fp-utils.
set -euo pipefail
cd "$(dirname "$0")/../docs/help"
command -v chmcmd >/dev/null || { echo "chmcmd missing: apt-get install fp-utils" >&2; exit 1; }
chmcmd help.hhp >/dev/null
mv help.chm ../../src/forms/help.chm
echo "wrote src/forms/help.chm"
