#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds Quibran and runs every test through CTest.
# With SANITIZE=1 it builds into build-asan with AddressSanitizer and
# UndefinedBehaviorSanitizer instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

if [ "${SANITIZE:-0}" = 1 ]; then
  dir=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DQUIBRAN_SANITIZE=ON -DQUIBRAN_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  dir=build
  flags=(-DCMAKE_BUILD_TYPE=Release)
fi

# CI builds treat a warning as an error.
if [ "${CI:-}" = true ]; then flags+=(-DQUIBRAN_WERROR=ON); fi

cmake -S . -B "$dir" "${flags[@]}"
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
