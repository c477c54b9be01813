# 3c: the built-in synthesizer idle on PulseAudio, then on PipeWire's PulseAudio service, with
# no JACK server running: wakeups (context switches of all the program's threads, voluntary or
# not) and run time over IDLE_SECONDS from 6 s after the window, against FluidSynth alone on
# the same server (its own PulseAudio driver, the program's settings and SoundFont), sampled
# over the same seconds. Both servers are private: a runtime folder, and for PipeWire a session
# bus, of their own.
log "idle on PulseAudio and PipeWire: $IDLE_RUNS runs of $IDLE_SECONDS s each"
FLUID_PULSE=("$IDLE_CLIENT" fluidsynth bench-fluid "$SOUNDFONT" pulseaudio)
program_stream() { timeout 5 pactl list sink-inputs 2>/dev/null | grep -q 'application.name = "Tastiva"'; }

# idle_wakes SERVER: the samples of the program and FluidSynth alone on the running server.
idle_wakes() {
  local server=$1 fluid_pid shell_fd i t0 t1 f0 f1 r0 r1 g0 g1
  mkfifo "$RUN_TMP/fluid-$server.shell"
  "${FLUID_PULSE[@]}" <"$RUN_TMP/fluid-$server.shell" >"$RUN_TMP/fluid-$server.log" 2>&1 &
  fluid_pid=$!
  RUN_PIDS+=("$fluid_pid")
  exec {shell_fd}>"$RUN_TMP/fluid-$server.shell"  # its input, held open
  : >"$RUN_TMP/wakes-$server.runs"
  for i in $(seq "$IDLE_RUNS"); do
    tastiva_up
    wait_until 10 program_stream || fail "$server: no stream of the program"
    sleep 6
    read -r t0 r0 f0 g0 < <(echo "$(wakes "$TASTIVA_PID") $(run_ms "$TASTIVA_PID") \
      $(wakes "$fluid_pid") $(run_ms "$fluid_pid")")
    sleep "$IDLE_SECONDS"
    read -r t1 r1 f1 g1 < <(echo "$(wakes "$TASTIVA_PID") $(run_ms "$TASTIVA_PID") \
      $(wakes "$fluid_pid") $(run_ms "$fluid_pid")")
    echo "own_wakes=$((t1 - t0)) run_ms=$(awk -v a="$r0" -v b="$r1" 'BEGIN { print b - a }')" \
      "fluid_wakes=$((f1 - f0)) fluid_ms=$(awk -v a="$g0" -v b="$g1" 'BEGIN { print b - a }')" \
      >>"$RUN_TMP/wakes-$server.runs"
    log "  $server run $i: $(tail -n1 "$RUN_TMP/wakes-$server.runs")"
    tastiva_down
  done
  exec {shell_fd}>&-
  stop_process "$fluid_pid"
  local w=$(field own_wakes "$RUN_TMP/wakes-$server.runs" | stats)
  local fw=$(field fluid_wakes "$RUN_TMP/wakes-$server.runs" | stats)
  local c=$(field run_ms "$RUN_TMP/wakes-$server.runs" | stats)
  local fc=$(field fluid_ms "$RUN_TMP/wakes-$server.runs" | stats)
  local pct
  pct=$(awk -v s="$IDLE_SECONDS" 'BEGIN { print 0.1 / s }')
  row 3 "| 3c. $server: wakeups over ${IDLE_SECONDS} s, built-in synthesizer idle (CPU: $(cell "$c" "% of a core" "$pct" 3 minmax)) | $(cell "$w" wakeups 1 0 minmax) | FluidSynth alone: $(cell "$fw" wakeups 1 0 minmax) (CPU: $(cell "$fc" "% of a core" "$pct" 3 minmax)) | none | $(yes_if "$(median_of "$w") == 0") |"
}

saved_runtime=${XDG_RUNTIME_DIR:-}
export XDG_RUNTIME_DIR="$RUN_TMP/pulse-runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_pulseaudio
idle_wakes PulseAudio
stop_process "$PULSE_PID"

export XDG_RUNTIME_DIR="$RUN_TMP/pipewire-runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_pipewire
idle_wakes PipeWire
for ((i = ${#PIPEWIRE_PIDS[@]} - 1; i >= 0; i--)); do stop_process "${PIPEWIRE_PIDS[i]}"; done
unset DBUS_SESSION_BUS_ADDRESS
export XDG_RUNTIME_DIR="$saved_runtime"
