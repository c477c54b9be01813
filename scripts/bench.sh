#!/usr/bin/env bash
# Benchmarks (not part of the tests): the real program against a bare Qt window of the same
# size (the floor), under a private Xvfb and private JACK dummy servers, with real X events.
# Prints one Markdown table; progress goes to stderr. See docs/performance.md.
#
# Environment: BUILD_DIR (default ./build, configured with the "default" preset),
# RUNS (start-ups per program, 9), IDLE_RUNS (10-second idle samples per device, 3: 9 would
# take the whole run past 6 minutes), ROUNDS (key presses per MIDI latency figure, 50),
# AUDIO_ROUNDS (20), SKIP_INSTALL=1,
# BENCH_RAW=DIR (keep the raw samples there), TASTIVA_BIN (another build of the program).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${RUNS:-9}
IDLE_RUNS=${IDLE_RUNS:-3}
ROUNDS=${ROUNDS:-50}
AUDIO_ROUNDS=${AUDIO_ROUNDS:-20}
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
cmake --build "$BUILD_DIR" --target tastiva bare_window map_wait latency_probe key_bench \
  idle_client bare_key >&2
TASTIVA=${TASTIVA_BIN:-$BUILD_DIR/app/tastiva}
BARE=$BUILD_DIR/bench/bare_window
MAP_WAIT=$BUILD_DIR/bench/map_wait
PROBE=$BUILD_DIR/bench/latency_probe
KEY_BENCH=$BUILD_DIR/bench/key_bench
IDLE_CLIENT=$BUILD_DIR/bench/idle_client
BARE_KEY=$BUILD_DIR/bench/bare_key
SOUNDFONT=/usr/share/sounds/sf2/TimGM6mb.sf2

# --- private servers, always stopped ------------------------------------------------------
source "$ROOT/tests/e2e/lib.sh"
touch "$E2E_TMP/start"
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
  # libfaketime leaves a shared memory file and a semaphore behind for each process it ran in.
  for name in $(find /dev/shm -maxdepth 1 -name 'faketime_shm_*' -newer "$E2E_TMP/start"); do
    pid=${name##*_}
    if gone "$pid"; then rm -f "$name" "/dev/shm/sem.faketime_sem_$pid"; fi
  done
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
# in E2E_PIDS: it is stopped last, after its clients, or it keeps its slot in jackd's table of
# servers (8 in all).
jack_up() {
  local attempt n
  # A small fixed pool of names: using a name again reclaims a slot a crashed run left taken.
  for n in 0 1 2 3; do
    JACK_NAME="tastiva-bench-$n"
    pgrep -f "jackd -n $JACK_NAME " >/dev/null || break
  done
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
  # A TERM that comes just as it starts up can go unheeded: ask twice before killing.
  kill "$JACKD_PID" 2>/dev/null || true
  if ! wait_until 3 gone "$JACKD_PID"; then
    kill "$JACKD_PID" 2>/dev/null || true
    wait_until 3 gone "$JACKD_PID" || kill -9 "$JACKD_PID" 2>/dev/null || true
  fi
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
log "start-up and memory: $RUNS runs each, alternating; idle CPU with the synthesizer in the first $IDLE_RUNS"
: >"$E2E_TMP/bare.runs"
: >"$E2E_TMP/tastiva.runs"
map_env() { printf -- '-e\n%s\n' "TMPDIR=$(mktemp -d "$E2E_TMP/run.XXXXXX")" "${FAKE_DATE[@]}"; }
for i in $(seq "$RUNS"); do
  mapfile -t env_args < <(map_env)
  "$MAP_WAIT" "${env_args[@]}" --hold 3 -- "$BARE" >>"$E2E_TMP/bare.runs"
  mapfile -t env_args < <(map_env)
  idle=()
  [ "$i" -gt "$IDLE_RUNS" ] || idle=(--cpu "$IDLE_SECONDS")
  "$MAP_WAIT" "${env_args[@]}" --hold 3 "${idle[@]}" -- "$TASTIVA" >>"$E2E_TMP/tastiva.runs"
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
SHM_T=$(field shmem_kb "$E2E_TMP/tastiva.runs" | stats)
# Less the shared memory: what the process holds of its own and of its files.
own_kb() { paste -d' ' <(field rss_kb "$1") <(field shmem_kb "$1") | awk '{ print $1 - $2 }'; }
OWN_T=$(own_kb "$E2E_TMP/tastiva.runs" | stats)
OWN_B=$(own_kb "$E2E_TMP/bare.runs" | stats)
CPU_T=$(field cpu_ms "$E2E_TMP/tastiva.runs" | stats)
CPU_B=$(field cpu_ms "$E2E_TMP/bare.runs" | stats)
HZ=$(getconf CLK_TCK)
IDLE_SYNTH=$(field cpu_ticks "$E2E_TMP/tastiva.runs" | stats)

log "idle CPU with the probe's JACK port chosen: $IDLE_RUNS runs of $IDLE_SECONDS s"
# The floors run alongside and are sampled over the same seconds.
"$IDLE_CLIENT" rtmidi "bench-rtmidi-$$" "$PROBE_NAME:in" >"$E2E_TMP/idle-rtmidi.out" 2>&1 &
RTMIDI_PID=$!
E2E_PIDS+=("$RTMIDI_PID")
"$IDLE_CLIENT" fluidsynth "bench-fluid-$$" "$SOUNDFONT" >"$E2E_TMP/idle-fluid.out" 2>&1 &
FLUID_PID=$!
E2E_PIDS+=("$FLUID_PID")
wait_until 10 grep -qx ready "$E2E_TMP/idle-rtmidi.out" || fail "idle_client: $(cat "$E2E_TMP/idle-rtmidi.out")"
wait_until 10 grep -qx ready "$E2E_TMP/idle-fluid.out" || fail "idle_client: $(cat "$E2E_TMP/idle-fluid.out")"
: >"$E2E_TMP/idle-port.runs"
: >"$E2E_TMP/idle-rtmidi.runs"
: >"$E2E_TMP/idle-fluid.runs"
for i in $(seq "$IDLE_RUNS"); do
  tastiva_up
  select_probe_port
  sleep 2
  read -r t0 r0 f0 < <(echo "$(cpu_ticks "$TASTIVA_PID") $(cpu_ticks "$RTMIDI_PID") $(cpu_ticks "$FLUID_PID")")
  sleep "$IDLE_SECONDS"
  read -r t1 r1 f1 < <(echo "$(cpu_ticks "$TASTIVA_PID") $(cpu_ticks "$RTMIDI_PID") $(cpu_ticks "$FLUID_PID")")
  echo $((t1 - t0)) >>"$E2E_TMP/idle-port.runs"
  echo $((r1 - r0)) >>"$E2E_TMP/idle-rtmidi.runs"
  echo $((f1 - f0)) >>"$E2E_TMP/idle-fluid.runs"
  log "  run $i: $((t1 - t0)) ticks (RtMidi alone $((r1 - r0)), FluidSynth alone $((f1 - f0)))"
  tastiva_down
done
kill "$RTMIDI_PID" "$FLUID_PID"
wait "$RTMIDI_PID" "$FLUID_PID" 2>/dev/null || true
IDLE_PORT=$(stats <"$E2E_TMP/idle-port.runs")
IDLE_RTMIDI=$(stats <"$E2E_TMP/idle-rtmidi.runs")
IDLE_FLUID=$(stats <"$E2E_TMP/idle-fluid.runs")

# --- 5: key -> first sound of the built-in synthesizer (period 128) ------------------------
log "key -> sound: $AUDIO_ROUNDS presses and $AUDIO_ROUNDS direct note-ons"
tastiva_up
# The window shows before the synthesizer opens (twice, at start-up).
synth_port_pair() { [ "$(jack_lsp | grep -cE '^Tastiva(-[0-9]+)?:(left|right)$')" -eq 2 ]; }
wait_until 10 synth_port_pair || fail "synthesizer ports: $(jack_lsp)"
sleep 0.5
synth_ports=$(jack_lsp | grep -E '^Tastiva(-[0-9]+)?:(left|right)$' || true)
[ "$(echo "$synth_ports" | grep -c .)" -eq 2 ] || fail "synthesizer ports: $(jack_lsp)"
jack_connect "$(echo "$synth_ports" | grep ':left$')" "$PROBE_NAME:left"
jack_connect "$(echo "$synth_ports" | grep ':right$')" "$PROBE_NAME:right"
probe_run $((AUDIO_ROUNDS * 11 + 30)) "audio $AUDIO_ROUNDS"
AUDIO_KEY=$(awk '$1 == "audio" && $2 == "key" { print $3 / 1000 }' "$PROBE_OUT" | stats)
AUDIO_REF=$(awk '$1 == "audio" && $2 == "ref" { print $3 / 1000 }' "$PROBE_OUT" | stats)
AUDIO_FLOOR=$(awk '$1 == "audio" && $2 == "key" { print $4 / 1000 }' "$PROBE_OUT" | stats)
AUDIO_MISSING=$(grep '^missing' "$PROBE_OUT" | grep -vc 'xrun$' || true)
AUDIO_RETAKEN=$(count_lines '^missing.*xrun$')
AUDIO_XRUNS=$(grep -o '^done audio xruns=[0-9]*' "$PROBE_OUT" | cut -d= -f2)
tastiva_down
probe_down
jack_down

# --- 4: key -> MIDI at a JACK client, against RtMidi straight in (period 64) --------------
log "key -> MIDI: $ROUNDS presses and $ROUNDS direct sends, then the bare window's presses"
jack_up 64
probe_up 64
tastiva_up
select_probe_port
xdotool windowfocus --sync "$MAIN_WINDOW"
before=$(wc -l <"$PROBE_OUT")
probe_run $((ROUNDS / 5 + 30)) "midi $ROUNDS"
tail -n +"$((before + 1))" "$PROBE_OUT" >"$E2E_TMP/midi-tastiva.out"
tastiva_down
# The floor: a bare window that sends the same note-on through RtMidi, focused the same way.
env "${FAKE_DATE[@]}" "$BARE_KEY" "$PROBE_NAME:in" >"$E2E_TMP/bare_key.log" 2>&1 &
BARE_KEY_PID=$!
E2E_PIDS+=("$BARE_KEY_PID")
wait_until 10 has_window_named BareKey || fail "bare_key: $(cat "$E2E_TMP/bare_key.log")"
xdotool windowfocus --sync "$(windows_named BareKey)"
before=$(wc -l <"$PROBE_OUT")
probe_run $((ROUNDS / 5 + 30)) "midi $ROUNDS"
tail -n +"$((before + 1))" "$PROBE_OUT" >"$E2E_TMP/midi-bare.out"
kill "$BARE_KEY_PID"
wait "$BARE_KEY_PID" 2>/dev/null || true
midi_ms() { awk -v s="$2" '$1 == "midi" && $2 == s { print $3 / 1000 }' "$1" | stats; }
MIDI_KEY=$(midi_ms "$E2E_TMP/midi-tastiva.out" key)
MIDI_REF=$(midi_ms "$E2E_TMP/midi-tastiva.out" ref)
MIDI_BARE=$(midi_ms "$E2E_TMP/midi-bare.out" key)
MIDI_MISSING=$(cat "$E2E_TMP"/midi-*.out | grep '^missing' | grep -vc 'xrun$' || true)
MIDI_RETAKEN=$(cat "$E2E_TMP"/midi-*.out | grep -c '^missing.*xrun$' || true)
MIDI_XRUNS=$(cat "$E2E_TMP"/midi-*.out | grep -o '^done midi xruns=[0-9]*' | cut -d= -f2 |
  awk '{ n += $1 } END { print n }')
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
ot=$(median_of "$OWN_T")
ip=$(median_of "$IDLE_PORT")
is=$(median_of "$IDLE_SYNTH")
mk=$(median_of "$MIDI_KEY")
mr=$(median_of "$MIDI_REF")
ak=$(median_of "$AUDIO_KEY")
ks=$(median_of "$KEY_SEND")
ratio=$(awk -v a="$mt" -v b="$mb" 'BEGIN { printf "%.1f", a / b }')
extra=$(awk -v a="$mk" -v b="$mr" 'BEGIN { printf "%+.3f", a - b }')
extra_bare=$(awk -v a="$(median_of "$MIDI_BARE")" -v b="$mr" 'BEGIN { printf "%+.3f", a - b }')
extra5=$(awk -v a="$ak" -v b="$(median_of "$AUDIO_REF")" 'BEGIN { printf "%+.3f", a - b }')
pct=$(awk -v h="$HZ" -v s="$IDLE_SECONDS" 'BEGIN { print 100 / (h * s) }')
tick_ms=$((1000 / HZ))
cat <<EOF
| Figure | Tastiva | Floor / reference | Goal | Met? |
|---|---|---|---|---|
| 1. exec → main window mapped | $(cell "$MAP_T" ms 1 1 minmax) | bare window: $(cell "$MAP_B" ms 1 1 minmax) | ≤ 2× floor (now ${ratio}×) | $(yes_if "$mt <= 2 * $mb") |
| 1b. CPU time used until mapped (all threads) | $(cell "$CPU_T" ms 1 1 minmax) | bare window: $(cell "$CPU_B" ms 1 1 minmax) | — | — |
| 2. VmRSS 3 s after exec, built-in synthesizer on JACK | $(cell "$RSS_T" MB 0.001 1 minmax); JACK's shared memory: $(cell "$SHM_T" MB 0.001 1 minmax) | bare window: $(cell "$RSS_B" MB 0.001 1 minmax) | ≤ 45 MB | $(yes_if "$rt <= 45000") |
| 2b. the same less shared memory (VmRSS − RssShmem) | $(cell "$OWN_T" MB 0.001 1 minmax) | bare window: $(cell "$OWN_B" MB 0.001 1 minmax) | (≤ 45 MB) | $(yes_if "$ot <= 45000") |
| 3a. idle CPU over ${IDLE_SECONDS} s, JACK port chosen | $(cell "$IDLE_PORT" ticks 1 0 minmax) | RtMidi JACK output alone: $(cell "$IDLE_RTMIDI" ticks 1 0 minmax) | 0 ticks (1 tick = $tick_ms ms) | $(yes_if "$ip == 0") |
| 3b. idle CPU over ${IDLE_SECONDS} s, built-in synthesizer | $(cell "$IDLE_SYNTH" "% of a core" "$pct" 2 minmax) | FluidSynth on JACK alone: $(cell "$IDLE_FLUID" "% of a core" "$pct" 2 minmax) | ≤ 1 % | $(yes_if "$is * $pct <= 1") |
| 4. X key press → note-on at a JACK client, period 64 (xruns: ${MIDI_XRUNS:-?}, samples taken again for them: $MIDI_RETAKEN, missed: $MIDI_MISSING) | $(cell "$MIDI_KEY" ms 1 3 iqr) | RtMidi straight in: $(cell "$MIDI_REF" ms 1 3 iqr); bare window sending through RtMidi: $(cell "$MIDI_BARE" ms 1 3 iqr) | ≤ reference + 0.25 ms (now ${extra} ms; the bare window ${extra_bare} ms) | $(yes_if "$mk - $mr <= 0.25") |
| 5. X key press → first synthesizer sample above 0.001, period 128 (xruns: ${AUDIO_XRUNS:-?}, samples taken again for them: $AUDIO_RETAKEN, missed: $AUDIO_MISSING) | $(cell "$AUDIO_KEY" ms 1 3 iqr) | note-on straight into a FluidSynth on JACK: $(cell "$AUDIO_REF" ms 1 3 iqr); start of the next period alone: $(cell "$AUDIO_FLOOR" ms 1 3 iqr) | ≤ 2 ms (now ${extra5} ms above the reference) | $(yes_if "$ak <= 2") |
| 6. key event on the focused key → send call, in-process | $(cell "$KEY_SEND" µs 1 1 minmax); of it drawing the key pushed in: $(cell "$KEY_REPAINT" µs 1 1 minmax) | note-on straight through MIDI_CMD: $(cell "$KEY_DIRECT" µs 1 3 minmax) | ≤ 20 µs | $(yes_if "$ks <= 20") |
EOF
if [ -n "${BENCH_RAW:-}" ]; then
  mkdir -p "$BENCH_RAW"
  cp "$E2E_TMP"/*.runs "$E2E_TMP"/probe-*.out "$E2E_TMP"/midi-*.out "$E2E_TMP"/key_bench.csv "$E2E_TMP"/jackd-*.log "$BENCH_RAW"/
fi
log "done in $((SECONDS - BENCH_START)) s"
