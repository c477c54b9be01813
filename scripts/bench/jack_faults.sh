# 8a: a stalled JACK server (SIGSTOP) -> the first send the program's JACK output refuses, with
# RtMidi's output under the same stall for reference; 8b: note messages lost under heavy xruns
# (period 16, spinning threads), the program's output against RtMidi's, and where JACK itself
# loses what a client writes. Both programs start a JACK server of their own.
# Environment: STALL_RUNS (stalls, 9), XRUN_RUNS (runs of 6,000 messages under xruns, 3).
STALL_RUNS=${STALL_RUNS:-9}
XRUN_RUNS=${XRUN_RUNS:-3}
cmake --build "$BUILD_DIR" --target jack_stall jack_xruns >&2
JACK_STALL=$BUILD_DIR/bench/jack_stall
JACK_XRUNS=$BUILD_DIR/bench/jack_xruns
log "JACK stall -> first refused send: $STALL_RUNS stalls"
timeout 300 "$JACK_STALL" "$STALL_RUNS" >"$RUN_TMP/jack_stall.out" 2>"$RUN_TMP/jack_stall.err" ||
  fail "jack_stall: $(tail -3 "$RUN_TMP/jack_stall.err")"
value() { awk -v k="$1" -v i="$2" '$1 == k { print $i }' "$RUN_TMP/jack_stall.out"; }
s_med=$(value refusal_ms 2)
s_max=$(value refusal_ms 4)
longest=$(value longest_send_ms 2)
accepted=$(value accepted 2)
received=$(value accepted 4)
waits=$([ "$(value rtmidi_taken 4)" = 1 ] && echo "then a send waits for good" || echo "and goes on")
row 8 "| 8a. JACK stalled (SIGSTOP) → first refused send, one send a ms | $s_med ms (min–max $(value refusal_ms 3)–$s_max, n=$STALL_RUNS); longest send call $longest ms; after SIGCONT sends taken in $(value resume_ms 2) ms; accepted $accepted, received $received | RtMidi's output: takes $(value rtmidi_taken 2) messages, $waits; $(value rtmidi_taken 6) ms of CPU in the second after the server is killed | ≤ 200 ms; send calls ≤ 1 ms; all accepted received | $(yes_if "$s_max <= 200 && $longest <= 1 && $accepted == $received") |"

log "note messages under heavy JACK xruns: $XRUN_RUNS runs"
for _ in $(seq "$XRUN_RUNS"); do
  timeout 120 "$JACK_XRUNS" 16 6000 4 >>"$RUN_TMP/jack_xruns.out" 2>>"$RUN_TMP/jack_xruns.err" ||
    fail "jack_xruns: $(tail -3 "$RUN_TMP/jack_xruns.err")"
done
# total KEY FIELD: FIELD summed over the lines starting with KEY.
total() { awk -v k="$1" -v f="$2" '$1 " " $2 == k || $1 == k { t += $f } END { print t + 0 }' "$RUN_TMP/jack_xruns.out"; }
p_off=$(total "sender program" 6)
row 8 "| 8b. note messages lost under heavy xruns: period 16, 4 spinning threads, $XRUN_RUNS × 6,000 | note-ons lost $(total "sender program" 4), note-offs lost $p_off, note-offs sent twice $(total "sender program" 8); xruns $(total "sender program" 10) | RtMidi's output: note-ons lost $(total "sender RtMidi" 4), note-offs lost $(total "sender RtMidi" 6); xruns $(total "sender RtMidi" 10). JACK itself, one numbered event a period: $(total periods 4) of $(total periods 2) periods lost, $(total periods 6) run twice by the sender, $(total periods 8) never run by the receiver, $(total periods 10) other | no note-off lost (no stuck note) | $(yes_if "$p_off == 0") |"
