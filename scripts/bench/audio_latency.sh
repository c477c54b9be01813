# 5: X key press -> first sample of the built-in synthesizer above 0.001 at the probe, against
# a note-on given straight to a FluidSynth on JACK. Needs the probe.
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
# 5b: the same key after QUIET_MS of silence at the probe: the synthesizer has gone to sleep
# (it does once quiet under -100 dBFS for its reverb's tail, 3.1 s, about 4.5 s after a release).
log "key -> sound after ${QUIET_MS} ms of quiet: $QUIET_ROUNDS presses"
probe_run $((QUIET_ROUNDS * (QUIET_MS / 1000 + 7) + 30)) "quiet $QUIET_ROUNDS $QUIET_MS"
tastiva_down

audio_ms() { awk -v s="$1" -v c="$2" '$1 == "audio" && $2 == s { print $c / 1000 }' "$PROBE_OUT" | stats; }
audio_key=$(audio_ms key 3)
audio_quiet=$(audio_ms quiet 3)
audio_ref=$(audio_ms ref 3)
audio_floor=$(audio_ms key 4)
missing=$(grep '^missing' "$PROBE_OUT" | grep -vc 'xrun$' || true)
retaken=$(count_lines '^missing.*xrun$')
xruns=$(grep -o '^done audio xruns=[0-9]*' "$PROBE_OUT" | cut -d= -f2)
ak=$(median_of "$audio_key")
row 5 "| 5. X key press → first synthesizer sample above 0.001, period 128 (xruns: ${xruns:-?}, samples taken again for them: $retaken, missed: $missing) | $(cell "$audio_key" ms 1 3 iqr) | note-on straight into a FluidSynth on JACK: $(cell "$audio_ref" ms 1 3 iqr); start of the next period alone: $(cell "$audio_floor" ms 1 3 iqr) | ≤ 2 ms (now $(diff_of "$ak" "$(median_of "$audio_ref")") ms above the reference) | $(yes_if "$ak <= 2") |"
aq=$(median_of "$audio_quiet")
row 5 "| 5b. the same after ${QUIET_MS} ms of quiet (the synthesizer asleep) | $(cell "$audio_quiet" ms 1 3 iqr) | the key while sounding (5): $(cell "$audio_key" ms 1 3 iqr) | ≤ 5 + 0.2 ms (now $(diff_of "$aq" "$ak") ms) | $(yes_if "$aq - $ak <= 0.2") |"
