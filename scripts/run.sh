#!/usr/bin/env bash
# Installs what building and running need, builds the program and its modules (the
# synthesizer, the MIDI ports) alone (no tests, no benchmarks: the "run" preset, in
# build-run/), and starts it. Arguments go to the program. Says on stderr how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
./scripts/install-deps.sh run
echo "run.sh: packages ready after $((SECONDS - start)) s" >&2
built=$SECONDS
./scripts/build.sh run
echo "run.sh: built in $((SECONDS - built)) s; starting build-run/app/tastiva" >&2
exec ./build-run/app/tastiva "$@"
