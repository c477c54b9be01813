#!/usr/bin/env bash
# Builds in release mode and runs the benchmarks (not part of the tests).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh default
./build/bench/midi_bench --benchmark_min_time=0.2
