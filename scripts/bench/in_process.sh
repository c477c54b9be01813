# 6: a key event on the focused key -> the platform's send call, in-process (Google
# Benchmark), against a note-on straight through MIDI_CMD.
log "key event -> send, in-process"
timeout 300 "$KEY_BENCH" --benchmark_format=csv >"$RUN_TMP/key_bench.csv" 2>"$RUN_TMP/key_bench.err" ||
  fail "key_bench: $(cat "$RUN_TMP/key_bench.err")"
# One p50 per repetition (the last column), aggregates left out.
reps() { grep "^\"$1/" "$RUN_TMP/key_bench.csv" | grep -v '_\(mean\|median\|stddev\|cv\)"' |
  awk -F, '{ print $NF }'; }
key_send=$(reps BM_KeyPressToSend | stats)
key_repaint=$(reps BM_KeyRepaint | stats)
key_direct=$(reps BM_NoteOnToSend | stats)
row 6 "| 6. key event on the focused key → send call, in-process | $(cell "$key_send" µs 1 1 minmax); of it drawing the key pushed in: $(cell "$key_repaint" µs 1 1 minmax) | note-on straight through MIDI_CMD: $(cell "$key_direct" µs 1 3 minmax) | ≤ 20 µs | $(yes_if "$(median_of "$key_send") <= 20") |"
