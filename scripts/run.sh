#!/usr/bin/env bash
# Installs what is needed, builds, and starts Tastiva.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh default
exec ./build/app/tastiva
