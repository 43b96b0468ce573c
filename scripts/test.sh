#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, and runs every test under Wine.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLU_BUILD_DIR:-$here/build}
"$here/scripts/bootstrap.sh"

export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all
# A persistent wineserver keeps every test program's start-up short.
wineserver -p 60 || true
trap 'WINEPREFIX=$build/wineprefix wineserver -k >/dev/null 2>&1 || true' EXIT
# One program first, alone: the first programs of a fresh wineserver start its services,
# and two of them doing that at once can hang.
"$here/scripts/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 120
