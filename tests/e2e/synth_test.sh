#!/usr/bin/env bash
# The built-in synthesizer plays through a running JACK server with whichever General MIDI
# SoundFont the machine has: for TimGM6mb, FluidR3 and MuseScore General (.sf3), each shown to
# the program as the only one, its output recorded from the JACK graph while real X key
# presses play has the pitch FluidSynth's own command line gives the same SoundFont and note.
# With no SoundFont it says so in a box, at the latest when a key is played, and prints nothing. Without a server it never tries
# to start one (that would stall start-up for seconds).
# usage: synth_test.sh TASTIVA WAV_PITCH
source "$(dirname "$0")/lib.sh"
TASTIVA=$1
wav_pitch=$2
only=$(dirname "$0")/soundfonts_only.sh
sf2=/usr/share/sounds/sf2
sf3=/usr/share/sounds/sf3

start_xvfb

# No JACK server: the program (and its synthesizer) must not start one, so the first window
# (the error box for the missing audio output, or the main window) comes quickly.
(
  unset JACK_DEFAULT_SERVER JACK_NO_START_SERVER
  export JACK_DEFAULT_SERVER="tastiva-absent-$$"
  begin=$SECONDS
  "$TASTIVA" >"$RUN_TMP/nojack.log" 2>&1 &
  pid=$!
  wait_until 5 xdotool search --onlyvisible --class '^tastiva$' || fail "no window within 5 s without JACK"
  echo "first window without JACK after $((SECONDS - begin)) s"
  kill "$pid"
  ! pgrep -f "jackd.*tastiva-absent-$$" >/dev/null || fail "a JACK server was started"
)

start_jack 256
unshare -m true 2>/dev/null || fail "unshare -m needs root here"

# run_with SOUNDFONT_ENTRIES...: starts the program seeing only those (see soundfonts_only.sh).
run_with() {
  "$only" "$@" -- "$TASTIVA" >"$RUN_TMP/tastiva.log" 2>&1 &
  TASTIVA_PID=$!
  RUN_PIDS+=("$TASTIVA_PID")
}

# No SoundFont anywhere: a box (titled like the main window) says so once the synthesizer
# knows, at the latest when a key is played, and nothing is printed.
run_with
has_two() { [ "$(windows_named Tastiva | wc -l)" -ge 2 ]; }
main_window_up "$RUN_TMP/tastiva.log"
wait_until 2 has_two || xdotool key z
wait_until 20 has_two || fail "no box without a SoundFont"
sleep 0.3
[ ! -s "$RUN_TMP/tastiva.log" ] || fail "printed: $(cat "$RUN_TMP/tastiva.log")"
stop_process "$TASTIVA_PID"
echo "no SoundFont: a box, nothing printed"

synth_port() { jack_lsp | grep -E '^Tastiva(-[0-9]+)?:left$' | head -1 || true; }
has_synth_port() { [ -n "$(synth_port)" ]; }
no_synth_port() { [ -z "$(synth_port)" ]; }

# record KEY FILE: holds KEY for 0.8 s while recording the synthesizer's output, once the
# note before has died away; jack_rec's status. On a busy machine its disk thread falls behind
# and it fails for overruns: its ring holds the whole 2 s. The key goes down once it listens.
record() {
  sleep 1.5
  timeout 10 jack_rec -f "$2" -d 2 -b 16 -B 131072 "$port" >"$RUN_TMP/jack_rec.log" 2>&1 &
  local rec=$!
  wait_until 5 recording || true
  xdotool keydown "$1"
  sleep 0.8
  xdotool keyup "$1"
  wait "$rec"
}
recording() { jack_lsp -c "$port" | grep -q '^ *jackrec:'; }

# reference FONT NOTE FILE: FluidSynth's own rendering of NOTE on program 0, 48 kHz.
reference() {
  printf 'MThd\0\0\0\6\0\0\0\1\1\xe0MTrk\0\0\0\x10\0\xc0\0\0\x90%b\x7f\x87\x40\x80%b\0\0\xff\x2f\0' \
    "\\x$(printf %x "$2")" "\\x$(printf %x "$2")" >"$RUN_TMP/note.mid"
  fluidsynth -n -i -q -r 48000 -T wav -F "$3" "$1" "$RUN_TMP/note.mid" >/dev/null 2>&1 ||
    fail "fluidsynth could not render $1"
}

check() {  # check FONT KEY NOTE
  local hz want
  record "$2" "$RUN_TMP/$2.wav" || fail "jack_rec: $(cat "$RUN_TMP/jack_rec.log")"
  reference "$1" "$3" "$RUN_TMP/ref-$3.wav"
  hz=$("$wav_pitch" "$RUN_TMP/$2.wav") || fail "no pitch in the recording of $2"
  want=$("$wav_pitch" "$RUN_TMP/ref-$3.wav") || fail "no pitch in FluidSynth's rendering of $3"
  echo "  $2: $hz Hz; FluidSynth by itself: $want Hz"
  awk -v hz="$hz" -v want="$want" 'BEGIN { d = (hz - want) / want; exit !(d < 0.003 && d > -0.003) }' ||
    fail "$2 sounded at $hz Hz, FluidSynth gives $want Hz"
}

# Each as Debian's default-GM link would show it (the .sf3 one is FluidSynth's own default).
fonts=("$sf2/TimGM6mb.sf2" "$sf2/FluidR3_GM.sf2" "$sf3/MuseScore_General_Lite.sf3")
for font in "${fonts[@]}"; do
  [ -f "$font" ] || fail "$font is not installed (scripts/install-deps.sh installs it)"
  dir=$(dirname "$font")
  run_with "$font=$font" "$dir/default-GM.${font##*.}->$font"
  main_window_up "$RUN_TMP/tastiva.log"
  # The program gives its audio output 10 s to start; a busy machine's slow answers add more.
  wait_until 30 has_synth_port || fail "the built-in synthesizer has no JACK output:" \
    "$(jack_lsp | xargs); $(windows_named Tastiva | wc -l) windows named Tastiva;" \
    "printed: $(cat "$RUN_TMP/tastiva.log")"
  port=$(synth_port)
  jack_lsp -c "$port" | grep -q system:playback || fail "$port is not connected to the playback ports"
  # The piano's samples load when the instrument is chosen at start (seconds for the .sf3):
  # the first key sounds once they are in.
  ready() { record z "$RUN_TMP/ready.wav" && "$wav_pitch" "$RUN_TMP/ready.wav"; }
  wait_until 30 ready || fail "no sound from $font: $(cat "$RUN_TMP/jack_rec.log")"
  echo "$(basename "$font") on $port:"
  check "$font" z 60
  check "$font" q 53
  [ ! -s "$RUN_TMP/tastiva.log" ] || fail "printed: $(cat "$RUN_TMP/tastiva.log")"
  stop_process "$TASTIVA_PID"
  # JACK forgets a client that ended a moment later.
  wait_until 10 no_synth_port || fail "the synthesizer's ports outlived the program"
done
echo PASS
