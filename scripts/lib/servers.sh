# Private X and JACK servers for the tests, the package check and the benchmarks: started on
# demand, always stopped on exit (the last started first, each before the next), every wait
# bounded. Source it, then call servers_init once.
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

# start_jack [PERIOD]: a JACK server on its dummy driver, 48 kHz, PERIOD frames (256); its
# clients find it through the environment. jackd2 keeps at most 8 server names per user, and
# frees the entry of one that was killed, or ended with clients still attached, only when a
# server of the same name starts: the names come from a small fixed pool, so such entries are
# reused rather than piling up. A name in use makes jackd exit, and the next is tried; so does
# "too many servers", for up to 20 s.
start_jack() {
  local period=${1:-256} deadline=$((SECONDS + 20)) n
  export JACK_NO_START_SERVER=1
  while :; do
    for n in 0 1 2 3 4 5 6 7; do
      JACK_NAME="tastiva-jack-$n"
      if ! jack_name_taken && try_jackd "$period"; then
        export JACK_DEFAULT_SERVER="$JACK_NAME"
        return 0
      fi
    done
    [ "$SECONDS" -lt "$deadline" ] || break
    sleep 0.5
  done
  JACK_NAME=""
  fail "jackd did not start within 20 s: $(cat "$RUN_TMP/jackd-$period.log")"
}

jack_name_taken() {
  pgrep -f "^jackd -n $JACK_NAME " >/dev/null || jack_serves
}

jack_serves() { [ "$(jack_wait -s "$JACK_NAME" -c 2>/dev/null)" = running ]; }

# try_jackd PERIOD: 0 once the server answers; 1 if it ended or stayed silent for 5 s.
try_jackd() {
  jackd -n "$JACK_NAME" -d dummy -r 48000 -p "$1" >"$RUN_TMP/jackd-$1.log" 2>&1 &
  JACK_PID=$!
  RUN_PIDS+=("$JACK_PID")
  for _ in $(seq 50); do
    gone "$JACK_PID" && break
    jack_serves && return 0
    sleep 0.1
  done
  # Its memory is left alone: the name may belong to another run's server.
  stop_process "$JACK_PID"
  JACK_PID=""
  return 1
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
