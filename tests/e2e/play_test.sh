#!/usr/bin/env bash
# The real program played with real X key and mouse events: the device is chosen with a
# click, an instrument with Alt+I and an arrow, and a JACK receiver gets the exact traffic. A
# second copy started while another window has the keyboard brings the first to the front with
# the keyboard, so keys play again.
# usage: play_test.sh TASTIVA JACK_RECEIVER
source "$(dirname "$0")/lib.sh"
TASTIVA=$1
RECEIVER=$2

start_xvfb
start_jack
start_receiver e2e-recv
start_tastiva

# Entry 1 of the device list (after the built-in synthesizer) is the receiver's port; the
# list stands at 48,16 px with rows about 14 px high.
click_at 100 37
wait_until 5 has_lines e2e-recv 2 || fail "no program change after choosing the port"

# Q held past the automatic repeat (about 660 ms in Xvfb), then let go.
xdotool keydown q
sleep 1.2
xdotool keyup q
# Z, comma and [ pressed one after the other.
for key in z comma bracketleft; do
  xdotool keydown "$key"
  sleep 0.05
  xdotool keyup "$key"
done
# The black key F#3 by mouse (key 1: 32..48 x 64..152 px), with the right button.
click_at 40 100 3
# Alt+I, then Down in the instrument list: the next instrument, and no note for Alt or I.
xdotool key alt+i
xdotool key Down

# Another window over it takes the keyboard; a second copy ends at once and silently, and the
# first comes to the front with the keyboard, so Z plays. Without a window manager (Xvfb
# alone) the X input focus and the windows' stacking order tell; under openbox, the window it
# made active.
second_copy() {
  timeout 10 "$TASTIVA" >"$RUN_TMP/second.log" 2>&1 || fail "the second copy ended with status $?"
  [ ! -s "$RUN_TMP/second.log" ] || fail "the second copy printed: $(cat "$RUN_TMP/second.log")"
}
xmessage -geometry 900x700+0+0 cover >/dev/null 2>&1 &
RUN_PIDS+=($!)
wait_until 10 has_window_named xmessage || fail "no covering window"
cover=$(windows_named xmessage)
xdotool windowfocus --sync "$cover"
second_copy
focused() { [ "$(xdotool getwindowfocus)" = "$MAIN_WINDOW" ]; }
wait_until 5 focused || fail "the keyboard stayed with window $(xdotool getwindowfocus)"
# xwininfo lists the top-level windows from the top down.
top=$(xwininfo -root -children | grep -owE "$(printf '0x%x|0x%x' "$MAIN_WINDOW" "$cover")" | head -1)
[ "$((top))" = "$MAIN_WINDOW" ] || fail "window $top is on top, not the program's"
xdotool key z
echo "without a window manager a second copy brought the window to the front with the keyboard"

openbox --sm-disable >"$RUN_TMP/openbox.log" 2>&1 &
RUN_PIDS+=($!)
managed() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_until 10 managed || fail "openbox did not start: $(cat "$RUN_TMP/openbox.log")"
xdotool windowactivate --sync "$cover"
second_copy
active() { [ "$(xdotool getactivewindow)" = "$MAIN_WINDOW" ]; }
wait_until 5 active || fail "openbox left window $(xdotool getactivewindow) active"
xdotool key z
echo "under openbox a second copy brought the window to the front with the keyboard"

expected="b0 00 00
c0 00
90 35 7f
90 35 00
90 3c 7f
90 3c 00
90 48 7f
90 48 00
90 54 7f
90 54 00
90 36 7f
90 36 00
b0 00 00
c0 01
90 3c 7f
90 3c 00
90 3c 7f
90 3c 00"
expect_exactly e2e-recv "$expected"

# A key held as the program is told to end: its note ends at the port, before it closes.
for signal in TERM INT HUP; do
  stop_process "$TASTIVA_PID"
  before=$(received e2e-recv | wc -l)
  start_tastiva
  click_at 100 37
  wait_until 5 has_lines e2e-recv $((before + 2)) || fail "no program change after choosing the port"
  xdotool keydown x
  wait_until 5 has_lines e2e-recv $((before + 3)) || fail "no note-on for X"
  kill -"$signal" "$TASTIVA_PID"
  wait_until 5 gone "$TASTIVA_PID" || fail "SIG$signal did not end the program"
  xdotool keyup x
  expected+="
b0 00 00
c0 00
90 3e 7f
90 3e 00"
  expect_exactly e2e-recv "$expected"
done
echo PASS
