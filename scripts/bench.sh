#!/usr/bin/env bash
# Benchmarks (not part of the tests): the real program against a bare Qt window of the same
# size (the floor), under a private Xvfb and private JACK dummy servers, with real X events.
# Prints one Markdown table; progress goes to stderr. See docs/performance.md.
#
# Environment: BUILD_DIR (default ./build, configured with the "default" preset),
# RUNS (start-ups per program, 9), IDLE_RUNS (10-second idle samples per device, 9),
# ROUNDS (key presses per MIDI latency figure, 50), AUDIO_ROUNDS (30), SKIP_INSTALL=1.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${RUNS:-9}
IDLE_RUNS=${IDLE_RUNS:-9}
ROUNDS=${ROUNDS:-50}
AUDIO_ROUNDS=${AUDIO_ROUNDS:-30}
IDLE_SECONDS=10
BENCH_START=$SECONDS

log() { echo "bench: $*" >&2; }

# --- build --------------------------------------------------------------------------------
[ -n "${SKIP_INSTALL:-}" ] || ./scripts/install-deps.sh >&2
if [ -n "${BUILD_DIR:-}" ]; then
  [ -f "$BUILD_DIR/build.ninja" ] ||
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
else
  BUILD_DIR=$ROOT/build
  cmake --preset default >/dev/null
fi
cmake --build "$BUILD_DIR" --target tastiva bare_window map_wait latency_probe key_bench >&2
TASTIVA=$BUILD_DIR/app/tastiva
BARE=$BUILD_DIR/bench/bare_window
MAP_WAIT=$BUILD_DIR/bench/map_wait
PROBE=$BUILD_DIR/bench/latency_probe
KEY_BENCH=$BUILD_DIR/bench/key_bench

# --- private servers, always stopped ------------------------------------------------------
source "$ROOT/tests/e2e/lib.sh"
JACK_NAMES=()
JACKD_PID=""
PROBE_FD=""
bench_cleanup() {
  local name pid
  [ -z "$PROBE_FD" ] || exec {PROBE_FD}>&- || true
  # The clients first, then the server, each given time to leave.
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  sleep 0.5
  jack_down
  e2e_cleanup
  for name in "${JACK_NAMES[@]}"; do rm -f /dev/shm/jack*"$name"* 2>/dev/null || true; done
}
trap bench_cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself, so runs beside the tests never collide.
xvfb_up() {
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -noreset -nolisten tcp \
    5>"$E2E_TMP/display" >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_PIDS+=($!)
  wait_until 10 test -s "$E2E_TMP/display" || fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
  export DISPLAY=":$(cat "$E2E_TMP/display")"
  wait_until 10 xdpyinfo || fail "Xvfb does not answer"
}

gone() { ! kill -0 "$1" 2>/dev/null; }

# jack_up PERIOD: a private dummy server; its clients find it through the environment. Not
# in E2E_PIDS: a killed server keeps its slot in JACK's registry of servers (8 in all).
jack_up() {
  local attempt
  JACK_NAME="tastiva-bench-$$-$1"
  JACK_NAMES+=("$JACK_NAME")
  export JACK_DEFAULT_SERVER="$JACK_NAME" JACK_NO_START_SERVER=1
  for attempt in 1 2 3; do
    jackd -n "$JACK_NAME" -d dummy -r 48000 -p "$1" >"$E2E_TMP/jackd-$1.log" 2>&1 &
    JACKD_PID=$!
    timeout 15 jack_wait -s "$JACK_NAME" -w -t 10 >/dev/null 2>&1 && return 0
    jack_down
    log "jackd did not start (attempt $attempt): $(grep -i -m1 'too many\|error' "$E2E_TMP/jackd-$1.log")"
    sleep 3
  done
  fail "jackd did not start: $(cat "$E2E_TMP/jackd-$1.log")"
}

# Stops the server and waits for it, so it leaves its registry slot.
jack_down() {
  [ -n "$JACKD_PID" ] || return 0
  kill "$JACKD_PID" 2>/dev/null || true
  wait_until 5 gone "$JACKD_PID" || kill -9 "$JACKD_PID" 2>/dev/null || true
  wait "$JACKD_PID" 2>/dev/null || true
  JACKD_PID=""
  rm -f /dev/shm/jack*"$JACK_NAME"* 2>/dev/null || true
}

# The probe: a JACK client with MIDI input "in" and audio inputs "left"/"right", taking
# commands on a pipe. Started before the program, so its port is in the device list.
probe_up() {
  PROBE_NAME="bench-probe-$$"
  PROBE_OUT="$E2E_TMP/probe-$1.out"
  mkfifo "$E2E_TMP/probe-$1.ctl"
  "$PROBE" --threshold 0.001 "$PROBE_NAME" <"$E2E_TMP/probe-$1.ctl" >"$PROBE_OUT" \
    2>"$E2E_TMP/probe-$1.err" &
  PROBE_PID=$!
  E2E_PIDS+=("$PROBE_PID")
  exec {PROBE_FD}>"$E2E_TMP/probe-$1.ctl"
  wait_until 10 grep -qx ready "$PROBE_OUT" || fail "probe: $(cat "$E2E_TMP/probe-$1.err")"
}

probe_down() {
  echo quit >&"$PROBE_FD" || true
  exec {PROBE_FD}>&-
  PROBE_FD=""
  wait_until 5 gone "$PROBE_PID" || kill "$PROBE_PID" 2>/dev/null || true
}

count_lines() { grep -c "$1" "$PROBE_OUT" || true; }
more_lines() { [ "$(count_lines "$1")" -gt "$2" ]; }

# probe_run SECONDS COMMAND: runs a probe command and waits for it to finish.
probe_run() {
  local before
  before=$(count_lines '^done')
  echo "$2" >&"$PROBE_FD"
  wait_until "$1" more_lines '^done' "$before" || fail "probe: '$2' did not finish"
}

# No notice window: a day that is no multiple of 5, for the program and the bare window alike.
FAKE_DATE=(LD_PRELOAD='/usr/$LIB/faketime/libfaketime.so.1' 'FAKETIME=@2026-12-07 12:00:00'
  FAKETIME_DONT_FAKE_MONOTONIC=1)

no_window_named() { [ -z "$(windows_named "$1")" ]; }

# Starts the program with its own lock directory and gives its window the keyboard.
tastiva_up() {
  local dir
  dir=$(mktemp -d "$E2E_TMP/tastiva.XXXXXX")
  env TMPDIR="$dir" "${FAKE_DATE[@]}" "$TASTIVA" >"$dir/log" 2>&1 &
  TASTIVA_PID=$!
  E2E_PIDS+=("$TASTIVA_PID")
  wait_until 20 has_window_named Tastiva || fail "no main window: $(cat "$dir/log")"
  MAIN_WINDOW=$(windows_named Tastiva)
  read -r MAIN_X MAIN_Y < <(window_origin "$MAIN_WINDOW")
  xdotool windowfocus --sync "$MAIN_WINDOW"
}

tastiva_down() {
  kill "$TASTIVA_PID" 2>/dev/null || true
  wait "$TASTIVA_PID" 2>/dev/null || true
  wait_until 5 no_window_named Tastiva || fail "the main window stayed"
}

# Entry 1 of the device list (the probe's port) by a real click, as the play test does.
select_probe_port() {
  local before
  before=$(count_lines '^in c0')
  click_at 100 37
  wait_until 5 more_lines '^in c0' "$before" || fail "choosing the probe's port sent nothing"
}

cpu_ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

# stats: numbers on stdin -> "median q1 q3 min max count" (quartiles interpolated).
stats() {
  sort -g | awk '
    function q(p,   pos, lo) { pos = 1 + (NR - 1) * p; lo = int(pos); return v[lo] + (pos - lo) * (v[lo + 1] - v[lo]) }
    { v[NR] = $1 }
    END { if (NR == 0) { print "nan nan nan nan nan 0"; exit } v[NR + 1] = v[NR]; print q(0.5), q(0.25), q(0.75), v[1], v[NR], NR }'
}

# field NAME FILE: the values of NAME=... in map_wait's lines.
field() { grep -o "$1=[^ ]*" "$2" | cut -d= -f2; }

# cell STATS UNIT SCALE DIGITS SPREAD: "median unit (min–max, n=9)" or (IQR q1–q3, n=50).
cell() {
  local med q1 q3 min max n
  read -r med q1 q3 min max n <<<"$1"
  if [ "$5" = iqr ]; then
    awk -v m="$med" -v a="$q1" -v b="$q3" -v n="$n" -v s="$3" -v d="$4" -v u="$2" \
      'BEGIN { printf "%.*f %s (IQR %.*f–%.*f, n=%d)", d, m*s, u, d, a*s, d, b*s, n }'
  else
    awk -v m="$med" -v a="$min" -v b="$max" -v n="$n" -v s="$3" -v d="$4" -v u="$2" \
      'BEGIN { printf "%.*f %s (min–max %.*f–%.*f, n=%d)", d, m*s, u, d, a*s, d, b*s, n }'
  fi
}

median_of() { read -r med _ <<<"$1"; echo "$med"; }
yes_if() { awk "BEGIN { print ($1) ? \"yes\" : \"**no**\" }"; }

xvfb_up

# --- 1-3: start-up, memory, idle CPU (JACK period 128) ------------------------------------
jack_up 128
probe_up 128
log "start-up and memory: $RUNS runs each, alternating; idle CPU with the synthesizer in the same runs"
: >"$E2E_TMP/bare.runs"
: >"$E2E_TMP/tastiva.runs"
map_env() { printf -- '-e\n%s\n' "TMPDIR=$(mktemp -d "$E2E_TMP/run.XXXXXX")" "${FAKE_DATE[@]}"; }
for i in $(seq "$RUNS"); do
  mapfile -t env_args < <(map_env)
  "$MAP_WAIT" "${env_args[@]}" --hold 3 -- "$BARE" >>"$E2E_TMP/bare.runs"
  mapfile -t env_args < <(map_env)
  "$MAP_WAIT" "${env_args[@]}" --hold 3 --cpu "$IDLE_SECONDS" -- "$TASTIVA" >>"$E2E_TMP/tastiva.runs"
  log "  run $i: $(tail -n1 "$E2E_TMP/bare.runs" | cut -d' ' -f1) / $(tail -n1 "$E2E_TMP/tastiva.runs")"
done
if grep -v ' title=Bare ' "$E2E_TMP/bare.runs" | grep -q .; then
  fail "another window than the bare window came first: $(cat "$E2E_TMP/bare.runs")"
fi
if grep -v ' title=Tastiva ' "$E2E_TMP/tastiva.runs" | grep -q .; then
  fail "another window than the main window came first: $(cat "$E2E_TMP/tastiva.runs")"
fi
MAP_T=$(field map_ms "$E2E_TMP/tastiva.runs" | stats)
MAP_B=$(field map_ms "$E2E_TMP/bare.runs" | stats)
RSS_T=$(field rss_kb "$E2E_TMP/tastiva.runs" | stats)
RSS_B=$(field rss_kb "$E2E_TMP/bare.runs" | stats)
HZ=$(getconf CLK_TCK)
IDLE_SYNTH=$(field cpu_ticks "$E2E_TMP/tastiva.runs" | stats)

log "idle CPU with the probe's JACK port chosen: $IDLE_RUNS runs of $IDLE_SECONDS s"
: >"$E2E_TMP/idle-port.runs"
for i in $(seq "$IDLE_RUNS"); do
  tastiva_up
  select_probe_port
  sleep 2
  before=$(cpu_ticks "$TASTIVA_PID")
  sleep "$IDLE_SECONDS"
  after=$(cpu_ticks "$TASTIVA_PID")
  echo $((after - before)) >>"$E2E_TMP/idle-port.runs"
  log "  run $i: $((after - before)) ticks"
  tastiva_down
done
IDLE_PORT=$(stats <"$E2E_TMP/idle-port.runs")

# --- 5: key -> first sound of the built-in synthesizer (period 128) ------------------------
log "key -> sound: $AUDIO_ROUNDS presses"
tastiva_up
synth_ports=$(jack_lsp | grep -E '^Tastiva(-[0-9]+)?:(left|right)$' || true)
[ "$(echo "$synth_ports" | grep -c .)" -eq 2 ] || fail "synthesizer ports: $(jack_lsp)"
jack_connect "$(echo "$synth_ports" | grep ':left$')" "$PROBE_NAME:left"
jack_connect "$(echo "$synth_ports" | grep ':right$')" "$PROBE_NAME:right"
probe_run $((AUDIO_ROUNDS * 6 + 30)) "audio $AUDIO_ROUNDS"
AUDIO_KEY=$(awk '$1 == "audio" && $2 == "key" { print $3 / 1000 }' "$PROBE_OUT" | stats)
AUDIO_FLOOR=$(awk '$1 == "audio" && $2 == "key" { print $4 / 1000 }' "$PROBE_OUT" | stats)
AUDIO_MISSING=$(count_lines '^missing')
AUDIO_XRUNS=$(grep -o '^done audio xruns=[0-9]*' "$PROBE_OUT" | cut -d= -f2)
tastiva_down
probe_down
jack_down

# --- 4: key -> MIDI at a JACK client, against RtMidi straight in (period 64) --------------
log "key -> MIDI: $ROUNDS presses and $ROUNDS direct sends"
jack_up 64
probe_up 64
tastiva_up
select_probe_port
xdotool windowfocus --sync "$MAIN_WINDOW"
probe_run $((ROUNDS / 5 + 30)) "midi $ROUNDS"
MIDI_KEY=$(awk '$1 == "midi" && $2 == "key" { print $3 / 1000 }' "$PROBE_OUT" | stats)
MIDI_REF=$(awk '$1 == "midi" && $2 == "ref" { print $3 / 1000 }' "$PROBE_OUT" | stats)
MIDI_MISSING=$(count_lines '^missing')
MIDI_XRUNS=$(grep -o '^done midi xruns=[0-9]*' "$PROBE_OUT" | cut -d= -f2)
tastiva_down
probe_down
jack_down

# --- 6: in-process key event -> send --------------------------------------------------------
log "key event -> send, in-process"
timeout 300 "$KEY_BENCH" --benchmark_format=csv >"$E2E_TMP/key_bench.csv" 2>"$E2E_TMP/key_bench.err" ||
  fail "key_bench: $(cat "$E2E_TMP/key_bench.err")"
# One p50 per repetition (the last column), aggregates left out.
reps() { grep "^\"$1/" "$E2E_TMP/key_bench.csv" | grep -v '_\(mean\|median\|stddev\|cv\)"' |
  awk -F, '{ print $NF }'; }
KEY_SEND=$(reps BM_KeyPressToSend | stats)
KEY_REPAINT=$(reps BM_KeyRepaint | stats)
KEY_DIRECT=$(reps BM_NoteOnToSend | stats)

# --- the table ------------------------------------------------------------------------------
mt=$(median_of "$MAP_T")
mb=$(median_of "$MAP_B")
rt=$(median_of "$RSS_T")
ip=$(median_of "$IDLE_PORT")
is=$(median_of "$IDLE_SYNTH")
mk=$(median_of "$MIDI_KEY")
mr=$(median_of "$MIDI_REF")
ak=$(median_of "$AUDIO_KEY")
ks=$(median_of "$KEY_SEND")
ratio=$(awk -v a="$mt" -v b="$mb" 'BEGIN { printf "%.2f", a / b }')
extra=$(awk -v a="$mk" -v b="$mr" 'BEGIN { printf "%+.3f", a - b }')
cat <<EOF
| Figure | Tastiva | Floor / reference | Goal | Met? |
|---|---|---|---|---|
| 1. exec → main window mapped | $(cell "$MAP_T" ms 1 1 minmax) | bare window: $(cell "$MAP_B" ms 1 1 minmax) | ≤ 2× floor (now ${ratio}×) | $(yes_if "$mt <= 2 * $mb") |
| 2. RSS 3 s after exec, built-in synthesizer | $(cell "$RSS_T" MB 0.001 1 minmax) | bare window: $(cell "$RSS_B" MB 0.001 1 minmax) | ≤ 45 MB | $(yes_if "$rt <= 45000") |
| 3a. idle CPU over ${IDLE_SECONDS} s, JACK port chosen | $(cell "$IDLE_PORT" ticks 1 0 minmax) | — | 0 ticks (1 tick = $((1000 / HZ)) ms) | $(yes_if "$ip == 0") |
| 3b. idle CPU over ${IDLE_SECONDS} s, built-in synthesizer | $(cell "$IDLE_SYNTH" "% of a core" "$(awk -v h="$HZ" -v s="$IDLE_SECONDS" 'BEGIN { print 100 / (h * s) }')" 2 minmax) | — | ≤ 1 % | $(yes_if "$is * 100 / ($HZ * $IDLE_SECONDS) <= 1") |
| 4. X key press → MIDI at a JACK client, period 64 (xruns: ${MIDI_XRUNS:-?}, missed: $MIDI_MISSING) | $(cell "$MIDI_KEY" ms 1 3 iqr) | RtMidi straight in: $(cell "$MIDI_REF" ms 1 3 iqr) | ≤ reference + 0.25 ms (now ${extra} ms) | $(yes_if "$mk - $mr <= 0.25") |
| 5. X key press → first synthesizer sample, period 128 (xruns: ${AUDIO_XRUNS:-?}, missed: $AUDIO_MISSING) | $(cell "$AUDIO_KEY" ms 1 3 iqr) | next period start: $(cell "$AUDIO_FLOOR" ms 1 3 iqr) | ≤ 2 ms | $(yes_if "$ak <= 2") |
| 6. key event on the focused key → send call, in-process (of it, drawing the key: $(cell "$KEY_REPAINT" µs 1 1 minmax)) | $(cell "$KEY_SEND" µs 1 1 minmax) | note-on straight through MIDI_CMD: $(cell "$KEY_DIRECT" µs 1 3 minmax) | ≤ 20 µs | $(yes_if "$ks <= 20") |
EOF
log "done in $((SECONDS - BENCH_START)) s"
