#!/usr/bin/env bash
# The end-to-end tests on a busy machine: every e2e-labelled test of a built tree, RUNS times,
# with LOOPS busy loops running all the while (as another build or test run would), then the
# passes of each test. Status 0 only if every run of every test passed; the logs of each run
# stay in the folder it names.
#
#   ./scripts/busy-e2e.sh [BUILD_DIR [CTEST_OPTIONS...]]   # build/; RUNS=10 LOOPS=4 LABEL=e2e
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
runs=${RUNS:-10}
loops=${LOOPS:-4}
label=${LABEL:-e2e}
[ -f "$build/CTestTestfile.cmake" ] || { echo "busy-e2e: no built tree in $build" >&2; exit 2; }
out=$(mktemp -d "${TMPDIR:-/tmp}/tastiva-busy-e2e.XXXXXX")

busy=()
stop_loops() { [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true; }
trap stop_loops EXIT
for _ in $(seq "$loops"); do
  (while :; do :; done) &
  busy+=($!)
done
echo "busy-e2e: $loops busy loops on $(nproc) cores; $runs runs of the '$label' tests; logs in $out"

# One line per test and run: NAME passed|failed|timeout.
for run in $(seq "$runs"); do
  start=$SECONDS
  ctest --test-dir "$build" -L "$label" --output-on-failure "$@" >"$out/run-$run.log" 2>&1 || true
  awk '/^ *[0-9]+\/[0-9]+ Test +#/ {
         status = $0 ~ /Passed/ ? "passed" : ($0 ~ /Timeout/ ? "timeout" : "failed")
         print $4, status }' "$out/run-$run.log" | tee -a "$out/results" >"$out/run-$run.results"
  echo "run $run: $(grep -c ' passed$' "$out/run-$run.results") of" \
    "$(wc -l <"$out/run-$run.results") passed in $((SECONDS - start)) s" \
    "$(grep -v ' passed$' "$out/run-$run.results" | tr '\n' ' ')"
done

echo "passes of $runs runs:"
awk '{ runs[$1]++; if ($2 == "passed") passed[$1]++ }
     END { for (t in runs) printf "  %-20s %d/%d\n", t, passed[t], runs[t] }' "$out/results" | sort
! grep -qv ' passed$' "$out/results" && [ -s "$out/results" ]
