#!/usr/bin/env bash
# The program on Qt's Wayland platform under weston. Headless, weston has no keyboard or
# pointer at all: the program starts, shows its window and takes its captions from XKB's
# environment, and a second copy ends at once. Nested in an X server, weston's seat takes X's keys and its keymap: with the
# receiver's port chosen, the key typing each caption plays its note.
# usage: wayland_test.sh TASTIVA JACK_RECEIVER
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/captions.sh"
TASTIVA=$1
RECEIVER=$2

# start_weston SOCKET ARGS...: a black desktop without a panel, screenshots allowed.
start_weston() {
  local socket=$1
  shift
  printf '[shell]\nbackground-color=0xff000000\npanel-position=none\n' >"$RUN_TMP/weston.ini"
  weston --socket="$socket" --config="$RUN_TMP/weston.ini" --idle-time=0 --use-pixman --debug "$@" \
    >"$RUN_TMP/$socket.log" 2>&1 &
  WESTON_PID=$!
  RUN_PIDS+=("$WESTON_PID")
  wait_until 10 test -S "$XDG_RUNTIME_DIR/$socket" || fail "weston: $(cat "$RUN_TMP/$socket.log")"
  export WAYLAND_DISPLAY=$socket
}

# Without Qt's own title bar the window's grey is its client area alone.
start_wayland_tastiva() {
  env -u DISPLAY QT_QPA_PLATFORM=wayland QT_WAYLAND_DISABLE_WINDOWDECORATION=1 "$@" "$TASTIVA" \
    >"$RUN_TMP/tastiva.log" 2>&1 &
  TASTIVA_PID=$!
  RUN_PIDS+=("$TASTIVA_PID")
}

# The fixed grey client area in a screenshot of weston's output, as WxH+X+Y: the largest
# patch of that grey (the pointer's arrow has grey too).
window_box() {
  rm -f "$RUN_TMP"/wayland-screenshot-*.png
  (cd "$RUN_TMP" && timeout 10 weston-screenshooter) >/dev/null 2>&1 || return 1
  convert "$RUN_TMP"/wayland-screenshot-*.png -fill black +opaque '#C0C0C0' -fill white \
    -opaque '#C0C0C0' -define connected-components:verbose=true -connected-components 8 null: |
    awk '/srgb\(255,255,255\)/ { print $2; exit }'
}
window_shown() { [[ $(window_box) == 623x219+* ]]; }

# The window shows and the captions come: returns the window's origin on the output.
expect_window() {
  wait_until 20 window_shown || fail "$1: no 623x219 window: $(window_box) $(cat "$RUN_TMP/tastiva.log")"
  IFS=x+ read -r _ _ WINDOW_X WINDOW_Y <<<"$(window_box)"
  expect_captions "$1" "$2"
  echo "$1: the window shows with the captions of $3"
}

start_xvfb
start_jack
start_receiver e2e-recv
start_accessibility

start_weston tastiva-headless --backend=headless-backend.so
start_wayland_tastiva XKB_DEFAULT_LAYOUT=de
expect_window "headless" "$de" "XKB_DEFAULT_LAYOUT=de"
# A second copy ends at once and silently. It asks the first to come forward, which Qt puts
# to the compositor; weston 10 has no xdg-activation to grant it, so nothing more shows here.
env -u DISPLAY QT_QPA_PLATFORM=wayland timeout 10 "$TASTIVA" >"$RUN_TMP/second.log" 2>&1 ||
  fail "the second copy ended with status $?"
[ ! -s "$RUN_TMP/second.log" ] || fail "the second copy printed: $(cat "$RUN_TMP/second.log")"
kill -0 "$TASTIVA_PID" || fail "the first copy ended: $(cat "$RUN_TMP/tastiva.log")"
stop_process "$TASTIVA_PID"
stop_process "$WESTON_PID"

setxkbmap fr
start_weston tastiva-nested --backend=x11-backend.so
start_wayland_tastiva
expect_window "nested" "$fr" "the compositor's fr keymap"
# Entry 1 of the device list is the receiver's port (see play_test.sh), chosen over the
# accessibility bus: a click through the nested seat was lost now and then on a busy machine.
# The keys then go through weston's seat.
bounded /usr/bin/python3 -B "$(dirname "$0")/accessibility.py" select Device 1
wait_until 10 has_lines e2e-recv 2 ||
  fail "no program change after choosing the port: $(received e2e-recv) $(cat "$RUN_TMP/tastiva.log")"
play_captions "nested, fr"
echo PASS
