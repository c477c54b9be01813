#!/usr/bin/env bash
# The keys' captions follow the X keyboard layout while the program runs, and the key that
# types each caption plays that key's note: us, de (QWERTZ), fr (AZERTY), and the second
# group of a two-layout keymap. Captions are read as a screen reader reads them.
# usage: captions_test.sh TASTIVA JACK_RECEIVER
source "$(dirname "$0")/lib.sh"
TASTIVA=$1
RECEIVER=$2
CAPTIONS="/usr/bin/python3 $(dirname "$0")/key_captions.py"

# A session bus with the accessibility bus, as a desktop has.
start_accessibility() {
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$RUN_TMP/bus" >/dev/null 2>&1 &
  RUN_PIDS+=($!)
  wait_until 10 test -s "$RUN_TMP/bus" || fail "no session bus"
  DBUS_SESSION_BUS_ADDRESS=$(head -1 "$RUN_TMP/bus")
  export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  /usr/libexec/at-spi-bus-launcher --launch-immediately >"$RUN_TMP/atspi.log" 2>&1 &
  RUN_PIDS+=($!)
}

lock_group() {
  /usr/bin/python3 -c "import ctypes; x = ctypes.CDLL('libX11.so.6')
x.XOpenDisplay.restype = ctypes.c_void_p; d = ctypes.c_void_p(x.XOpenDisplay(None))
x.XkbLockGroup(d, 0x100, $1); x.XCloseDisplay(d)"
}

captions_are() { [ "$($CAPTIONS 2>/dev/null)" = "$1" ]; }

# play_captions LAYOUT: types each key's caption; the receiver must get that key's note.
play_captions() {
  local before i captions expected=() actual
  before=$(received e2e-recv | wc -l)
  read -ra captions <<<"$($CAPTIONS)"
  for i in "${!captions[@]}"; do
    case ${captions[i]} in
      ^) xdotool key dead_circumflex ;; # types nothing alone: by its keysym
      *) xdotool type -- "${captions[i]}" ;;
    esac
    expected+=("$(printf '90 %02x 7f' $((53 + i)))" "$(printf '90 %02x 00' $((53 + i)))")
  done
  wait_until 5 has_lines e2e-recv $((before + 64)) || true
  actual=$(received e2e-recv | tail -n +$((before + 1)))
  if [ "$actual" != "$(printf '%s\n' "${expected[@]}")" ]; then
    diff <(printf '%s\n' "${expected[@]}") <(echo "$actual") >&2 || true
    fail "$1: the keys typing the captions played other notes"
  fi
  echo "$1: the key typing each caption plays its note"
}

start_xvfb
setxkbmap us
start_jack 64
start_receiver e2e-recv
start_accessibility
start_tastiva
# Entry 1 of the device list is the receiver's port (see play_test.sh).
click_at 100 37
wait_until 5 has_lines e2e-recv 2 || fail "no program change after choosing the port"

us='Q 2 W 3 E 4 R Z S X D C V G B H N J M , L . ; / U 8 I 9 O 0 P ['
de='Q 2 W 3 E 4 R Y S X D C V G B H N J M , L . Ö - U 8 I 9 O 0 P Ü'
fr="A é Z \" E ' R W S X D C V G B H N J , ; L : M ! U _ I ç O à P ^"
for layout in us de fr; do
  setxkbmap "$layout"
  wait_until 10 captions_are "${!layout}" || fail "$layout: captions $($CAPTIONS)"
  play_captions "$layout"
done
# Two layouts, the second one locked: the captions follow the group. (xdotool would type
# Y and - through the first group's keys, so the notes are left to the single layouts.)
setxkbmap us,de
lock_group 1
wait_until 10 captions_are "$de" || fail "us,de in group 2: captions $($CAPTIONS)"
echo "us,de: the captions follow the second group"
echo PASS
