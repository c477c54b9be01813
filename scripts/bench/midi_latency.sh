# 4: X key press -> note-on at the probe's MIDI input, against RtMidi sending straight in and
# against a bare window that sends the same note-on through RtMidi. Needs the probe.
log "key -> MIDI: $ROUNDS presses and $ROUNDS direct sends, then the bare window's presses"
# midi_rounds OUT: the probe's rounds with the focused window, their lines to OUT.
midi_rounds() {
  local before
  before=$(wc -l <"$PROBE_OUT")
  probe_run $((ROUNDS / 5 + 30)) "midi $ROUNDS"
  tail -n +"$((before + 1))" "$PROBE_OUT" >"$1"
}
tastiva_up
select_probe_port
xdotool windowfocus --sync "$MAIN_WINDOW"
midi_rounds "$RUN_TMP/midi-tastiva.out"
tastiva_down
# The floor, focused the same way.
env "${FAKE_DATE[@]}" "$BARE_KEY" "$PROBE_NAME:in" >"$RUN_TMP/bare_key.log" 2>&1 &
bare_key_pid=$!
RUN_PIDS+=("$bare_key_pid")
wait_until 10 has_window_named BareKey || fail "bare_key: $(cat "$RUN_TMP/bare_key.log")"
xdotool windowfocus --sync "$(windows_named BareKey)"
midi_rounds "$RUN_TMP/midi-bare.out"
stop_process "$bare_key_pid"

midi_ms() { awk -v s="$2" '$1 == "midi" && $2 == s { print $3 / 1000 }' "$1" | stats; }
midi_key=$(midi_ms "$RUN_TMP/midi-tastiva.out" key)
midi_ref=$(midi_ms "$RUN_TMP/midi-tastiva.out" ref)
midi_bare=$(midi_ms "$RUN_TMP/midi-bare.out" key)
missing=$(cat "$RUN_TMP"/midi-*.out | grep '^missing' | grep -vc 'xrun$' || true)
retaken=$(cat "$RUN_TMP"/midi-*.out | grep -c '^missing.*xrun$' || true)
xruns=$(cat "$RUN_TMP"/midi-*.out | grep -o '^done midi xruns=[0-9]*' | cut -d= -f2 |
  awk '{ n += $1 } END { print n }')
mk=$(median_of "$midi_key")
mr=$(median_of "$midi_ref")
row 4 "| 4. X key press → note-on at a JACK client, period 64 (xruns: ${xruns:-?}, samples taken again for them: $retaken, missed: $missing) | $(cell "$midi_key" ms 1 3 iqr) | RtMidi straight in: $(cell "$midi_ref" ms 1 3 iqr); bare window sending through RtMidi: $(cell "$midi_bare" ms 1 3 iqr) | ≤ reference + 0.25 ms (now $(diff_of "$mk" "$mr") ms; the bare window $(diff_of "$(median_of "$midi_bare")" "$mr") ms) | $(yes_if "$mk - $mr <= 0.25") |"
