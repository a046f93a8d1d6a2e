#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the defaults file reader with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, starting from the seed corpus in
# tests/fuzz/defaults_corpus (which it leaves as it is). Needs clang; without
# it the run is skipped. FUZZ_SECONDS bounds the run (default 120).
#
# Usage: scripts/fuzz.sh                 (build folder "build-fuzz")
#        FUZZ_SECONDS=600 scripts/fuzz.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ not found, fuzzing skipped" >&2
  exit 0
fi
dir=build-fuzz
cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIBRAN_BUILD_FUZZ=ON \
  -DQUIBRAN_SANITIZE=ON -DQUIBRAN_BUILD_GUI=OFF -DQUIBRAN_BUILD_TESTS=OFF -DQUIBRAN_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target defaults_file_fuzz

work=$(mktemp -d "${TMPDIR:-/tmp}/quibran-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/defaults_corpus/* "$work/"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Inputs up to twice the size of the reader's limit; a crash leaves its input
# in the build folder.
"$dir/tests/fuzz/defaults_file_fuzz" "$work" -dict=tests/fuzz/defaults.dict -max_len=131072 \
  -max_total_time="${FUZZ_SECONDS:-120}" -print_final_stats=1 -artifact_prefix="$dir/"
