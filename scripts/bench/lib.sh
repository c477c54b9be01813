# Shared by the benchmark figures: the probe, the program started and stopped, and the
# statistics of the table's cells. Sourced by scripts/bench.sh after tests/e2e/lib.sh.

log() { echo "bench: $*" >&2; }

# row FIGURE TEXT: a line of the table, printed at the end in the order of the figures.
row() { printf '%s\n' "$2" >>"$RUN_TMP/rows.$1"; }

# The probe: a JACK client with MIDI input "in" and audio inputs "left"/"right", taking
# commands on a pipe. Started before the program, so its port is in the device list.
PROBE_FD=""
probe_up() {
  PROBE_NAME="bench-probe-$$"
  PROBE_OUT="$RUN_TMP/probe-$1.out"
  mkfifo "$RUN_TMP/probe-$1.ctl"
  "$PROBE" --threshold 0.001 "$PROBE_NAME" <"$RUN_TMP/probe-$1.ctl" >"$PROBE_OUT" \
    2>"$RUN_TMP/probe-$1.err" &
  PROBE_PID=$!
  RUN_PIDS+=("$PROBE_PID")
  exec {PROBE_FD}>"$RUN_TMP/probe-$1.ctl"
  wait_until 10 grep -qx ready "$PROBE_OUT" || fail "probe: $(cat "$RUN_TMP/probe-$1.err")"
}

probe_down() {
  echo quit >&"$PROBE_FD" || true
  exec {PROBE_FD}>&-
  PROBE_FD=""
  wait_until 5 gone "$PROBE_PID" || true
  stop_process "$PROBE_PID"
}

count_lines() { grep -c "$1" "$PROBE_OUT" || true; }
more_lines() { [ "$(count_lines "$1")" -gt "$2" ]; }

# probe_run SECONDS COMMAND: runs a probe command and waits for it to finish.
probe_run() {
  local before
  before=$(count_lines '^done')
  echo "$2" >&"$PROBE_FD"
  wait_until "$1" more_lines '^done' "$before" || fail "probe: '$2' did not finish"
}

# No notice window: a day that is no multiple of 5, for the program and the bare window alike,
# days ahead of today's clock rather than a fixed date: with the clock set before the font
# folders last changed, fontconfig takes its caches for stale and reads every font again at
# each start (0.2 s here). A day whose remainder by 5 is 2 or 3 stays clear past midnight.
for BENCH_DAYS in 0 1 2 3 4; do
  case $(($(date -d "+$BENCH_DAYS day" +%-d) % 5)) in 2 | 3) break ;; esac
done
export BENCH_FAKETIME="+${BENCH_DAYS}d"
FAKE_DATE=(LD_PRELOAD='/usr/$LIB/faketime/libfaketime.so.1' "FAKETIME=$BENCH_FAKETIME"
  FAKETIME_DONT_FAKE_MONOTONIC=1)

no_window_named() { [ -z "$(windows_named "$1")" ]; }

# Starts the program with its own lock directory and gives its window the keyboard.
tastiva_up() {
  local dir
  dir=$(mktemp -d "$RUN_TMP/tastiva.XXXXXX")
  env TMPDIR="$dir" "${FAKE_DATE[@]}" "$TASTIVA" >"$dir/log" 2>&1 &
  TASTIVA_PID=$!
  RUN_PIDS+=("$TASTIVA_PID")
  main_window_up "$dir/log"
}

tastiva_down() {
  stop_process "$TASTIVA_PID"
  wait_until 5 no_window_named Tastiva || fail "the main window stayed"
}

# Entry 1 of the device list (the probe's port) by a real click, as the play test does.
select_probe_port() {
  local before
  before=$(count_lines '^in c0')
  click_at 100 37
  wait_until 5 more_lines '^in c0' "$before" || fail "choosing the probe's port sent nothing"
}

cpu_ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
# run_ms PID: the run time of all its threads so far, in ms (schedstat, finer than ticks).
run_ms() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ ns += $1 } END { printf "%.3f\n", ns / 1e6 }'; }
# wakes PID: the context switches of all its threads so far, voluntary and not.
wakes() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n + 0 }'
}

# stats: numbers on stdin -> "median q1 q3 min max count" (quartiles interpolated).
stats() {
  sort -g | awk '
    function q(p,   pos, lo) { pos = 1 + (NR - 1) * p; lo = int(pos); return v[lo] + (pos - lo) * (v[lo + 1] - v[lo]) }
    { v[NR] = $1 }
    END { if (NR == 0) { print "nan nan nan nan nan 0"; exit } v[NR + 1] = v[NR]; print q(0.5), q(0.25), q(0.75), v[1], v[NR], NR }'
}

# field NAME FILE: the values of NAME=... in map_wait's lines.
field() { grep -o "$1=[^ ]*" "$2" | cut -d= -f2; }

# cell STATS UNIT SCALE DIGITS SPREAD: "median unit (min–max, n=9)" or (IQR q1–q3, n=50).
cell() {
  local med q1 q3 min max n
  read -r med q1 q3 min max n <<<"$1"
  if [ "$5" = iqr ]; then
    awk -v m="$med" -v a="$q1" -v b="$q3" -v n="$n" -v s="$3" -v d="$4" -v u="$2" \
      'BEGIN { printf "%.*f %s (IQR %.*f–%.*f, n=%d)", d, m*s, u, d, a*s, d, b*s, n }'
  else
    awk -v m="$med" -v a="$min" -v b="$max" -v n="$n" -v s="$3" -v d="$4" -v u="$2" \
      'BEGIN { printf "%.*f %s (min–max %.*f–%.*f, n=%d)", d, m*s, u, d, a*s, d, b*s, n }'
  fi
}

median_of() { read -r med _ <<<"$1"; echo "$med"; }
yes_if() { awk "BEGIN { print ($1) ? \"yes\" : \"**no**\" }"; }
# diff_of A B: A - B with sign, three decimals.
diff_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.3f", a - b }'; }
