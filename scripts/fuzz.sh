#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer,
# each target for a third of FUZZ_SECONDS (default 120): the defaults file
# reader from the seed corpus in tests/fuzz/defaults_corpus (which it leaves
# as it is), the list-output number texts against printf, and quibran-batch's
# option parser (its words one a line). Needs clang; without it the run is
# skipped.
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
cmake --build "$dir" -j"$(nproc)" --target defaults_file_fuzz number_text_fuzz batch_options_fuzz

work=$(mktemp -d "${TMPDIR:-/tmp}/quibran-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/defaults" "$work/numbers" "$work/options"
cp tests/fuzz/defaults_corpus/* "$work/defaults/"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
seconds=$((${FUZZ_SECONDS:-120} / 3))
# A crash leaves its input in the build folder. The defaults file takes inputs
# up to twice the size of the reader's limit.
fuzz() {
  local target=$1
  shift
  "$dir/tests/fuzz/$target" "$@" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$dir/$target-"
}
fuzz defaults_file_fuzz "$work/defaults" -dict=tests/fuzz/defaults.dict -max_len=131072
fuzz number_text_fuzz "$work/numbers" -max_len=4096
fuzz batch_options_fuzz "$work/options" -dict=tests/fuzz/batch_options.dict
