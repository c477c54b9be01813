#!/usr/bin/env bash
# The built-in synthesizer plays through a running JACK server: its output, recorded from the
# JACK graph while real X key presses play, has the pitch of the keys. Without a server it
# never tries to start one (that would stall start-up for seconds).
# usage: synth_test.sh TASTIVA WAV_PITCH
source "$(dirname "$0")/lib.sh"
TASTIVA=$1
wav_pitch=$2

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
start_tastiva
synth_port() { jack_lsp | grep -E '^Tastiva(-[0-9]+)?:left$' | head -1; }
has_synth_port() { [ -n "$(synth_port)" ]; }
# The window shows first; the synthesizer opens right after.
wait_until 10 has_synth_port || fail "the built-in synthesizer has no JACK output: $(jack_lsp)"
sleep 0.5  # start-up opens it twice
port=$(synth_port)
jack_lsp -c "$port" | grep -q system:playback || fail "$port is not connected to the playback ports"
echo "synthesizer output: $port"

# record KEY FILE: holds KEY for 0.8 s while recording the synthesizer's output.
record() {
  timeout 10 jack_rec -f "$2" -d 1.5 -b 16 "$port" >/dev/null 2>&1 &
  local rec=$!
  sleep 0.3
  xdotool keydown "$1"
  sleep 0.8
  xdotool keyup "$1"
  wait "$rec" || fail "jack_rec failed"
}

check() {  # check KEY EXPECTED_HZ
  record "$1" "$RUN_TMP/$1.wav"
  local hz
  hz=$("$wav_pitch" "$RUN_TMP/$1.wav") || fail "no pitch in the recording of $1"
  echo "$1: $hz Hz (expected $2 Hz)"
  awk -v hz="$hz" -v want="$2" 'BEGIN { d = (hz - want) / want; exit !(d < 0.01 && d > -0.01) }' ||
    fail "$1 sounded at $hz Hz, not $2 Hz within 1 %"
}
check z 261.63
check q 174.61
echo PASS
