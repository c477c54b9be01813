#!/usr/bin/env bash
# The window as a screen reader sees and drives it over the accessibility bus: the lists named
# by their labels with their shortcuts, each key by its note and caption with its pressed
# state, and the Press action and list selections acting as clicks do, once each. A JACK receiver gets the traffic.
# usage: accessibility_test.sh TASTIVA JACK_RECEIVER
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/captions.sh" # start_accessibility
TASTIVA=$1
RECEIVER=$2
A11Y="bounded /usr/bin/python3 -B $(dirname "$0")/accessibility.py"

state_is() { [ "$($A11Y state "$1")" = "$2" ]; }
has_name() { $A11Y names | grep -xF "$1" >/dev/null; }

start_xvfb
setxkbmap us
start_jack
start_receiver e2e-recv
start_accessibility
start_tastiva

names=$($A11Y names)
for line in "list Device Alt+D" "list Instrument Alt+I" "label Device for Device" \
  "label Instrument for Instrument" "key 0 F3, key Q" "key 1 F#3, key 2" "key 7 C4, key Z" \
  "key 22 D#5, key ;" "key 31 C6, key ["; do
  grep -qxF "$line" <<<"$names" || fail "no '$line' among the names:"$'\n'"$names"
done
echo "lists named by their labels with their shortcuts, keys by note and caption"

# Entry 1 of the device list is the receiver's port: its device handler opens it and sends the
# instrument. Then an instrument by its entry's action, and another through the list's table.
$A11Y select Device 1
wait_until 5 has_lines e2e-recv 2 || fail "selecting the port ran no device handler"
$A11Y select Instrument 40
wait_until 5 has_lines e2e-recv 4 || fail "selecting an instrument sent nothing"
$A11Y choose Instrument 41
wait_until 5 has_lines e2e-recv 6 || fail "choosing an instrument through the table sent nothing"

# The pressed state follows a key held on the computer keyboard.
state_is 7 released || fail "key 7 is '$($A11Y state 7)' before any press"
xdotool keydown z
wait_until 5 state_is 7 "checked pressed" || fail "held Z: key 7 is '$($A11Y state 7)'"
xdotool keyup z
wait_until 5 state_is 7 released || fail "Z let go: key 7 is '$($A11Y state 7)'"

# The Press action plays as a click, and both changes of state are announced.
announced=$($A11Y press 7)
[ "$announced" = $'C4, key Z checked 1\nC4, key Z checked 0' ] ||
  fail "Press announced '$announced'"
echo "Press announced the key pressed, then released"

# The name follows the layout's caption.
setxkbmap de
wait_until 10 has_name "key 7 C4, key Y" || fail "no 'C4, key Y' under de"
setxkbmap us

expected="b0 00 00
c0 00
b0 00 00
c0 28
b0 00 00
c0 29
90 3c 7f
90 3c 00
90 3c 7f
90 3c 00"
expect_exactly e2e-recv "$expected"
echo PASS
