# Shared by the caption tests (source after lib.sh): the accessibility bus, the captions as a
# screen reader reads them, and playing each caption through the key that types it.
CAPTIONS="bounded /usr/bin/python3 $(dirname "${BASH_SOURCE[0]}")/key_captions.py"

# The captions of the keys from left to right in the us, de and fr layouts.
us='Q 2 W 3 E 4 R Z S X D C V G B H N J M , L . ; / U 8 I 9 O 0 P ['
de='Q 2 W 3 E 4 R Y S X D C V G B H N J M , L . Ö - U 8 I 9 O 0 P Ü'
fr="A é Z \" E ' R W S X D C V G B H N J , ; L : M ! U _ I ç O à P ^"

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

captions_are() { [ "$($CAPTIONS 2>/dev/null)" = "$1" ]; }

# expect_captions NAME EXPECTED: waits up to 10 s for the captions.
expect_captions() {
  wait_until 10 captions_are "$2" || fail "$1: captions are '$($CAPTIONS 2>&1)'"
}

# play_captions NAME: types each key's caption with xdotool; the JACK receiver e2e-recv must
# get that key's note, key after key.
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
