#!/usr/bin/env bash
# Installs what is missing of the Debian packages, configures and builds the project, and
# prepares the Wine prefix inside the build tree. Safe to run again: it skips what is done.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLU_BUILD_DIR:-$here/build}

packages=(g++-mingw-w64-i686 mingw-w64-tools libz-mingw-w64-dev wine wine32:i386 libwine-dev
          xvfb xauth cmake make locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine reads the Windows locale from LC_ALL by itself, but decodes command lines and file
# names with the C library's character set: without the UTF-8 locales a Russian argument
# arrives garbled.
for loc in ru_RU en_US; do
  locale -a 2>/dev/null | grep -qix "$loc.utf8" || localedef -i "$loc" -f UTF-8 "$loc.UTF-8"
done

# One prefix per locale that the suite uses (see wine-run.sh).
prepare_prefix() {
  local prefix=$1 locale=$2
  [ -f "$prefix/.plu-ready" ] && return 0
  echo "bootstrap: preparing the Wine prefix $(basename "$prefix")"
  mkdir -p "$build"
  export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  LC_ALL=$locale wineboot -i >/dev/null 2>&1
  # Headless graphics driver: windows are created and receive messages, nothing is drawn.
  LC_ALL=$locale wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -k || true
  wineserver -w || true
  touch "$prefix/.plu-ready"
  unset WINEPREFIX
}
prepare_prefix "$build/wineprefix" ru_RU.UTF-8
prepare_prefix "$build/wineprefix-en_US" en_US.UTF-8

cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)"
