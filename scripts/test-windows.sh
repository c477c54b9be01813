#!/usr/bin/env bash
# Builds the program and its tests for 64-bit Windows with MinGW-w64 against Qt for Windows
# (built once into a cache by build-qt-windows.sh), and runs every test of that build under
# Wine on a private X server: unit and Qt tests, the zip and the installer made and taken
# apart, the program end to end.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh run test windows
source scripts/lib/servers.sh

phase() { echo "test-windows: $1 took $((SECONDS - phase_start)) s"; phase_start=$SECONDS; }
phase_start=$SECONDS
TASTIVA_QT_WINDOWS=$(./scripts/build-qt-windows.sh)
export TASTIVA_QT_WINDOWS
phase "Qt for Windows"

build="$PWD/build-windows"
# A tree from before the whole program was built for Windows has another toolchain.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^QT_HOST_PATH:' "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
cmake --preset windows --no-warn-unused-cli >/dev/null
timeout 1800 nice -n 10 cmake --build --preset windows
phase "build"

servers_init windows
stop_wine() {
  timeout 10 wineserver -k 2>/dev/null || true
  timeout 10 wineserver -w 2>/dev/null || true
  servers_cleanup
}
trap stop_wine EXIT
start_xvfb
# The tree's own prefix; its tests copy it rather than make one each.
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 180 wine cmd /c exit </dev/null >/dev/null 2>&1
  timeout 30 wineserver -w # its registry written out whole before anything copies it
fi
# One server for the whole run: otherwise every test program waits for it to start and stop.
timeout 30 wineserver -p
timeout 60 wine cmd /c exit </dev/null >/dev/null 2>&1
phase "Wine prefix"
# Each test has its own bound; this one only stops a run that hangs between them.
timeout 1800 ctest --preset windows "$@"
phase "tests"
