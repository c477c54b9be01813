# 3a: idle CPU with the probe's JACK port chosen, against an RtMidi JACK output alone; 3b:
# idle CPU with the built-in synthesizer, against FluidSynth alone with the program's settings
# and SoundFont on the same server, each from its threads' run time over the same seconds.
log "idle CPU with the probe's JACK port chosen: $IDLE_RUNS runs of $IDLE_SECONDS s"
# The floor runs alongside and is sampled over the same seconds.
"$IDLE_CLIENT" rtmidi "bench-rtmidi-$$" "$PROBE_NAME:in" >"$RUN_TMP/idle-rtmidi.out" 2>&1 &
rtmidi_pid=$!
RUN_PIDS+=("$rtmidi_pid")
wait_until 10 grep -qx ready "$RUN_TMP/idle-rtmidi.out" || fail "idle_client: $(cat "$RUN_TMP/idle-rtmidi.out")"
: >"$RUN_TMP/idle-port.runs"
: >"$RUN_TMP/idle-rtmidi.runs"
for i in $(seq "$IDLE_RUNS"); do
  tastiva_up
  select_probe_port
  sleep 2
  read -r t0 r0 < <(echo "$(cpu_ticks "$TASTIVA_PID") $(cpu_ticks "$rtmidi_pid")")
  sleep "$IDLE_SECONDS"
  read -r t1 r1 < <(echo "$(cpu_ticks "$TASTIVA_PID") $(cpu_ticks "$rtmidi_pid")")
  echo $((t1 - t0)) >>"$RUN_TMP/idle-port.runs"
  echo $((r1 - r0)) >>"$RUN_TMP/idle-rtmidi.runs"
  log "  run $i: $((t1 - t0)) ticks (RtMidi alone $((r1 - r0)))"
  tastiva_down
done
stop_process "$rtmidi_pid"
# 3b: two runs for each of 3a's, the program and the floor taking turns starting first: what an
# idle JACK client costs depends on where the server's cycle finds its thread, and two alike
# side by side have differed by a factor of up to 2.5 here.
fluid_up() {
  "$IDLE_CLIENT" fluidsynth "bench-fluid-$$" "$SOUNDFONT" >"$RUN_TMP/idle-fluid.out" 2>&1 &
  fluid_pid=$!
  RUN_PIDS+=("$fluid_pid")
  wait_until 10 grep -qx ready "$RUN_TMP/idle-fluid.out" || fail "idle_client: $(cat "$RUN_TMP/idle-fluid.out")"
}
log "idle CPU with the built-in synthesizer: $((2 * IDLE_RUNS)) runs of $IDLE_SECONDS s, from 6 s after the window"
: >"$RUN_TMP/idle-synth.runs"
: >"$RUN_TMP/idle-synth-fluid.runs"
for i in $(seq $((2 * IDLE_RUNS))); do
  if [ $((i % 2)) -eq 1 ]; then
    fluid_up
    tastiva_up
  else
    tastiva_up
    fluid_up
  fi
  sleep 6  # the device list read, the synthesizer opened and quiet
  read -r t0 f0 < <(echo "$(run_ms "$TASTIVA_PID") $(run_ms "$fluid_pid")")
  sleep "$IDLE_SECONDS"
  read -r t1 f1 < <(echo "$(run_ms "$TASTIVA_PID") $(run_ms "$fluid_pid")")
  awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }' >>"$RUN_TMP/idle-synth.runs"
  awk -v a="$f0" -v b="$f1" 'BEGIN { print b - a }' >>"$RUN_TMP/idle-synth-fluid.runs"
  log "  run $i: $(tail -n1 "$RUN_TMP/idle-synth.runs") ms (FluidSynth alone $(tail -n1 "$RUN_TMP/idle-synth-fluid.runs") ms)"
  stop_process "$fluid_pid"
  tastiva_down
done

idle_port=$(stats <"$RUN_TMP/idle-port.runs")
idle_rtmidi=$(stats <"$RUN_TMP/idle-rtmidi.runs")
idle_synth=$(stats <"$RUN_TMP/idle-synth.runs")
idle_synth_fluid=$(stats <"$RUN_TMP/idle-synth-fluid.runs")
hz=$(getconf CLK_TCK)
pct=$(awk -v s="$IDLE_SECONDS" 'BEGIN { print 0.1 / s }')  # ms over the seconds -> % of a core
is=$(median_of "$idle_synth")
isf=$(median_of "$idle_synth_fluid")
row 3 "| 3a. idle CPU over ${IDLE_SECONDS} s, JACK port chosen | $(cell "$idle_port" ticks 1 0 minmax) | RtMidi JACK output alone: $(cell "$idle_rtmidi" ticks 1 0 minmax) | 0 ticks (1 tick = $((1000 / hz)) ms) | $(yes_if "$(median_of "$idle_port") == 0") |"
row 3 "| 3b. idle CPU over ${IDLE_SECONDS} s, built-in synthesizer, side by side | $(cell "$idle_synth" "% of a core" "$pct" 3 minmax) | FluidSynth on JACK alone: $(cell "$idle_synth_fluid" "% of a core" "$pct" 3 minmax) | ≤ 0.25× FluidSynth alone (now $(awk -v a="$is" -v b="$isf" 'BEGIN { printf "%.2f", a / b }')×) | $(yes_if "$is <= 0.25 * $isf") |"
