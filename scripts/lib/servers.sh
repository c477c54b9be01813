# Private X and JACK servers for the tests, the package check and the benchmarks: started on
# demand, always stopped on exit (the last started first, each before the next), every wait
# and every call of an X or JACK client bounded; runs side by side never share a server.
# Source it, then call servers_init once.
#
#   RUN_TMP   this run's directory, removed on exit; the servers' logs go there
#   RUN_PIDS  the processes to stop on exit, in the order they started: add your own
#   JACK_NAME, JACK_PID  the JACK server while it runs

# servers_init ROLE: makes RUN_TMP (tastiva-ROLE.XXXXXX) and sets the exit trap.
servers_init() {
  RUN_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tastiva-$1.XXXXXX")
  touch "$RUN_TMP/start"
  RUN_PIDS=()
  JACK_NAME=""
  JACK_PID=""
  trap servers_cleanup EXIT
  trap 'exit 130' INT TERM
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# wait_until SECONDS COMMAND...: polls every 50 ms; 1 if COMMAND never succeeded.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# Bash reaps its exited children itself, so this holds once a child has ended.
gone() { ! kill -0 "$1" 2>/dev/null; }

# stop_process PID: TERM, asked again after 3 s (one that comes as a server starts up can go
# unheeded), KILL after 6 s; then it is no longer stopped on exit.
stop_process() {
  local pid=$1 p kept=()
  if kill "$pid" 2>/dev/null && ! wait_until 3 gone "$pid"; then
    kill "$pid" 2>/dev/null || true
    wait_until 3 gone "$pid" || kill -9 "$pid" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
  for p in "${RUN_PIDS[@]}"; do [ "$p" = "$pid" ] || kept+=("$p"); done
  RUN_PIDS=("${kept[@]}")
}

# Xvfb picks a free display itself, so runs side by side never collide.
start_xvfb() {
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -noreset -nolisten tcp \
    5>"$RUN_TMP/display" >"$RUN_TMP/xvfb.log" 2>&1 &
  RUN_PIDS+=($!)
  wait_until 10 test -s "$RUN_TMP/display" || fail "Xvfb did not start: $(cat "$RUN_TMP/xvfb.log")"
  export DISPLAY=":$(cat "$RUN_TMP/display")"
  wait_until 10 xdpyinfo || fail "Xvfb does not answer"
}

# Command-line clients of X and JACK wait for ever on a server that hangs (a wedged JACK
# database, a stopped Xvfb): every call of one through these names is bounded, and one that
# runs out says which. A client meant to run on in the background is called as `command NAME`.
CLIENT_SECONDS=20
bounded() {
  local status=0
  timeout -k 5 "$CLIENT_SECONDS" "$@" || status=$?
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "FAIL: $1 did not end within $CLIENT_SECONDS s, its server hangs: $*" >&2
  fi
  return "$status"
}
for _client in xdotool xwininfo xdpyinfo xclip setxkbmap import weston-screenshooter \
  jack_wait jack_lsp jack_connect jack_rec; do
  eval "$_client() { bounded $_client \"\$@\"; }"
done
unset _client

# start_jack [PERIOD]: a JACK server of this run's own on its dummy driver, 48 kHz, PERIOD
# frames (256: the end-to-end tests check bytes, not timing, and on a busy machine a shorter
# period runs late, when JACK drops what a late client was sent); its clients find it through
# the environment. Its name is RUN_TMP's, which no other run has while this one lives; a second
# start in one run reuses it.
start_jack() {
  local period=${1:-256} deadline=$((SECONDS + 60)) log
  export JACK_NO_START_SERVER=1
  JACK_NAME="tastiva-${RUN_TMP##*.}"
  log="$RUN_TMP/jackd-$period.log"
  while :; do
    jack_prepare
    jackd -n "$JACK_NAME" -d dummy -r 48000 -p "$period" >"$log" 2>&1 &
    JACK_PID=$!
    RUN_PIDS+=("$JACK_PID")
    if wait_until 20 jack_started; then
      export JACK_DEFAULT_SERVER="$JACK_NAME"
      return 0
    fi
    gone "$JACK_PID" || fail "jackd $JACK_NAME does not answer within 20 s$(jack_why_hung)"
    stop_process "$JACK_PID"
    JACK_PID=""
    # All 8 entries of jackd2's table held by live servers: one may end soon.
    grep -q "Too many servers" "$log" && [ "$SECONDS" -lt "$deadline" ] || break
    sleep 1
  done
  fail "jackd $JACK_NAME did not start: $(cat "$log")$(jack_registered | sed 's/^/\n  registered: /')"
}
jack_started() { gone "$JACK_PID" || jack_serves "$JACK_NAME"; }
jack_serves() { [ "$(timeout -k 2 5 jack_wait -s "$1" -c 2>/dev/null)" = running ]; }

# jack_prepare: clears what dead servers left that would stop a new one or hang it: a
# metadata database left with no server running, and table entries of killed servers.
jack_prepare() {
  jack_clear_database
  jack_reclaim_entries
}

# A jackd killed while it sets up its metadata database leaves it wedged: later servers hang
# at start and their clients for ever. A server that ends normally removes it, so one there
# while no jackd runs is left over; it goes, in one step so that no starting server sees half.
JACK_DB="/dev/shm/jack_db-$(id -u)"
jack_clear_database() {
  [ -d "$JACK_DB" ] && ! pgrep -u "$(id -u)" -x jackd >/dev/null || return 0
  local stale
  stale="$JACK_DB.stale-$$-$RANDOM"
  mv -T "$JACK_DB" "$stale" 2>/dev/null && rm -rf "$stale"
  echo "removed the metadata database a killed jackd left behind ($JACK_DB)" >&2
}
jack_why_hung() {
  local others
  others=$(pgrep -u "$(id -u)" -x jackd | grep -vx "$JACK_PID" | xargs)
  printf '; its metadata database %s may be wedged by a jackd killed while it set it up:' "$JACK_DB"
  if [ -n "$others" ]; then
    printf ' it is cleared at the next start with no jackd running (now running: %s)' "$others"
  else
    printf ' it is cleared at the next start'
  fi
}

# jackd2 registers each server in one table of 8 entries per machine
# (/dev/shm/jack-shm-registry), all users together: from byte 24, entries 264 bytes apart of a
# 4-byte process id and the name "jack-UID:NAME:". A server that ends normally frees its entry;
# a killed one keeps it until a server of the same name starts, and with per-run names none
# would: once the table is full, each entry of a dead server of this user is freed that way,
# but for names ending in the id of a live process (tests/support/JackServer.h), whose test
# may be about to start that server again.
JACK_REGISTRY=/dev/shm/jack-shm-registry
jack_registered() {
  [ -r "$JACK_REGISTRY" ] && [ "$(head -c 4 "$JACK_REGISTRY")" = KCAJ ] || return 0
  local i pid name
  for i in 0 1 2 3 4 5 6 7; do
    pid=$(od -An -t d4 -j $((24 + 264 * i)) -N 4 "$JACK_REGISTRY" | tr -d ' ')
    name=$(dd if="$JACK_REGISTRY" bs=1 skip=$((28 + 264 * i)) count=257 status=none | tr -d '\0')
    [ -z "$name" ] || echo "$pid $name"
  done
}
jack_reclaim_entries() {
  local entries pid name
  entries=$(jack_registered)
  [ "$(grep -c . <<<"$entries")" -ge 8 ] || return 0
  while read -r pid name; do
    [[ $name == "jack-$(id -u):"*: ]] && ! kill -0 "$pid" 2>/dev/null || continue
    name=${name#"jack-$(id -u):"}
    name=${name%:}
    [[ ! ${name##*-} =~ ^[0-9]+$ ]] || ! kill -0 "${name##*-}" 2>/dev/null || continue
    jack_reclaim "$name"
  done <<<"$entries"
}
jack_reclaim() {
  local pid
  jackd -n "$1" -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
  pid=$!
  RUN_PIDS+=("$pid")
  wait_until 5 jack_serves "$1" || true
  stop_process "$pid"
  rm -f /dev/shm/jack_sem.*"_$1_"* /dev/shm/jack_"$1"_* 2>/dev/null || true
  echo "freed jackd2's entry of a killed server $1" >&2
}

# Stops the JACK server, its clients (all started after it) first, and removes the
# semaphores and socket a killed server leaves behind.
stop_jack() {
  [ -n "$JACK_PID" ] || return 0
  local pid
  while [ ${#RUN_PIDS[@]} -gt 0 ]; do
    pid=${RUN_PIDS[-1]}
    stop_process "$pid"
    [ "$pid" != "$JACK_PID" ] || break
  done
  rm -f /dev/shm/jack_sem.*"_${JACK_NAME}_"* /dev/shm/jack_"${JACK_NAME}"_* 2>/dev/null || true
  JACK_PID=""
}

# libfaketime leaves a shared memory file and a semaphore behind for each process it ran in
# that did not end normally: those of processes that ended since this run began go.
remove_faketime_leftovers() {
  local file pid
  for file in $(find /dev/shm -maxdepth 1 -name 'faketime_shm_*' -newer "$RUN_TMP/start"); do
    pid=${file##*_}
    if gone "$pid"; then rm -f "$file" "/dev/shm/sem.faketime_sem_$pid"; fi
  done
}

servers_cleanup() {
  trap - EXIT INT TERM
  stop_jack
  while [ ${#RUN_PIDS[@]} -gt 0 ]; do stop_process "${RUN_PIDS[-1]}"; done
  remove_faketime_leftovers
  rm -rf "$RUN_TMP"
}

# Run as a command, for the C++ tests' servers (tests/support/JackServer.h):
#   bash servers.sh jack_exec NAME JACKD_OPTIONS...   prepared as above, then becomes jackd
#   bash servers.sh jack_serves NAME                  status 0 while NAME answers
jack_exec() {
  jack_prepare
  exec jackd -n "$@"
}
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  RUN_PIDS=()
  case ${1:-} in
    jack_exec | jack_serves) "$@" ;;
    *) fail "usage: servers.sh jack_exec NAME JACKD_OPTIONS... | jack_serves NAME" ;;
  esac
fi

# Private sound servers for the synthesizer's stream, each with a null sink S at 48 kHz. The
# caller sets XDG_RUNTIME_DIR to a folder of the server's own first.
# start_pulseaudio: PULSE_PID.
pulse_up() { timeout 2 pactl info >/dev/null 2>&1; }
start_pulseaudio() {
  pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=S rate=48000" --load=module-native-protocol-unix \
    >"$RUN_TMP/pulseaudio.log" 2>&1 &
  PULSE_PID=$!
  RUN_PIDS+=("$PULSE_PID")
  wait_until 10 pulse_up || fail "pulseaudio did not start: $(cat "$RUN_TMP/pulseaudio.log")"
}
# start_pipewire: PipeWire, WirePlumber and pipewire-pulse on a session bus of their own;
# PIPEWIRE_PIDS, the bus's first.
start_pipewire() {
  dbus-daemon --session --address="unix:path=$RUN_TMP/bus" --nofork --nopidfile \
    >"$RUN_TMP/dbus.log" 2>&1 &
  PIPEWIRE_PIDS=($!)
  RUN_PIDS+=($!)
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$RUN_TMP/bus"
  wait_until 10 test -S "$RUN_TMP/bus" || fail "no session bus: $(cat "$RUN_TMP/dbus.log")"
  local server
  for server in pipewire wireplumber pipewire-pulse; do
    "$server" >"$RUN_TMP/$server.log" 2>&1 &
    PIPEWIRE_PIDS+=($!)
    RUN_PIDS+=($!)
    [ "$server" != pipewire ] || wait_until 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" ||
      fail "pipewire did not start: $(cat "$RUN_TMP/pipewire.log")"
  done
  wait_until 10 pulse_up || fail "pipewire-pulse did not start: $(cat "$RUN_TMP/pipewire-pulse.log")"
  timeout 5 pactl load-module module-null-sink sink_name=S >/dev/null
}
