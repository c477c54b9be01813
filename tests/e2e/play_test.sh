#!/usr/bin/env bash
# The real program played with real X key and mouse events: the device is chosen with a
# click, and a JACK receiver gets the exact traffic.
# usage: play_test.sh TASTIVA JACK_RECEIVER
source "$(dirname "$0")/lib.sh"
TASTIVA=$1
RECEIVER=$2

start_xvfb
start_jack 64
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
90 36 00"
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
