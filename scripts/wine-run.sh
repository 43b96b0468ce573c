#!/usr/bin/env bash
# Runs a Windows program of the build under the build tree's Wine prefix.
# PLU_LOCALE picks the Windows user locale (Russian unless a test asks for another). Wine
# rewrites the user's regional settings in the prefix whenever it starts under another
# locale, so each locale has a prefix of its own: programs under different locales may then
# run at the same time without changing each other's number formats.
set -e
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLU_BUILD_DIR:-$here/build}
locale=${PLU_LOCALE:-ru_RU.UTF-8}
case "$locale" in
  ru_RU*) WINEPREFIX=$build/wineprefix ;;
  *) WINEPREFIX=$build/wineprefix-${locale%%.*} ;;
esac
export WINEPREFIX
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Set for the child only: the shell itself may have no such glibc locale, Wine needs none.
exec env LC_ALL="$locale" wine "$@"
