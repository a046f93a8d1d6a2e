#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the program's start-up benchmark as a fresh process several times
# and prints each run's times: from main() to an idle main window, and the
# whole process from launch to exit (loading the libraries included).
# Target: no more than the three-second splash pause plus a fraction of a
# second.
#
# Usage: scripts/bench-start-up.sh            (build folder "build", 5 runs)
#        RUNS=10 BUILD_DIR=build-rel scripts/bench-start-up.sh
#        DISPLAY=:1 scripts/bench-start-up.sh (on a display; else offscreen)
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/bench-common.sh
. scripts/bench-common.sh
runs=${RUNS:-5}
bench_build quibran_start_up
bench=$(realpath "$build_dir/bench/quibran_start_up")
# The settings live in the work folder, never in the user's own: the first
# run starts as a new user's, the later ones read what it saved on leaving.
bench_work_folder quibran-start-up
export XDG_CONFIG_HOME=$work

for ((run = 1; run <= runs; run++)); do
  start=$(date +%s%N)
  out=$("$bench" 2>/dev/null)
  end=$(date +%s%N)
  echo "run $run: $(head -1 <<<"$out" | sed 's/^start-up to an idle window: //')" \
    "| process launch to exit $(( (end - start) / 1000000 )) ms"
done
