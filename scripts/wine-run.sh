#!/usr/bin/env bash
# Runs a Windows program of the build under the build tree's Wine prefix.
# PLU_LOCALE picks the Windows user locale (Russian unless a test asks for another).
set -e
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-${PLU_BUILD_DIR:-$here/build}/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Set for the child only: the shell itself may have no such glibc locale, Wine needs none.
exec env LC_ALL="${PLU_LOCALE:-ru_RU.UTF-8}" wine "$@"
