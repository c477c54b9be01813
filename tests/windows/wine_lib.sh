# Shared by the Windows end-to-end tests: a private X server (scripts/lib/servers.sh), a private
# Wine prefix, and helpers that find, read and close the program's windows under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/servers.sh"

MAIN_SIZE=623x219
NOTICE_SIZE=685x361
# Boxes as the program shows winmm's codes, in Wine's words.
bad_id="Error A device ID has been used that is out of range for your system."
bad_handle="Error The specified device handle is invalid."

# wine_init ROLE TEMPLATE: Xvfb, then a prefix of this run's own. A prefix made ready earlier
# (TEMPLATE) is copied as hard links in a moment, but for the registry files, which Wine
# rewrites in place (measured): Wine never rewrites its DLLs. Without one a new prefix takes
# ~20 s.
wine_init() {
  servers_init "$1"
  trap wine_cleanup EXIT
  start_xvfb
  export WINEPREFIX="$RUN_TMP/prefix" WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
  if [ -f "$2/system.reg" ]; then
    cp -al "$2" "$WINEPREFIX"
    rm "$WINEPREFIX"/*.reg
    cp "$2"/*.reg "$WINEPREFIX"/
    rm -rf "$WINEPREFIX"/drive_c/users/*/Temp/* # nothing left by the template's own runs
  else
    mkdir "$WINEPREFIX"
  fi
  timeout 30 wineserver -p
  timeout 180 wine cmd /c exit </dev/null >/dev/null 2>&1 || fail "Wine did not start"
}

# use_recorder DRIVER DIR: the recording MIDI driver (tools/recording_driver.c) for programs in
# DIR, in this run's prefix only: as the MIDI mapper (a native midimap.dll beside the program)
# and as the audio driver whose MIDI outputs are the numbered devices (winerec.drv, named in the
# registry). Without it the prefix has no MIDI device, as the other tests expect.
use_recorder() {
  cp "$1" "$2/midimap.dll"
  cp "$1" "$2/winerec.drv"
  timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d rec /f \
    >"$RUN_TMP/reg.log" 2>&1 || fail "wine reg add: $(cat "$RUN_TMP/reg.log")"
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;midimap=n"
}

# The prefix's server ends, and with it every program still running in the prefix.
wine_cleanup() {
  disown -a # the programs' ends are no news
  if [ -n "${WINEPREFIX:-}" ]; then
    timeout 10 wineserver -k 2>/dev/null || true
    timeout 10 wineserver -w 2>/dev/null || true
  fi
  servers_cleanup
}

# Visible windows of the program, with this size if given: Wine names their class after it.
program_windows() {
  local w
  for w in $(xdotool search --onlyvisible --class '^tastiva\.exe$' 2>/dev/null); do
    [ -z "${1:-}" ] || [ "$(window_size "$w")" = "$1" ] && echo "$w"
  done
  return 0 # not the last window's test
}
window_size() { xwininfo -id "$1" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }
window_origin() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}'; }

# The program's windows: the main window, the notice, and message boxes (titled like the
# main window, of other sizes).
main_windows() { program_windows "$MAIN_SIZE"; }
notice_windows() { program_windows "$NOTICE_SIZE"; }
boxes() {
  local w
  for w in $(program_windows); do
    [ "$(window_size "$w")" != "$MAIN_SIZE" ] && [ "$(xdotool getwindowname "$w")" = Tastiva ] &&
      echo "$w"
  done
  return 0
}
has_main_window() { [ -n "$(main_windows)" ]; }
no_main_window() { [ -z "$(main_windows)" ]; }
has_notice() { [ -n "$(notice_windows)" ]; }
has_box() { [ -n "$(boxes)" ]; }
no_box() { [ -z "$(boxes)" ]; }

# start_program LOG [PREFIX_COMMAND...]: tastiva.exe ($EXE) in the background; PROGRAM_PID.
start_program() {
  local log=$1
  shift
  "$@" wine "$EXE" >"$log" 2>&1 &
  PROGRAM_PID=$!
  RUN_PIDS+=("$PROGRAM_PID")
}

# main_window_up LOG: the main window shows, after the notice if today has one.
main_window_up() {
  local deadline=$((SECONDS + 30))
  until has_main_window; do
    [ "$SECONDS" -lt "$deadline" ] || fail "no $MAIN_SIZE main window: $(cat "$1")"
    if has_notice; then close_notice; fi
    sleep 0.1
  done
}
close_notice() {
  local x y
  read -r x y < <(window_origin "$(notice_windows | head -1)")
  xdotool mousemove $((x + 18)) $((y + 18)) click 1 # X: 8 px from the corner, 21 px wide
}

# ended_with PID STATUS SECONDS: the process ends within SECONDS with STATUS.
ended_with() {
  local status=0
  timeout "$3" tail --pid="$1" -f /dev/null || return 1
  wait "$1" || status=$?
  [ "$status" -eq "$2" ] || { echo "ended with status $status" >&2; return 1; }
}

# read_box: the text of the message box on screen, copied with Ctrl+C the way Windows message
# boxes allow and read from the X clipboard Wine shares; then OK closes it.
read_box() {
  local box marker
  box=$(boxes | head -1)
  # A click on its text gives it the keyboard, as a user's would.
  xdotool mousemove --window "$box" 20 20 click 1
  # A stand-in owns the clipboard until Wine takes it over with the box's text.
  command xclip -quiet -selection clipboard -i <<<"(nothing copied)" >/dev/null 2>&1 &
  marker=$!
  RUN_PIDS+=("$marker")
  wait_until 5 clipboard_holds "(nothing copied)" || fail "the clipboard stand-in did not start"
  # A box that has only just appeared may not take the keys yet.
  for _ in 1 2 3 4 5; do
    xdotool key ctrl+c
    ! wait_until 2 gone "$marker" || break
  done
  gone "$marker" || fail "the box's text was not copied; windows: $(program_windows | xargs)"
  stop_process "$marker"
  BOX_TEXT=$(xclip -o -selection clipboard | tr -d '\r')
  xdotool key Return
  wait_until 10 box_gone "$box" || fail "the box did not close"
}
clipboard_holds() { [ "$(xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
# click_ok BOX: a click on the box's OK button, 49 px from its right edge, 23 from its bottom.
click_ok() {
  local size
  size=$(window_size "$1")
  xdotool mousemove --window "$1" $((${size%x*} - 49)) $((${size#*x} - 23)) click 1
}
box_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# read_boxes SECONDS: reads and closes boxes until none comes for SECONDS; one line each in
# BOXES (the text between the title and the button of Windows' copy format).
read_boxes() {
  BOXES=()
  while wait_until "$1" has_box; do
    read_box
    BOXES+=("$(box_message)")
  done
}
# close_boxes SECONDS: clicks OK on each box until none comes for SECONDS; BOX_COUNT of them.
close_boxes() {
  local box
  BOX_COUNT=0
  while wait_until "$1" has_box; do
    box=$(boxes | head -1)
    click_ok "$box"
    wait_until 10 box_gone "$box" || fail "the box did not close"
    BOX_COUNT=$((BOX_COUNT + 1))
  done
}
box_message() { awk '/^-+$/{n++; next} n==2 && NF' <<<"$BOX_TEXT" | paste -sd' '; }
# expect_boxes TEXT...: read_boxes read exactly these.
expect_boxes() {
  local want=("$@")
  [ "${BOXES[*]}" = "${want[*]}" ] || fail "boxes: $(printf '\n  %s' "${BOXES[@]}")"
}

# key_to_main XDOTOOL_COMMAND KEY: real X key events for the main window.
key_to_main() {
  xdotool windowfocus --sync "$(main_windows | head -1)"
  xdotool "$1" "$2"
}
