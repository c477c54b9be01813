#!/usr/bin/env bash
# tastiva.exe from the Windows zip, under Wine on a private X server with no MIDI device: its
# command line, its window and its keys' looks under the style it ships with, Wine's own winmm
# texts in its error boxes, computer keys read as scan codes, one copy at a time (a second
# brings the first to the front), a new start after every end, and the notice on the 5th
# (Wine's clock faked with faketime).
# usage: e2e_test.sh ZIP PREFIX_TEMPLATE
source "$(dirname "$0")/wine_lib.sh"
wine_init wine-e2e "$2"
unzip -q "$1" -d "$RUN_TMP/zip"
EXE=$(echo "$RUN_TMP"/zip/*/bin/tastiva.exe)
[ -f "$EXE" ] || fail "no bin/tastiva.exe in $1"

# The command line as GNU programs answer, with no window: the version on stdout with status
# 0, a wrong option on stderr with status 2.
version=$(basename "$1" | sed -n 's/^tastiva-\(.*\)-win64\.zip$/\1/p')
[ "$(wine "$EXE" --version 2>/dev/null | head -1 | tr -d '\r')" = "Tastiva $version" ] ||
  fail "--version: $(wine "$EXE" --version 2>&1)"
status=0
wine "$EXE" --bogus >"$RUN_TMP/bogus.out" 2>"$RUN_TMP/bogus.err" || status=$?
[ "$status" -eq 2 ] && [ ! -s "$RUN_TMP/bogus.out" ] &&
  grep -q "^tastiva: unrecognized option '--bogus'" "$RUN_TMP/bogus.err" ||
  fail "--bogus: status $status, $(cat "$RUN_TMP/bogus.out" "$RUN_TMP/bogus.err")"
echo "command line: --version and a wrong option answered"

# Start-up with no device: the window, then the open refused and both messages of the
# instrument not sent, in Windows' words.
start_program "$RUN_TMP/first.log"
first=$PROGRAM_PID
main_window_up "$RUN_TMP/first.log"
read_boxes 2
expect_boxes "$bad_id" "$bad_handle" "$bad_handle"
echo "start-up: $MAIN_SIZE window, ${#BOXES[@]} boxes with Wine's texts"

# Q, sent as an X key, plays: its note on is refused with one box and, once that has closed,
# its note off with one more (the texts as above). A is no key of the keyboard: nothing. Only
# the scan code tells them apart.
key_to_main key q
close_boxes 2
[ "$BOX_COUNT" -eq 2 ] || fail "Q: $BOX_COUNT boxes"
key_to_main key a
close_boxes 2
[ "$BOX_COUNT" -eq 0 ] || fail "A: $BOX_COUNT boxes"
echo "keys: Q a box for its note on and one for its note off; A none"

# Black keys dark and white keys light, sampled from the screen: left edges in pixels, the
# samples inside the faces, clear of the captions.
main=$(main_windows | head -1)
import -window "$main" "$RUN_TMP/main.png"
black=(32 64 96 160 192 256 288 320 384 416 480 512 544)
white=(8 40 72 104 136 168 200 232 264 296 328 360 392 424 456 488 520 552 584)
format=""
for x in "${black[@]}"; do format+="%[fx:int(255*p{$((x + 8)),80}.intensity)] "; done
for x in "${white[@]}"; do format+="%[fx:int(255*p{$((x + 5)),168}.intensity)] "; done
read -r -a level <<<"$(convert "$RUN_TMP/main.png" -format "$format" info:)"
for i in "${!black[@]}"; do
  [ "${level[$i]}" -lt 80 ] || fail "black key at x=${black[$i]} is not dark: ${level[*]}"
done
for i in "${!white[@]}"; do
  [ "${level[$((i + ${#black[@]}))]}" -gt 180 ] || fail "white key at x=${white[$i]} is not light: ${level[*]}"
done
echo "keys: black dark, white light"

# Another program's window over it has the keyboard. A second copy ends at once and shows
# nothing; the first stays and comes to the front. (Wine 8 leaves the X input focus of a window
# with a title bar to a window manager, and tells none of a foreground change: whether it
# also has the keyboard cannot be seen here.)
wine notepad >/dev/null 2>&1 &
RUN_PIDS+=($!)
cover() { xdotool search --onlyvisible --class '^notepad\.exe$' 2>/dev/null | head -1; }
has_cover() { [ -n "$(cover)" ]; }
wait_until 30 has_cover || fail "no covering window"
xdotool windowfocus --sync "$(cover)"
start=$SECONDS
start_program "$RUN_TMP/second.log"
ended_with "$PROGRAM_PID" 0 20 || fail "the second copy did not end with status 0"
echo "second copy ended after $((SECONDS - start)) s"
[ "$(main_windows | wc -l)" -eq 1 ] && no_box || fail "the second copy showed a window"
kill -0 "$first" || fail "the first copy died"
# xwininfo lists the top-level windows from the top down.
on_top() {
  local top
  top=$(xwininfo -root -children | grep -owE "$(printf '0x%x|0x%x' "$(main_windows)" "$(cover)")" | head -1)
  [ "$((top))" = "$(main_windows)" ]
}
wait_until 10 on_top || fail "the covering window stayed on top"
echo "the second copy brought the first to the front"

# Alt+F4 ends the first with status 0; the next start shows its window.
key_to_main key alt+F4
ended_with "$first" 0 20 || fail "the first copy did not end with status 0 after Alt+F4"
start_program "$RUN_TMP/third.log"
main_window_up "$RUN_TMP/third.log"
echo "a start after a normal end shows its window"

# Killed, it leaves nothing behind that stops the next start.
kill_program() {
  disown "$PROGRAM_PID" # no word from bash about the kill
  kill -9 "$PROGRAM_PID"
  wait_until 10 gone "$PROGRAM_PID" || fail "the killed copy did not end"
  wait_until 10 no_main_window || fail "the killed copy's window stayed"
}
kill_program
start_program "$RUN_TMP/fourth.log"
main_window_up "$RUN_TMP/fourth.log"
echo "a start after a kill shows its window"
kill_program

# The 5th of a month: the notice comes first, alone; its X leads on to the main window.
start_program "$RUN_TMP/notice.log" env FAKETIME_DONT_FAKE_MONOTONIC=1 \
  faketime -f '@2026-12-05 10:00:00'
wait_until 30 has_notice || fail "no $NOTICE_SIZE notice on the 5th: $(cat "$RUN_TMP/notice.log")"
! has_main_window || fail "the main window showed before the notice closed"
close_notice
wait_until 30 has_main_window || fail "the main window did not follow the notice"
echo "the notice on the 5th, then the window"
echo "PASS"
