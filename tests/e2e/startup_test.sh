#!/usr/bin/env bash
# The real program under Xvfb with a JACK server for its built-in synthesizer: the notice on
# the 5th, one copy only, and closing the window ends the process with status 0.
# usage: startup_test.sh TASTIVA X_CLOSE
source "$(dirname "$0")/lib.sh"
TASTIVA=$1
x_close=$2

start_xvfb
start_jack

# The 5th of a month: the notice comes first, alone.
FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f '@2026-12-05 10:00:00' "$TASTIVA" \
  >"$E2E_TMP/first.log" 2>&1 &
first=$!
E2E_PIDS+=("$first")
wait_until 20 has_window_of_size 685x361 || fail "no 685x361 notice window: $(cat "$E2E_TMP/first.log")"
notice=$(windows_of_size 685x361)
[ -z "$(windows_named Tastiva)" ] || fail "the main window showed before the notice closed"
read -r nx ny < <(window_origin "$notice")
echo "notice window at $nx,$ny"
# "X" is 120 twips (8 px) from the corner, 21 px square.
xdotool mousemove $((nx + 18)) $((ny + 18)) click 1
wait_until 20 has_window_named Tastiva || fail "the main window did not follow the notice"
main=$(windows_named Tastiva)
[ -z "$(windows_of_size 685x361)" ] || fail "the notice stayed open"
xwininfo -id "$main" | grep -q "Width: 623" || fail "main window is not 623 px wide"
xwininfo -id "$main" | grep -q "Height: 219" || fail "main window is not 219 px high"
echo "main window shown after the notice"

# A second copy ends at once, shows nothing and leaves the first alone.
start=$(date +%s%N)
timeout 10 "$TASTIVA" >"$E2E_TMP/second.log" 2>&1 || fail "second copy exited with $?"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
echo "second copy ended after ${elapsed_ms} ms"
[ "$elapsed_ms" -lt 3000 ] || fail "second copy took ${elapsed_ms} ms"
[ "$(windows_named Tastiva | wc -l)" -eq 1 ] || fail "a second main window appeared"
kill -0 "$first" || fail "the first copy died"

# Closing the main window ends the process with status 0.
"$x_close" "$main"
status=0
timeout 10 tail --pid="$first" -f /dev/null || fail "the program did not end after the close"
wait "$first" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
if grep -q . "$E2E_TMP/first.log"; then
  echo "program printed:"; cat "$E2E_TMP/first.log"
fi
echo "PASS"
