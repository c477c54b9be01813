#!/usr/bin/env bash
# Builds a minimal shared Qt (Core, Gui, Widgets, Test; windows and offscreen platforms) for
# 64-bit Windows with MinGW-w64 from Debian's own qt6-base source, the same version as the
# host Qt, which provides moc, rcc and uic. Builds once into a cache folder and reuses it.
#
#   QT_WIN=$(./scripts/build-qt-windows.sh)     # last stdout line: the install prefix
#   ./scripts/build-qt-windows.sh --built       # status 0 (and the prefix) if built already
#
# TASTIVA_QT_WINDOWS_CACHE: parent folder of the cache (default ~/.cache/tastiva/qt-mingw).
# Progress goes to stderr. Takes about half an hour on 2 cores the first time, more on a busy
# machine; an interrupted build resumes where it stopped.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
here="$root/cmake/qt-mingw"
toolchain="$here/toolchain.cmake"
patches=("$here"/*.patch)
cache="${TASTIVA_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tastiva/qt-mingw}"
log() { echo "build-qt-windows: $*" >&2; }

host_version() { dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true; }
version="$(host_version)"
if [ -z "$version" ]; then
  [ "${1:-}" != --built ] || exit 1
  "$root/scripts/install-deps.sh" run windows >&2
  version="$(host_version)"
fi

options=(-release -shared -nomake examples -nomake tests -nomake benchmarks
  -no-feature-network -no-feature-sql -no-feature-xml -no-feature-dbus -no-feature-concurrent
  -no-feature-printsupport -no-feature-androiddeployqt -no-opengl -no-feature-vulkan
  -no-direct2d -no-feature-tabletevent -qt-zlib -qt-pcre -qt-libpng -no-libjpeg
  -qt-freetype -qt-harfbuzz -no-icu)

hash="$( { printf '%s\n' "${options[@]}"; cat "$toolchain" "${patches[@]}"; } |
  sha256sum | cut -c1-10)"
upstream="${version%%+*}" # 6.4.2+dfsg-10 -> 6.4.2
key="$upstream-$hash"
prefix="$cache/$key"
marker="$prefix/.tastiva-complete"

if [ -f "$marker" ]; then
  echo "$prefix"
  exit 0
fi
[ "${1:-}" != --built ] || exit 1

work="$cache/work-$key"
build="$work/build"
# How far the build is: ninja's last "[done/total]" of this run, else the steps ever done.
progress() {
  local step
  step=$(tail -c 4096 "$build/build.log" 2>/dev/null | grep -o '^\[[0-9]*/[0-9]*\]' | tail -1 || true)
  if [ -n "$step" ]; then
    echo "step ${step//[\[\]]/}"
  elif [ -f "$build/.ninja_log" ]; then
    echo "$(($(wc -l <"$build/.ninja_log") - 1)) steps done"
  else
    echo "not building yet"
  fi
}

"$root/scripts/install-deps.sh" run windows >&2
mkdir -p "$cache"
exec 9>"$cache/.lock-$key"
if ! flock -n 9; then
  # Bounded by the other's own progress bound below.
  until flock -w 60 9; do log "another run is building it: $(progress)"; done
fi
if [ -f "$marker" ]; then # another run finished it meanwhile
  echo "$prefix"
  exit 0
fi

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# The source archive: same archive, suites and keys as the binary entries.
if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Package: qt6-base'; then
  log "enabling deb-src entries"
  sed -n 's/^Types: deb$/Types: deb-src/; p' /etc/apt/sources.list.d/debian.sources |
    as_root tee /etc/apt/sources.list.d/tastiva-deb-src.sources >/dev/null
  as_root apt-get update -qq >&2
fi

dl="$cache/download-$version"
src="$work/src"
mkdir -p "$work" "$dl"

if [ ! -f "$dl/.complete" ]; then
  log "downloading qt6-base $version source"
  (cd "$dl" && timeout 20m apt-get source --download-only -qq "qt6-base=$version" >&2)
  touch "$dl/.complete"
fi

if [ ! -d "$src" ]; then
  log "unpacking and patching the source"
  rm -rf "$src.tmp"
  dpkg-source --no-check -x "$dl"/qt6-base_*.dsc "$src.tmp" >&2
  for p in "${patches[@]}"; do patch -d "$src.tmp" -p1 --forward <"$p" >&2; done
  mv "$src.tmp" "$src"
fi

# An interrupted build resumes: ninja picks up where it stopped.
if [ ! -f "$build/build.ninja" ]; then
  log "configuring"
  rm -rf "$build"
  mkdir -p "$build"
  (cd "$build" && timeout 15m "$src/configure" -prefix "$prefix" -qt-host-path /usr \
    "${options[@]}" -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >&2)
fi

# No bound on the whole: a busy machine was measured to take 72 minutes, a quiet one 31. It
# ends only if no step finishes for 30 minutes (no single step takes near that).
log "building (2 jobs, niced; about 30 minutes on 2 idle cores), output in $build/build.log"
nice -n 10 cmake --build "$build" --parallel 2 >"$build/build.log" 2>&1 &
builder=$!
trap 'kill "$builder" 2>/dev/null || true' EXIT
begin=$SECONDS
last="" changed=$SECONDS reported=$SECONDS
while kill -0 "$builder" 2>/dev/null; do
  sleep 5
  now=$(progress)
  [ "$now" = "$last" ] || { last=$now changed=$SECONDS; }
  if [ $((SECONDS - reported)) -ge 60 ]; then
    log "$now after $(((SECONDS - begin) / 60)) min"
    reported=$SECONDS
  fi
  if [ $((SECONDS - changed)) -ge 1800 ]; then
    log "no step finished for 30 minutes ($now): stopped; the next run resumes from there"
    exit 1
  fi
done
if ! wait "$builder"; then
  tail -30 "$build/build.log" >&2
  log "the build failed ($(progress)); the next run resumes from there"
  exit 1
fi
trap - EXIT
log "built in $(((SECONDS - begin) / 60)) min"

# Install into a staging folder and rename it into place, so the prefix is whole or absent.
stage="$cache/.stage-$key"
rm -rf "$stage" "$prefix"
DESTDIR="$stage" cmake --install "$build" >&2
for f in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll \
  plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll \
  plugins/styles/qwindowsvistastyle.dll lib/cmake/Qt6/qt.toolchain.cmake; do
  [ -f "$stage$prefix/$f" ] || { log "missing from the install: $f"; exit 1; }
done
date -u +%FT%TZ >"$stage$prefix/.tastiva-complete"
mv "$stage$prefix" "$prefix"
rm -rf "$stage" "$work"
log "done"
echo "$prefix"
