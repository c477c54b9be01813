#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors, and runs every test. The first run
# also builds Qt for Windows once (scripts/build-qt-windows.sh), about 30 minutes on 2 cores.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! ./scripts/build-qt-windows.sh --built >/dev/null 2>&1; then
  echo "test: this first run also builds Qt for Windows, once: about 30 minutes on 2 cores" \
    "(more on a busy machine); later runs reuse it"
fi
./scripts/install-deps.sh all
./scripts/build.sh ci
ctest --preset ci -j2 "$@"
./scripts/test-windows.sh
./scripts/test-package.sh
