#!/usr/bin/env bash
# The built-in synthesizer's audio as mixers show it: under a private PulseAudio, then a
# private PipeWire with its PulseAudio service, the stream's client is "Tastiva" with the
# program's icon (a user's own PULSE_PROP_OVERRIDE still wins); under a JACK server every
# client with ports is named Tastiva.
# usage: audio_names_test.sh TASTIVA
source "$(dirname "$0")/lib.sh"
TASTIVA=$1
APP_ID=io.github.tastiva.Tastiva
export HOME="$RUN_TMP/home" JACK_DEFAULT_SERVER="tastiva-absent-$$" JACK_NO_START_SERVER=1
mkdir -p "$HOME"
NO_NOTICE=(LD_PRELOAD='/usr/$LIB/faketime/libfaketime.so.1' 'FAKETIME=@2026-12-07 10:00:00'
  FAKETIME_DONT_FAKE_MONOTONIC=1)

start_xvfb

# The sink input of the program's stream, as "NAME|ICON".
stream() {
  timeout 5 pactl list sink-inputs 2>/dev/null | awk -F' = ' '
    /application.name = / { gsub(/"/, "", $2); name = $2 }
    /application.icon_name = / { gsub(/"/, "", $2); icon = $2 }
    /^Sink Input/ && name != "" { exit }
    END { if (name != "") print name "|" icon }'
}
has_stream() { [ -n "$(stream)" ]; }

# expect_stream SERVER WANT [ENV...]: the program's stream under the running server.
expect_stream() {
  local server=$1 want=$2
  shift 2
  env "${NO_NOTICE[@]}" "$@" "$TASTIVA" >"$RUN_TMP/tastiva.log" 2>&1 &
  TASTIVA_PID=$!
  RUN_PIDS+=("$TASTIVA_PID")
  wait_until 20 has_stream || fail "$server: no stream: $(cat "$RUN_TMP/tastiva.log")"
  # Start-up opens the synthesizer, closes it and opens it again: the stream may blink once.
  local seen
  stream_is_wanted() { seen=$(stream) && [ "$seen" = "$want" ]; }
  wait_until 10 stream_is_wanted || fail "$server: the stream is '$seen', not '$want'"
  echo "$server: the stream's client is '$seen'"
  stop_process "$TASTIVA_PID"
  wait_until 10 eval '! has_stream' || fail "$server: the stream outlived the program"
}

export XDG_RUNTIME_DIR="$RUN_TMP/pulse-runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_pulseaudio
expect_stream PulseAudio "Tastiva|$APP_ID"
expect_stream "PulseAudio, the user's own name" "Mine|$APP_ID" PULSE_PROP_OVERRIDE="application.name='Mine'"
stop_process "$PULSE_PID"

# PipeWire on a session bus of its own, with a null sink for the stream.
export XDG_RUNTIME_DIR="$RUN_TMP/pipewire-runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_pipewire
expect_stream PipeWire "Tastiva|$APP_ID"

# JACK: the synthesizer's ports, and the program's own MIDI client once the device list is read.
start_jack
"$TASTIVA" >"$RUN_TMP/tastiva.log" 2>&1 &
RUN_PIDS+=($!)
synth_ports() { timeout 5 jack_lsp | grep -qE '^Tastiva(-[0-9]+)?:left$'; }
wait_until 20 synth_ports || fail "JACK: no synthesizer ports: $(timeout 5 jack_lsp)"
clients=$(timeout 5 jack_lsp | cut -d: -f1 | sort -u | grep -vx system || true)
others=$(grep -vxE 'Tastiva(-[0-9]+)?' <<<"$clients" || true)
[ -z "$others" ] || fail "JACK: clients not named Tastiva: $others"
echo "JACK clients: $(echo $clients)"
echo PASS
