# 1: exec -> main window mapped, against the bare window; 1b: CPU time until then. Alternating
# runs of map_wait, which also samples memory 3 s after exec (figure 2).
log "start-up and memory: $RUNS runs each, alternating"
: >"$RUN_TMP/bare.runs"
: >"$RUN_TMP/tastiva.runs"
map_env() { printf -- '-e\n%s\n' "TMPDIR=$(mktemp -d "$RUN_TMP/run.XXXXXX")" "${FAKE_DATE[@]}"; }
for i in $(seq "$RUNS"); do
  mapfile -t env_args < <(map_env)
  "$MAP_WAIT" "${env_args[@]}" --hold 3 -- "$BARE" >>"$RUN_TMP/bare.runs"
  mapfile -t env_args < <(map_env)
  "$MAP_WAIT" "${env_args[@]}" --hold 3 -- "$TASTIVA" >>"$RUN_TMP/tastiva.runs"
  log "  run $i: $(tail -n1 "$RUN_TMP/bare.runs" | cut -d' ' -f1) / $(tail -n1 "$RUN_TMP/tastiva.runs")"
done
if grep -v ' title=Bare ' "$RUN_TMP/bare.runs" | grep -q .; then
  fail "another window than the bare window came first: $(cat "$RUN_TMP/bare.runs")"
fi
if grep -v ' title=Tastiva ' "$RUN_TMP/tastiva.runs" | grep -q .; then
  fail "another window than the main window came first: $(cat "$RUN_TMP/tastiva.runs")"
fi

map_t=$(field map_ms "$RUN_TMP/tastiva.runs" | stats)
map_b=$(field map_ms "$RUN_TMP/bare.runs" | stats)
cpu_t=$(field cpu_ms "$RUN_TMP/tastiva.runs" | stats)
cpu_b=$(field cpu_ms "$RUN_TMP/bare.runs" | stats)
mt=$(median_of "$map_t")
mb=$(median_of "$map_b")
ratio=$(awk -v a="$mt" -v b="$mb" 'BEGIN { printf "%.2f", a / b }')
row 1 "| 1. exec → main window mapped | $(cell "$map_t" ms 1 1 minmax) | bare window: $(cell "$map_b" ms 1 1 minmax) | ≤ 1.5× floor (now ${ratio}×) | $(yes_if "$mt <= 1.5 * $mb") |"
row 1 "| 1b. CPU time used until mapped (all threads) | $(cell "$cpu_t" ms 1 1 minmax) | bare window: $(cell "$cpu_b" ms 1 1 minmax) | — | — |"
