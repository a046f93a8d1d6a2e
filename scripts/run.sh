#!/usr/bin/env bash
# Installs what is needed, builds Quibran and starts the window program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
exec build/src/app/quibran "$@"
