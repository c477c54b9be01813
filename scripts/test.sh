#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh all
./scripts/build.sh ci
ctest --preset ci -j2 "$@"
./scripts/test-windows.sh
./scripts/test-package.sh
