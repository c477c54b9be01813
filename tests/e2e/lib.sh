# Shared by the end-to-end tests (and the package check and the benchmarks): private X and
# JACK servers from scripts/lib/servers.sh, and helpers that find, watch and click windows.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/servers.sh"

servers_init e2e
export TMPDIR="$RUN_TMP" # private single-instance lock
export XDG_RUNTIME_DIR="$RUN_TMP/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Visible windows whose name matches exactly.
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }

# Visible windows of the program with the given size in pixels.
windows_of_size() {
  local size=$1 w
  for w in $(xdotool search --onlyvisible --class '^tastiva$' 2>/dev/null); do
    if xwininfo -id "$w" | awk '/Width:/{w=$2} /Height:/{h=$2} END{exit !(w"x"h=="'"$size"'")}'; then
      echo "$w"
    fi
  done
}

window_origin() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}'; }

has_window_of_size() { [ -n "$(windows_of_size "$1")" ]; }
has_window_named() { [ -n "$(windows_named "$1")" ]; }

# start_receiver NAME: a JACK MIDI receiver printing "<usec> <hex bytes>" per event to
# $RUN_TMP/NAME.out; its port is NAME:in.
start_receiver() {
  "$RECEIVER" "$1" >"$RUN_TMP/$1.out" 2>"$RUN_TMP/$1.err" &
  RUN_PIDS+=($!)
  wait_until 10 grep -q ready "$RUN_TMP/$1.out" || fail "receiver did not start: $(cat "$RUN_TMP/$1.err")"
}

# The bytes the receiver got, one event a line, without timestamps.
received() { grep -v ready "$RUN_TMP/$1.out" | cut -d' ' -f2- || true; }

# has_lines NAME COUNT: the receiver has COUNT events or more.
has_lines() { [ "$(received "$1" | wc -l)" -ge "$2" ]; }

# expect_exactly NAME EXPECTED: the receiver NAME got exactly the lines EXPECTED, no more
# arriving a moment later.
expect_exactly() {
  wait_until 5 has_lines "$1" "$(wc -l <<<"$2")" || true
  sleep 0.3 # nothing more may arrive
  local actual
  actual=$(received "$1")
  if [ "$actual" != "$2" ]; then
    diff <(echo "$2") <(echo "$actual") >&2 || true
    fail "the receiver got other traffic than expected"
  fi
  echo "receiver got the exact traffic:"
  echo "$actual"
}

# main_window_up: waits for the main window, notes where it is and gives it the keyboard.
main_window_up() {
  wait_until 20 has_window_named Tastiva || fail "no main window: $(cat "$1")"
  MAIN_WINDOW=$(windows_named Tastiva)
  read -r MAIN_X MAIN_Y < <(window_origin "$MAIN_WINDOW")
  xdotool windowfocus --sync "$MAIN_WINDOW"
}

start_tastiva() {
  "$TASTIVA" "$@" >"$RUN_TMP/tastiva.log" 2>&1 &
  TASTIVA_PID=$!
  RUN_PIDS+=("$TASTIVA_PID")
  main_window_up "$RUN_TMP/tastiva.log"
}

# click_at X Y [BUTTON]: a real click at a point of the main window's client area.
# With the pointer already there, xdotool's --sync waits for a move that never comes (15 s).
click_at() {
  local x=$((MAIN_X + $1)) y=$((MAIN_Y + $2)) here
  here=$(xdotool getmouselocation --shell | sed -n 's/^[XY]=//p' | paste -sd ' ')
  if [ "$here" = "$x $y" ]; then
    xdotool click "${3:-1}"
  else
    xdotool mousemove --sync "$x" "$y" click "${3:-1}"
  fi
}
