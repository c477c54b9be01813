#!/usr/bin/env bash
# A newcomer's first run, measured: in a fresh minimal Debian 12 (debootstrap's minbase, the
# mirror of this machine's apt sources), ./scripts/run.sh of this work tree (its files as they
# are now, build folders left out) installs its packages, builds and starts the program on a
# private X server of this machine. Prints how long the packages, the build and the whole way
# to the main window took, and how many packages came in. Needs root and the mirror.
#
# The base system is made once into FRESH_BASE (a tarball, default
# /var/tmp/tastiva-fresh-base.tar) and unpacked anew for every run into FRESH_ROOT
# (default /var/tmp/tastiva-fresh), which is removed at the end unless KEEP_FRESH=1.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=$PWD
base=${FRESH_BASE:-/var/tmp/tastiva-fresh-base.tar}
root=${FRESH_ROOT:-/var/tmp/tastiva-fresh}
[ "$(id -u)" -eq 0 ] || { echo "first-run: needs root (debootstrap, chroot)" >&2; exit 1; }
./scripts/install-deps.sh run test >&2
source scripts/lib/servers.sh
servers_init first-run

mounted=()
first_run_cleanup() {
  local m still=""
  for ((m = ${#mounted[@]} - 1; m >= 0; m--)); do umount -l "${mounted[m]}" || true; done
  servers_cleanup
  # /tmp is bound from this machine's own file system: never remove through a mount left over.
  for m in "$root/proc" "$root/dev" "$root/tmp"; do ! mountpoint -q "$m" || still+=" $m"; done
  if [ -n "$still" ]; then
    echo "first-run: still mounted:$still; $root left in place" >&2
  elif [ -z "${KEEP_FRESH:-}" ]; then
    rm -rf --one-file-system "$root"
  fi
}
trap first_run_cleanup EXIT

if [ ! -f "$base" ]; then
  mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources)
  echo "first-run: making the base system from $mirror (about 5 minutes)" >&2
  rm -rf "$base.d"
  timeout 1200 debootstrap --variant=minbase bookworm "$base.d" "$mirror" >"$RUN_TMP/debootstrap.log" 2>&1 ||
    fail "debootstrap: $(tail -5 "$RUN_TMP/debootstrap.log")"
  tar -C "$base.d" -cf "$base.tmp" . && mv "$base.tmp" "$base"
  rm -rf "$base.d"
fi

for m in proc dev tmp; do
  ! mountpoint -q "$root/$m" || fail "$root/$m is still mounted from an earlier run: umount it"
done
rm -rf --one-file-system "$root"
mkdir -p "$root"
tar -C "$root" -xf "$base"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir -p "$root/root/tastiva"
git ls-files -co --exclude-standard -z | tar --null -T - -cf - | tar -C "$root/root/tastiva" -xf -
for m in proc dev tmp; do
  mount --bind "/$m" "$root/$m"
  mounted+=("$root/$m")
done
before=$(chroot "$root" dpkg-query -W -f='${Status}\n' | grep -c 'install ok installed')

start_xvfb
start=$(date +%s%N)
chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  HOME=/root LANG=C.UTF-8 DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$RUN_TMP" \
  bash -c 'cd /root/tastiva && exec ./scripts/run.sh' >"$RUN_TMP/run.log" 2>&1 &
pid=$!
RUN_PIDS+=("$pid")

main_window() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Tastiva$' 2>/dev/null); do
    xwininfo -id "$w" | grep -q 'Width: 623' && return 0
  done
  return 1
}
until main_window; do
  gone "$pid" && fail "run.sh ended without a window: $(tail -20 "$RUN_TMP/run.log")"
  [ $(($(date +%s%N) - start)) -lt 1800000000000 ] || fail "no window in 30 minutes"
  sleep 0.2
done
window=$((($(date +%s%N) - start) / 1000000000))
after=$(chroot "$root" dpkg-query -W -f='${Status}\n' | grep -c 'install ok installed')
stop_process "$pid"

grep '^run.sh:' "$RUN_TMP/run.log" || true
echo "first-run: $((after - before)) packages installed, main window after $window s"
du -sh "$root/var/cache/apt/archives" | awk '{ print "first-run: " $1 " of packages downloaded" }'
du -sh --exclude="$root/proc" --exclude="$root/dev" --exclude="$root/tmp" \
  --exclude="$root/root/tastiva" "$root" | awk '{ print "first-run: the system is " $1 " on disk" }'
