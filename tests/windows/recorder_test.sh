#!/usr/bin/env bash
# tastiva.exe from the Windows zip under Wine, with the recording MIDI driver as the mapper and
# the numbered devices: the exact calls and bytes each device gets at start-up (the mapper alone;
# the mapper and devices 0..2; device 0 refusing), from every key by its scan code and by the
# mouse, from an instrument and a device chosen, and at closing with a key held; and the boxes a
# refused open brings.
# usage: recorder_test.sh ZIP PREFIX_TEMPLATE DRIVER LAYOUT_H
source "$(dirname "$0")/wine_lib.sh"
wine_init wine-recorder "$2"
unzip -q "$1" -d "$RUN_TMP/zip"
EXE=$(echo "$RUN_TMP"/zip/*/bin/tastiva.exe)
[ -f "$EXE" ] || fail "no bin/tastiva.exe in $1"
use_recorder "$3" "$(dirname "$EXE")"
log="$RUN_TMP/midi.log"
export TASTIVA_RECORDER_LOG="Z:$log"
allocated="Error The specified device is already in use. Wait until it is free, and then try again."

# The keys from the layout table, left to right: left edge in twips, black or not, and the
# X key named by the caption.
lefts=() blacks=() keysyms=()
while IFS= read -r entry; do
  read -r left black caption <<<"$(tr -d '{,"' <<<"$entry")"
  case $entry in
    *'","') caption=comma ;;
    *'"."') caption=period ;;
    *'";"') caption=semicolon ;;
    *'"/"') caption=slash ;;
    *'"["') caption=bracketleft ;;
  esac
  lefts+=("$left") blacks+=("$black") keysyms+=("$(tr 'A-Z' 'a-z' <<<"$caption")")
done < <(grep -oE '\{[0-9]+, (true|false), "[^"]+"' "$4")
[ ${#lefts[@]} -eq 32 ] || fail "no 32 keys in $4"

# The opens, sends and closes the devices saw (not winmm's queries), from the CHECKED-th on.
traffic() {
  grep -vE ' (driver message [0-9]+|getnumdevs|getdevcaps)$' "$log" 2>/dev/null |
    tail -n +$((CHECKED + 1)) || true
}
has_traffic() { [ "$(traffic | grep -c .)" -ge "$1" ]; }
CHECKED=0
# expect_traffic WHAT LINES...: exactly these came since the last check, nothing more after.
expect_traffic() {
  local what=$1 want got
  shift
  want=$([ $# -eq 0 ] || printf '%s\n' "$@")
  wait_until 20 has_traffic $# || true
  sleep 0.5
  got=$(traffic)
  if [ "$got" != "$want" ]; then
    diff <(echo "$want") <(echo "$got") >&2 || true
    fail "$what: the devices got other calls than expected"
  fi
  CHECKED=$((CHECKED + $#))
  echo "$what: $# calls as expected"
}
# notes WHO FROM TO: note on and off of each note FROM..TO, as WHO gets them.
notes() {
  local n
  for n in $(seq "$2" "$3"); do printf "$1 data 90 %02x 7f\n$1 data 90 %02x 00\n" "$n" "$n"; done
}

# start DEVICES REFUSE: the program with that many numbered devices, refusing those opens.
start() {
  start_program "$RUN_TMP/tastiva.log" \
    env TASTIVA_RECORDER_DEVICES="$1" TASTIVA_RECORDER_REFUSE="$2"
  main_window_up "$RUN_TMP/tastiva.log"
  MAIN=$(main_windows | head -1)
}
close_program() {
  key_to_main key alt+F4
  ended_with "$PROGRAM_PID" 0 20 || fail "the program did not end with status 0 after Alt+F4"
}
# click X Y: a click at a point of the main window's client area.
click() { xdotool mousemove --window "$MAIN" "$1" "$2" click 1; }

# Start-ups: device 0 is opened and given the instrument, then the first listed, the mapper.
start 0 ""
read_boxes 2
expect_boxes "$bad_id" "$bad_handle" "$bad_handle"
expect_traffic "the mapper alone" "mapper open" "mapper data b0 00 00" "mapper data c0 00"
close_program
expect_traffic "closed" "mapper close"

start 3 ""
read_boxes 2
expect_boxes
expect_traffic "the mapper and devices 0..2" "0 open" "0 data b0 00 00" "0 data c0 00" "0 close" \
  "mapper open" "mapper data b0 00 00" "mapper data c0 00"

# Every key by the computer keyboard (X keys, read as scan codes), then by the mouse: black keys
# high, white keys low, at their middles (15 twips a pixel; keys from 64 px down).
xdotool windowfocus --sync "$MAIN"
xdotool key --delay 40 "${keysyms[@]}"
mapfile -t want < <(notes mapper 53 84)
expect_traffic "32 keys by the keyboard" "${want[@]}"
for i in "${!lefts[@]}"; do
  if [ "${blacks[i]}" = true ]; then
    click $((lefts[i] / 15 + 8)) 108
  else
    click $((lefts[i] / 15 + 16)) 184
  fi
done
expect_traffic "32 keys by the mouse" "${want[@]}"

# The second instrument; the second device (device 0), which gets the instrument; a key plays
# there. The lists' second rows are about 23 px below their tops.
click 430 38
expect_traffic "an instrument chosen" "mapper data b0 00 00" "mapper data c0 01"
click 100 39
expect_traffic "a device chosen" "mapper close" "0 open" "0 data b0 00 00" "0 data c0 01"
key_to_main key q
expect_traffic "a key on it" "0 data 90 35 7f" "0 data 90 35 00"

# Closed with Q held: its note ends on the device that got it, before that is closed.
xdotool windowfocus --sync "$MAIN"
xdotool keydown q
expect_traffic "Q held" "0 data 90 35 7f"
close_program
xdotool keyup q
expect_traffic "closed with Q held" "0 data 90 35 00" "0 close"

# Device 0 refuses: its box and the two of the instrument it could not get; then the mapper.
# Chosen in the list, the same three; keys then send nothing, each send a box.
start 3 0
read_boxes 2
expect_boxes "$allocated" "$bad_handle" "$bad_handle"
expect_traffic "device 0 refusing" "0 open refused" "mapper open" "mapper data b0 00 00" \
  "mapper data c0 00"
click 100 39
read_boxes 2
expect_boxes "$allocated" "$bad_handle" "$bad_handle"
expect_traffic "device 0 chosen, refusing" "mapper close" "0 open refused"
key_to_main key q
close_boxes 2
[ "$BOX_COUNT" -eq 2 ] || fail "Q with no device open: $BOX_COUNT boxes"
expect_traffic "a key with no device open"
close_program
expect_traffic "closed with no device open"
echo "PASS"
