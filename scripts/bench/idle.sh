# 3a: idle CPU with the probe's JACK port chosen, against an RtMidi JACK output alone; 3b:
# idle CPU with the built-in synthesizer, from the start-up runs, against FluidSynth alone.
log "idle CPU with the probe's JACK port chosen: $IDLE_RUNS runs of $IDLE_SECONDS s"
# The floors run alongside and are sampled over the same seconds.
"$IDLE_CLIENT" rtmidi "bench-rtmidi-$$" "$PROBE_NAME:in" >"$RUN_TMP/idle-rtmidi.out" 2>&1 &
rtmidi_pid=$!
RUN_PIDS+=("$rtmidi_pid")
"$IDLE_CLIENT" fluidsynth "bench-fluid-$$" "$SOUNDFONT" >"$RUN_TMP/idle-fluid.out" 2>&1 &
fluid_pid=$!
RUN_PIDS+=("$fluid_pid")
wait_until 10 grep -qx ready "$RUN_TMP/idle-rtmidi.out" || fail "idle_client: $(cat "$RUN_TMP/idle-rtmidi.out")"
wait_until 10 grep -qx ready "$RUN_TMP/idle-fluid.out" || fail "idle_client: $(cat "$RUN_TMP/idle-fluid.out")"
: >"$RUN_TMP/idle-port.runs"
: >"$RUN_TMP/idle-rtmidi.runs"
: >"$RUN_TMP/idle-fluid.runs"
for i in $(seq "$IDLE_RUNS"); do
  tastiva_up
  select_probe_port
  sleep 2
  read -r t0 r0 f0 < <(echo "$(cpu_ticks "$TASTIVA_PID") $(cpu_ticks "$rtmidi_pid") $(cpu_ticks "$fluid_pid")")
  sleep "$IDLE_SECONDS"
  read -r t1 r1 f1 < <(echo "$(cpu_ticks "$TASTIVA_PID") $(cpu_ticks "$rtmidi_pid") $(cpu_ticks "$fluid_pid")")
  echo $((t1 - t0)) >>"$RUN_TMP/idle-port.runs"
  echo $((r1 - r0)) >>"$RUN_TMP/idle-rtmidi.runs"
  echo $((f1 - f0)) >>"$RUN_TMP/idle-fluid.runs"
  log "  run $i: $((t1 - t0)) ticks (RtMidi alone $((r1 - r0)), FluidSynth alone $((f1 - f0)))"
  tastiva_down
done
stop_process "$fluid_pid"
stop_process "$rtmidi_pid"

idle_port=$(stats <"$RUN_TMP/idle-port.runs")
idle_rtmidi=$(stats <"$RUN_TMP/idle-rtmidi.runs")
idle_fluid=$(stats <"$RUN_TMP/idle-fluid.runs")
idle_synth=$(field cpu_ticks "$RUN_TMP/tastiva.runs" | stats)
hz=$(getconf CLK_TCK)
pct=$(awk -v h="$hz" -v s="$IDLE_SECONDS" 'BEGIN { print 100 / (h * s) }')
row 3 "| 3a. idle CPU over ${IDLE_SECONDS} s, JACK port chosen | $(cell "$idle_port" ticks 1 0 minmax) | RtMidi JACK output alone: $(cell "$idle_rtmidi" ticks 1 0 minmax) | 0 ticks (1 tick = $((1000 / hz)) ms) | $(yes_if "$(median_of "$idle_port") == 0") |"
row 3 "| 3b. idle CPU over ${IDLE_SECONDS} s, built-in synthesizer | $(cell "$idle_synth" "% of a core" "$pct" 2 minmax) | FluidSynth on JACK alone: $(cell "$idle_fluid" "% of a core" "$pct" 2 minmax) | ≤ 1 % | $(yes_if "$(median_of "$idle_synth") * $pct <= 1") |"
