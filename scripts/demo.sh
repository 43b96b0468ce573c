#!/usr/bin/env bash
# The demonstration: installs what is missing, builds, describes both plug-ins through the
# host program and runs a scripted session on termblank.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLU_BUILD_DIR:-$here/build}
"$here/scripts/bootstrap.sh"
host() {
  echo "\$ pluhost $*"
  # A call that fails is part of the demonstration; the status is shown, not fatal.
  "$here/scripts/wine-run.sh" "$build/bin/pluhost.exe" "$@" || echo "(exit status $?)"
  echo
}
for plu in termblank termdt930; do
  host "$build/bin/$plu.plu"
done
host "$build/bin/termblank.plu" call Включить i:1
# One session on termblank: its information interfaces, a device added from its document,
# its parameters, the empty terminal's failing write and the device list document.
host "$build/bin/termblank.plu" script "$here/scripts/demo/termblank.txt"
