#!/usr/bin/env bash
# The keys' captions follow the X keyboard layout while the program runs, and the key that
# types each caption plays that key's note: us, de (QWERTZ), fr (AZERTY), and the second
# group of a two-layout keymap. Captions are read as a screen reader reads them.
# usage: captions_test.sh TASTIVA JACK_RECEIVER
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/captions.sh"
TASTIVA=$1
RECEIVER=$2

lock_group() {
  bounded /usr/bin/python3 -c "import ctypes; x = ctypes.CDLL('libX11.so.6')
x.XOpenDisplay.restype = ctypes.c_void_p; d = ctypes.c_void_p(x.XOpenDisplay(None))
x.XkbLockGroup(d, 0x100, $1); x.XCloseDisplay(d)"
}

start_xvfb
setxkbmap us
start_jack
start_receiver e2e-recv
start_accessibility
start_tastiva
# Entry 1 of the device list is the receiver's port (see play_test.sh).
click_at 100 37
wait_until 5 has_lines e2e-recv 2 || fail "no program change after choosing the port"

for layout in us de fr; do
  setxkbmap "$layout"
  expect_captions "$layout" "${!layout}"
  play_captions "$layout"
done
# Two layouts, the second one locked: the captions follow the group. (xdotool would type
# Y and - through the first group's keys, so the notes are left to the single layouts.)
setxkbmap us,de
lock_group 1
expect_captions "us,de in group 2" "$de"
echo "us,de: the captions follow the second group"
echo PASS
