#!/usr/bin/env bash
# Benchmarks (not part of the tests): the real program against a bare Qt window of the same
# size (the floor), under a private Xvfb and private JACK dummy servers, with real X events.
# Prints one Markdown table; progress goes to stderr. See docs/performance.md. Each figure is
# measured by a script of scripts/bench/.
#
# Environment: BUILD_DIR (default ./build, configured with the "default" preset),
# RUNS (start-ups per program, 9), IDLE_RUNS (10-second idle samples per device, 3: 9 would
# take the whole run past 6 minutes), ROUNDS (key presses per MIDI latency figure, 50),
# AUDIO_ROUNDS (20), QUIET_ROUNDS (key presses after QUIET_MS = 6000 ms of quiet, 10),
# SOUND_RUNS (start-ups per SoundFont, 6), BUSY_STARTS (starts under load, 20), SKIP_INSTALL=1,
# BENCH_RAW=DIR (keep the raw samples there), TASTIVA_BIN (another build of the program),
# ONLY="soundfonts idle ..." (only these scripts of scripts/bench/).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
FIGURES=$ROOT/scripts/bench
RUNS=${RUNS:-9}
IDLE_RUNS=${IDLE_RUNS:-3}
ROUNDS=${ROUNDS:-50}
AUDIO_ROUNDS=${AUDIO_ROUNDS:-20}
QUIET_ROUNDS=${QUIET_ROUNDS:-10}
QUIET_MS=${QUIET_MS:-6000}
SOUND_RUNS=${SOUND_RUNS:-6}
IDLE_SECONDS=10
BENCH_START=$SECONDS

# --- build --------------------------------------------------------------------------------
[ -n "${SKIP_INSTALL:-}" ] || ./scripts/install-deps.sh run test >&2
if [ -n "${BUILD_DIR:-}" ]; then
  [ -f "$BUILD_DIR/build.ninja" ] ||
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
else
  BUILD_DIR=$ROOT/build
  cmake --preset default >/dev/null
fi
cmake --build "$BUILD_DIR" --target tastiva bare_window map_wait latency_probe key_bench \
  idle_client bare_key sound_ready jack_receiver >&2
TASTIVA=${TASTIVA_BIN:-$BUILD_DIR/app/tastiva}
BARE=$BUILD_DIR/bench/bare_window
MAP_WAIT=$BUILD_DIR/bench/map_wait
PROBE=$BUILD_DIR/bench/latency_probe
KEY_BENCH=$BUILD_DIR/bench/key_bench
IDLE_CLIENT=$BUILD_DIR/bench/idle_client
BARE_KEY=$BUILD_DIR/bench/bare_key
SOUND_READY=$BUILD_DIR/bench/sound_ready
RECEIVER=$BUILD_DIR/tools/jack_receiver
SOUNDFONT=/usr/share/sounds/sf2/TimGM6mb.sf2

# The program takes the machine's default SoundFont: the whole run sees TimGM6mb as that
# (Debian's default-GM links), with the other SoundFonts of figure 7 beside it, in a mount
# namespace of its own (the machine's files stay as they are).
if [ -z "${BENCH_SOUNDFONTS_SET:-}" ]; then
  shown=("/usr/share/sounds/sf2/default-GM.sf2->$SOUNDFONT" "/usr/share/sounds/sf3/default-GM.sf3->$SOUNDFONT")
  for font in "$SOUNDFONT" /usr/share/sounds/sf2/FluidR3_GM.sf2 /usr/share/sounds/sf3/MuseScore_General_Lite.sf3; do
    [ ! -f "$font" ] || shown+=("$font=$font")
  done
  export BENCH_SOUNDFONTS_SET=1 SKIP_INSTALL=1 BUILD_DIR
  exec "$ROOT/tests/e2e/soundfonts_only.sh" "${shown[@]}" -- "$ROOT/scripts/bench.sh" "$@"
fi

# --- private servers, always stopped ------------------------------------------------------
source "$ROOT/tests/e2e/lib.sh"
source "$FIGURES/lib.sh"
figure() { [ -z "${ONLY:-}" ] || [[ " $ONLY " == *" $1 "* ]] || return 0; source "$FIGURES/$1.sh"; }
bench_cleanup() {
  [ -z "$PROBE_FD" ] || exec {PROBE_FD}>&- || true
  servers_cleanup
}
trap bench_cleanup EXIT

start_xvfb

# --- 1-3 and 5 with the JACK period at 128 --------------------------------------------------
start_jack 128
probe_up 128
figure startup
figure memory
figure idle
figure audio_latency
figure soundfonts
probe_down
stop_jack

# --- 4 with the period at 64 ------------------------------------------------------------------
start_jack 64
probe_up 64
figure midi_latency
probe_down
stop_jack

figure in_process
figure jack_faults

# --- 3c on PulseAudio and PipeWire, no JACK server running -------------------------------------
figure pulse_idle

# --- 11 on a busy machine, the period at 128 -----------------------------------------------
start_jack 128
figure busy_starts
stop_jack

echo "| Figure | Tastiva | Floor / reference | Goal | Met? |"
echo "|---|---|---|---|---|"
cat "$RUN_TMP"/rows.*
if [ -n "${BENCH_RAW:-}" ]; then
  mkdir -p "$BENCH_RAW"
  for f in "$RUN_TMP"/*.runs "$RUN_TMP"/sf-* "$RUN_TMP"/probe-*.out "$RUN_TMP"/midi-*.out \
    "$RUN_TMP"/key_bench.csv "$RUN_TMP"/jackd-*.log; do
    [ ! -e "$f" ] || cp "$f" "$BENCH_RAW"/
  done
fi
log "done in $((SECONDS - BENCH_START)) s"
