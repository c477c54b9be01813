#!/usr/bin/env bash
# Builds the Debian package in a fresh Release tree (build-package/), checks it with lintian,
# installs it, starts the installed /usr/bin/tastiva once under private X and JACK servers,
# closes it, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh run test package
build=$PWD/build-package

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() {
  timeout 600 $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 "$@"
}

rm -rf "$build"
mkdir "$build"
log=$build/package.log
# Debian's hardening flags, so the binary looks like any other in the archive.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CFLAGS="$CPPFLAGS $CFLAGS" CXXFLAGS="$CPPFLAGS $CXXFLAGS"
# Installed under /usr: private libraries then go where Debian keeps them (lib/<multiarch>).
timeout 300 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTASTIVA_BUILD_TESTS=OFF -DTASTIVA_BUILD_BENCH=OFF >"$log" 2>&1 || { cat "$log"; exit 1; }
timeout 1500 cmake --build "$build" -j2 >>"$log" 2>&1 || { tail -50 "$log"; exit 1; }
(cd "$build" && timeout 300 cpack -G DEB) >>"$log" 2>&1 || { tail -50 "$log"; exit 1; }
debs=("$build"/tastiva_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single package: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
echo "built $(basename "$deb")"
dpkg-deb --field "$deb" Depends

# Not uploaded to Debian, so the first changelog entry has no bug (ITP) to close.
timeout 600 lintian --allow-root --fail-on error,warning --tag-display-limit 0 \
  --suppress-tags initial-upload-closes-no-bugs "$deb"
echo "lintian: no errors or warnings"

# The package is installed machine-wide: one run at a time from here, the others wait.
exec 9>/tmp/tastiva-package-check.lock
if ! flock -n 9; then
  echo "waiting for another run's package check to end"
  flock -w 900 9 || { echo "FAIL: another run's package check held the machine for 15 minutes" >&2; exit 1; }
fi

# From here on, the servers and the installed package are undone on any exit.
source tests/e2e/lib.sh
installed=0
package_cleanup() {
  servers_cleanup
  if [ "$installed" -eq 1 ]; then
    apt_get remove -y -qq tastiva >/dev/null || echo "could not remove tastiva" >&2
  fi
}
trap package_cleanup EXIT

# A same-version package left by an earlier run would not be replaced.
if dpkg-query -W -f='${Status}' tastiva 2>/dev/null | grep -q "install ok installed"; then
  apt_get remove -y -qq tastiva >/dev/null
fi
installed=1
apt_get install -y -qq "$deb" >"$RUN_TMP/apt.log" 2>&1 ||
  fail "apt-get install: $(cat "$RUN_TMP/apt.log")"
[ "$(dpkg-query -W -f='${Version}' tastiva)" = "$(dpkg-deb --field "$deb" Version)" ] ||
  fail "the built package is not the installed one"
dpkg -L tastiva | grep -qx /usr/share/applications/io.github.tastiva.Tastiva.desktop ||
  fail "no desktop entry installed"

cc -O2 -o "$RUN_TMP/x_close" tools/x_close.c -lX11
start_xvfb
start_jack

# A day without the notice, so the main window is the first and only one.
FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f '@2026-12-07 10:00:00' /usr/bin/tastiva \
  >"$RUN_TMP/tastiva.log" 2>&1 &
pid=$!
RUN_PIDS+=("$pid")
wait_until 20 has_window_named Tastiva || fail "no window: $(cat "$RUN_TMP/tastiva.log")"
# A message box (e.g. the synthesizer cannot play) is also titled Tastiva and may come first;
# give one a moment to show, then the main window must be the only window.
sleep 1
describe() {
  local size
  size=$(xwininfo -id "$1" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
  echo "'$(xdotool getwindowname "$1")' $size"
}
windows=$(xdotool search --onlyvisible --class '^tastiva$' 2>/dev/null || true)
shown=$(for w in $windows; do describe "$w"; done)
[ "$shown" = "'Tastiva' 623x219" ] ||
  fail "expected only the 623x219 main window, got: $shown; $(cat "$RUN_TMP/tastiva.log")"
main=$windows
echo "installed tastiva shows its 623x219 main window"

"$RUN_TMP/x_close" "$main"
timeout 10 tail --pid="$pid" -f /dev/null || fail "the program did not end after the close"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(cat "$RUN_TMP/tastiva.log")"
echo "PASS"
