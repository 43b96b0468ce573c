#!/usr/bin/env bash
# The demonstration: installs what is missing, builds, and runs a session of the host
# program with both plug-ins.
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
host "$build/bin/termblank.plu" call Включить 1
