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

source "$(dirname "$0")/../../scripts/lib/servers.sh"
servers_init ports

fail() {
  echo "run_with_jack: $1" >&2
  for log in "$RUN_TMP"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
  done
  exit 1
}

start_jack 256

receiver_name="receiver-$$" # never the server's name: a client's exit would remove its memory
"$receiver_binary" "$receiver_name" >"$RUN_TMP/receiver.out" 2>"$RUN_TMP/receiver.log" &
receiver_pid=$!
RUN_PIDS+=("$receiver_pid")
for _ in $(seq 100); do # up to 10 s
  grep -qx ready "$RUN_TMP/receiver.out" && break
  gone "$receiver_pid" && fail "the receiver exited at start"
  sleep 0.1
done
grep -qx ready "$RUN_TMP/receiver.out" || fail "the receiver did not become ready within 10 s"

# In the background so that a signal reaches the trap at once, not after the test ends.
TASTIVA_RECEIVER_PORT="$receiver_name:in" TASTIVA_RECEIVER_OUTPUT="$RUN_TMP/receiver.out" \
  "$test_binary" "$@" &
test_pid=$!
RUN_PIDS+=("$test_pid")
status=0
wait "$test_pid" || status=$?
gone "$JACK_PID" && fail "jackd died during the tests"
exit "$status"
