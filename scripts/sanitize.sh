#!/usr/bin/env bash
# Builds the tests under AddressSanitizer with UBSan, then under ThreadSanitizer, and runs the
# unit, synth and jack tests under each; fails on any report. Not part of ./scripts/test.sh:
# the two builds take longer than the rest of it.
#
#   ./scripts/sanitize.sh            # both
#   ./scripts/sanitize.sh tsan       # one
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
for preset in "${@:-asan tsan}"; do
  for p in $preset; do
    echo "sanitize: $p"
    cmake --preset "$p" >/dev/null
    nice -n 5 cmake --build --preset "$p"
    ctest --preset "$p"
  done
done
