# 11: starts on a busy machine: twelve busy loops on the two cores (load about 12), a JACK
# receiver running, and the program started BUSY_STARTS times (20): each time its receiver's
# port must be in the device list and chosen by a click, the program change must arrive, and no
# box may come. Counts how often each held.
BUSY_STARTS=${BUSY_STARTS:-20}
log "busy machine: $BUSY_STARTS starts under 12 busy loops"
busy_pids=()
for _ in $(seq 12); do
  bash -c 'while :; do :; done' &
  busy_pids+=($!)
  RUN_PIDS+=($!)
done
start_receiver busy-recv
listed=0 boxes=0 arrived=0
click_ms=()
for i in $(seq "$BUSY_STARTS"); do
  before=$(received busy-recv | wc -l)
  tastiva_up
  # The device list's entry 1, the first port after the synthesizer.
  begin=$(date +%s%N)
  click_at 100 37
  if wait_until 30 has_lines busy-recv $((before + 2)); then
    arrived=$((arrived + 1))
    listed=$((listed + 1))
    click_ms+=($((($(date +%s%N) - begin) / 1000000)))
  fi
  sleep 1
  [ "$(windows_named Tastiva | wc -l)" -le 1 ] || boxes=$((boxes + 1))
  tastiva_down
  log "  start $i: $arrived arrived, $boxes with a box"
done
for pid in "${busy_pids[@]}"; do stop_process "$pid"; done
clicks=$(printf '%s\n' "${click_ms[@]}" | stats)
row 11 "| 11. Load 12 (12 busy loops, 2 cores): starts with a box | $boxes of $BUSY_STARTS | — | none | $(yes_if "$boxes == 0") |"
row 11 "| 11. Load 12: the port listed, chosen by a click, its program change arrived | $arrived of $BUSY_STARTS (click → program change: $(cell "$clicks" ms 1 0 minmax)) | — | every start | $(yes_if "$arrived == $BUSY_STARTS") |"
