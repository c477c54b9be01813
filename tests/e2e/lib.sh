# Shared by the end-to-end tests: private X and JACK servers, started here and always
# stopped on exit, every wait bounded.
set -euo pipefail

E2E_TMP=$(mktemp -d /tmp/tastiva-e2e.XXXXXX)
export TMPDIR="$E2E_TMP"                 # private single-instance lock
export XDG_RUNTIME_DIR="$E2E_TMP/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
E2E_PIDS=()
JACK_NAME=""

# Stops what was started, the last first and each before the next, so the JACK server goes
# down with no clients left: a server stopped under its clients leaves its slot in jackd's
# small per-user table taken.
e2e_cleanup() {
  local i pid
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${E2E_PIDS[i]}
    kill "$pid" 2>/dev/null || continue
    timeout 5 tail --pid="$pid" -f /dev/null 2>/dev/null || kill -9 "$pid" 2>/dev/null || true
  done
  if [ -n "$JACK_NAME" ]; then rm -f /dev/shm/jack*"$JACK_NAME"* 2>/dev/null || true; fi
  # faketime leaves its shared memory behind when the process it wraps is killed
  for pid in "${E2E_PIDS[@]}"; do
    rm -f "/dev/shm/faketime_shm_$pid" "/dev/shm/sem.faketime_sem_$pid" 2>/dev/null || true
  done
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# wait_until SECONDS COMMAND...: polls every 50 ms.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

start_xvfb() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -noreset -nolisten tcp >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_PIDS+=($!)
  export DISPLAY=":$n"
  wait_until 10 xdpyinfo || fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
}

# start_jack [PERIOD]: a JACK server on its dummy driver. Names come from a small fixed pool:
# jackd keeps at most 8 server names per user, and a name that is used again reclaims a slot
# that a crashed run may have left behind.
start_jack() {
  local n
  for n in 0 1 2 3 4 5; do
    JACK_NAME="tastiva-e2e-$n"
    pgrep -f "jackd -n $JACK_NAME " >/dev/null || break
  done
  jackd -n "$JACK_NAME" -d dummy -r 48000 -p "${1:-256}" >"$E2E_TMP/jackd.log" 2>&1 &
  E2E_PIDS+=($!)
  export JACK_DEFAULT_SERVER="$JACK_NAME" JACK_NO_START_SERVER=1
  timeout 15 jack_wait -s "$JACK_NAME" -w -t 10 >/dev/null 2>&1 ||
    fail "jackd did not start: $(cat "$E2E_TMP/jackd.log")"
}

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
# $E2E_TMP/NAME.out; its port is NAME:in.
start_receiver() {
  "$RECEIVER" "$1" >"$E2E_TMP/$1.out" 2>"$E2E_TMP/$1.err" &
  E2E_PIDS+=($!)
  wait_until 10 grep -q ready "$E2E_TMP/$1.out" || fail "receiver did not start: $(cat "$E2E_TMP/$1.err")"
}

# The bytes the receiver got, one event a line, without timestamps.
received() { grep -v ready "$E2E_TMP/$1.out" | cut -d' ' -f2- || true; }

# has_lines NAME COUNT: the receiver has COUNT events or more.
has_lines() { [ "$(received "$1" | wc -l)" -ge "$2" ]; }

start_tastiva() {
  "$TASTIVA" "$@" >"$E2E_TMP/tastiva.log" 2>&1 &
  TASTIVA_PID=$!
  E2E_PIDS+=("$TASTIVA_PID")
  wait_until 20 has_window_named Tastiva || fail "no main window: $(cat "$E2E_TMP/tastiva.log")"
  MAIN_WINDOW=$(windows_named Tastiva)
  read -r MAIN_X MAIN_Y < <(window_origin "$MAIN_WINDOW")
  xdotool windowfocus --sync "$MAIN_WINDOW"
}

# click_at X Y [BUTTON]: a real click at a point of the main window's client area.
click_at() { xdotool mousemove --sync $((MAIN_X + $1)) $((MAIN_Y + $2)) click "${3:-1}"; }
