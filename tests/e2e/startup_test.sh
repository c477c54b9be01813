#!/usr/bin/env bash
# The real program under Xvfb with a JACK server for its built-in synthesizer: its command
# line as GNU programs answer, without a window; the notice on
# the 5th, one copy only whatever the environment, the lock given back at every end and never
# wedged by a leftover file, closing the window ends the process with status 0, and without a
# display one plain line and status 1.
# usage: startup_test.sh TASTIVA X_CLOSE VERSION
source "$(dirname "$0")/lib.sh"
TASTIVA=$(readlink -f "$1")
x_close=$2
version=$3

# ARGS|STATUS|FIRST LINE ON STDOUT|FIRST LINE ON STDERR, with no display at all.
while IFS='|' read -r args want; do
  status=0
  # shellcheck disable=SC2086 # the words are separate arguments
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$TASTIVA" $args \
    >"$RUN_TMP/out" 2>"$RUN_TMP/err" || status=$?
  got="$status|$(head -1 "$RUN_TMP/out")|$(head -1 "$RUN_TMP/err")"
  [ "$got" = "$want" ] || fail "tastiva $args: '$got', expected '$want'"
done <<EOF
--help|0|Usage: tastiva [OPTION]...|
--version|0|Tastiva $version|
-style Fusion --vers|0|Tastiva $version|
--bogus|2||tastiva: unrecognized option '--bogus'
--help=all|2||tastiva: option '--help' doesn't allow an argument
-x|2||tastiva: invalid option -- 'x'
file.mid|2||tastiva: extra operand 'file.mid'
EOF
echo "--help, --version and wrong arguments answered without a display"

# only_line LOG TEXT: LOG holds one line, and it starts with TEXT.
only_line() {
  [ "$(wc -l <"$1")" -eq 1 ] && grep -q "^$2" "$1" || fail "expected one line '$2...': $(cat "$1")"
}

# No display: one line, status 1, no abort. Then a display named but not there.
no_x=9
while [ -e "/tmp/.X11-unix/X$no_x" ]; do no_x=$((no_x + 1)); done
for display in "" ":$no_x"; do
  status=0
  env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" timeout 10 "$TASTIVA" \
    >"$RUN_TMP/nodisplay.log" 2>&1 || status=$?
  [ "$status" -eq 1 ] || fail "without a display the program ended with status $status"
  only_line "$RUN_TMP/nodisplay.log" "Tastiva: cannot show its window: "
  echo "display '$display': $(cat "$RUN_TMP/nodisplay.log")"
done

start_xvfb
start_jack

# The 5th of a month: the notice comes first, alone.
FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f '@2026-12-05 10:00:00' "$TASTIVA" \
  >"$RUN_TMP/first.log" 2>&1 &
first=$!
RUN_PIDS+=("$first")
wait_until 20 has_window_of_size 685x361 || fail "no 685x361 notice window: $(cat "$RUN_TMP/first.log")"
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

# A second copy ends at once, silently, shows nothing and leaves the first alone; so does one
# with another temporary folder and user name, started from another folder.
mkdir "$RUN_TMP/elsewhere"
for env_args in "" "TMPDIR=$RUN_TMP/elsewhere USER=someone-else"; do
  start=$(date +%s%N)
  # shellcheck disable=SC2086 # the words are separate assignments
  (cd "$RUN_TMP/elsewhere" && timeout 10 env $env_args "$TASTIVA") >"$RUN_TMP/second.log" 2>&1 ||
    fail "second copy exited with $?"
  elapsed_ms=$((($(date +%s%N) - start) / 1000000))
  echo "second copy (${env_args:-same environment}) ended after ${elapsed_ms} ms"
  [ "$elapsed_ms" -lt 3000 ] || fail "second copy took ${elapsed_ms} ms"
  [ ! -s "$RUN_TMP/second.log" ] || fail "the second copy printed: $(cat "$RUN_TMP/second.log")"
  [ "$(windows_named Tastiva | wc -l)" -eq 1 ] || fail "a second main window appeared"
  kill -0 "$first" || fail "the first copy died"
done

# Closing the main window ends the process with status 0.
"$x_close" "$main"
status=0
timeout 10 tail --pid="$first" -f /dev/null || fail "the program did not end after the close"
wait "$first" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
if grep -q . "$RUN_TMP/first.log"; then
  echo "program printed:"; cat "$RUN_TMP/first.log"
fi

# The next start after a normal end, after a kill -9, and over an empty or garbled lock file
# left behind, shows its window. A day with no notice.
NO_NOTICE=(LD_PRELOAD='/usr/$LIB/faketime/libfaketime.so.1' 'FAKETIME=@2026-12-07 10:00:00'
  FAKETIME_DONT_FAKE_MONOTONIC=1)
no_main_window() { [ -z "$(windows_named Tastiva)" ]; }
next_start() {
  wait_until 10 no_main_window || fail "the main window stayed after the end"
  env "${NO_NOTICE[@]}" "$@" "$TASTIVA" >"$RUN_TMP/next.log" 2>&1 &
  TASTIVA_PID=$!
  RUN_PIDS+=("$TASTIVA_PID")
  main_window_up "$RUN_TMP/next.log"
}
lock="$XDG_RUNTIME_DIR/tastiva.lock"
next_start
echo "shown after a normal end"
{ kill -9 "$TASTIVA_PID" && wait "$TASTIVA_PID"; } 2>/dev/null || true
next_start
echo "shown after kill -9"
stop_process "$TASTIVA_PID"
: >"$lock"
next_start
stop_process "$TASTIVA_PID"
printf '4242\nsomehost\n\x00\xff' >"$lock"
next_start
echo "shown over an empty and a garbled lock file"
[ ! -s "$RUN_TMP/next.log" ] || fail "the program printed: $(cat "$RUN_TMP/next.log")"
stop_process "$TASTIVA_PID"

# A runtime folder that is a file: the program runs all the same and says why in one line
# (Qt may add its own word about the folder).
touch "$RUN_TMP/not-a-folder"
next_start XDG_RUNTIME_DIR="$RUN_TMP/not-a-folder"
why="Tastiva: cannot lock $RUN_TMP/not-a-folder/tastiva.lock: Not a directory; starting"
[ "$(grep -c "^Tastiva" "$RUN_TMP/next.log")" -eq 1 ] && grep -q "^$why" "$RUN_TMP/next.log" ||
  fail "expected one line '$why...': $(cat "$RUN_TMP/next.log")"
echo "no lock: $(grep ^Tastiva "$RUN_TMP/next.log")"
echo "PASS"
