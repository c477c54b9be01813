#!/usr/bin/env bash
# Cross-builds the MIDI library and its tests for 64-bit Windows with MinGW-w64 and runs them
# under Wine, the winmm tests against Wine's real winmm. Qt is not built for Windows here.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

for tool in x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix wine wineserver; do
  command -v "$tool" >/dev/null || { echo "test-windows: $tool not found" >&2; exit 1; }
done

build="$PWD/build-windows"
cmake -S . -B "$build" -G Ninja --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PROJECT_TOP_LEVEL_INCLUDES="$PWD/cmake/googletest-from-source.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTASTIVA_MIDI_ONLY=ON -DTASTIVA_WERROR=ON >/dev/null
timeout 900 cmake --build "$build" -j2

# A prefix of its own, quiet, and never asking to install Mono or Gecko.
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
# One server for the whole run: otherwise every test program waits for it to start and stop.
timeout 30 wineserver -p
# The first start creates the prefix; done here so that no test's timeout pays for it.
timeout 180 wine cmd /c exit </dev/null >/dev/null 2>&1
cd "$build"
timeout 300 ctest --output-on-failure -j2 --timeout 60
