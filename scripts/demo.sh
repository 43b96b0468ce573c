#!/usr/bin/env bash
# The demonstration: installs what is missing, builds, and runs a session of the host
# program with both plug-ins.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLU_BUILD_DIR:-$here/build}
"$here/scripts/bootstrap.sh"
for plu in termblank termdt930; do
  "$here/scripts/wine-run.sh" "$build/bin/pluhost.exe" "$build/bin/$plu.plu"
done
