#!/usr/bin/env bash
# Installs what is missing of the Debian packages, configures and builds the project, and
# prepares the Wine prefix inside the build tree. Safe to run again: it skips what is done.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLU_BUILD_DIR:-$here/build}

packages=(g++-mingw-w64-i686 mingw-w64-tools libz-mingw-w64-dev wine wine32:i386 libwine-dev
          xvfb xauth cmake make)
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

export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.plu-ready" ]; then
  echo "bootstrap: preparing the Wine prefix"
  mkdir -p "$build"
  LC_ALL=ru_RU.UTF-8 wineboot -i >/dev/null 2>&1
  # Headless graphics driver: windows are created and receive messages, nothing is drawn.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -k || true
  wineserver -w || true
  touch "$WINEPREFIX/.plu-ready"
fi

cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)"
