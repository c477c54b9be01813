#!/usr/bin/env bash
# Runs a test binary against a private JACK server (dummy driver, no sound card needed) with
# a MIDI receiver client listening on it. Fails if the server cannot be started.
#
# Usage: run_with_jack.sh TEST_BINARY RECEIVER_BINARY [TEST_ARGS...]
# The test sees JACK_DEFAULT_SERVER, TASTIVA_RECEIVER_PORT (the receiver's full port name)
# and TASTIVA_RECEIVER_OUTPUT (the file the receiver prints its events to).
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: run_with_jack.sh TEST_BINARY RECEIVER_BINARY [TEST_ARGS...]" >&2
  exit 2
fi
test_binary=$1
receiver_binary=$2
shift 2

server=""
receiver_name="receiver-$$"  # never the server's name: a client's exit would remove its memory
workdir=$(mktemp -d "${TMPDIR:-/tmp}/tastiva-ports.XXXXXX")
jackd_pid=""
receiver_pid=""
test_pid=""

# Stops one of our children: TERM, then KILL after 3 s. Bash reaps exited children itself,
# so kill -0 fails once the child is gone.
stop() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  stop "$test_pid"
  stop "$receiver_pid"
  stop "$jackd_pid"
  # A killed server leaves its semaphores and socket behind.
  if [ -n "$server" ]; then
    rm -f /dev/shm/jack_sem.*"_${server}_"* /dev/shm/jack_"${server}"_* 2>/dev/null || true
  fi
  rm -rf "$workdir"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "run_with_jack: $1" >&2
  for log in "$workdir"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
  done
  exit 1
}

export JACK_NO_START_SERVER=1

# jackd2 registers at most 8 servers per user, and forgets one that ended with clients still
# attached (or was killed) only when a server of the same name starts: names come from a
# small pool, so such entries are reused instead of piling up. A name in use by another run
# makes jackd exit, and the next one is tried; so does "too many servers", for up to 20 s.
start_jackd() {  # name; 0 once it serves
  jackd -n "$1" -d dummy -r 48000 -p 256 >"$workdir/jackd.log" 2>&1 &
  jackd_pid=$!
  for _ in $(seq 50); do  # up to 5 s
    if ! kill -0 "$jackd_pid" 2>/dev/null; then
      wait "$jackd_pid" 2>/dev/null || true
      jackd_pid=""
      return 1
    fi
    [ "$(jack_wait -s "$1" -c 2>/dev/null)" = running ] && return 0
    sleep 0.1
  done
  stop "$jackd_pid"
  jackd_pid=""
  return 1
}

deadline=$((SECONDS + 20))
while [ -z "$server" ] && [ "$SECONDS" -lt "$deadline" ]; do
  for i in 0 1 2 3 4 5 6 7; do
    name="tastiva-ports-$i"
    [ "$(jack_wait -s "$name" -c 2>/dev/null)" = running ] && continue
    if start_jackd "$name"; then
      server=$name
      break
    fi
  done
  [ -n "$server" ] || sleep 0.5
done
[ -n "$server" ] || fail "jackd did not start within 20 s"
export JACK_DEFAULT_SERVER="$server"

"$receiver_binary" "$receiver_name" >"$workdir/receiver.out" 2>"$workdir/receiver.log" &
receiver_pid=$!
ready=""
for _ in $(seq 100); do  # up to 10 s
  if grep -qx ready "$workdir/receiver.out"; then
    ready=yes
    break
  fi
  kill -0 "$receiver_pid" 2>/dev/null || fail "the receiver exited at start"
  sleep 0.1
done
[ -n "$ready" ] || fail "the receiver did not become ready within 10 s"

# In the background so that a signal reaches the trap at once, not after the test ends.
TASTIVA_RECEIVER_PORT="$receiver_name:in" TASTIVA_RECEIVER_OUTPUT="$workdir/receiver.out" \
  "$test_binary" "$@" &
test_pid=$!
status=0
wait "$test_pid" || status=$?
test_pid=""
kill -0 "$jackd_pid" 2>/dev/null || fail "jackd died during the tests"
exit "$status"
