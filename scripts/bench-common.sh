# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash disable=SC2034
# Shell functions the benchmark scripts share; sourced, never run. The caller
# has `set -euo pipefail` and is in the source folder.

# bench_build TARGET...: builds the targets in $BUILD_DIR (default "build")
# and sets build_dir; stops when that folder has not been configured.
bench_build() {
  build_dir=${BUILD_DIR:-build}
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    echo "No build in '$build_dir': configure it first, for example" >&2
    echo "  cmake -S . -B $build_dir -DCMAKE_BUILD_TYPE=Release" >&2
    exit 2
  fi
  cmake --build "$build_dir" --target "$@" >/dev/null
}

# bench_require PROGRAM...: stops when one of the programs is missing.
bench_require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
  done
}

# bench_work_folder NAME: a fresh folder $work in $BENCH_DIR (default the
# temporary folder), deleted when the script ends.
bench_work_folder() {
  work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/$1.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

declare -A seconds user sys peak_kib

# bench_measure NAME COMMAND...: runs the command once in the work folder with
# its output discarded, keeps its wall, user and system seconds when its wall
# time is NAME's best so far and its peak memory (KiB) when it is NAME's
# largest, sets run_bytes to the size of what it wrote, and removes that.
bench_measure() {
  local name=$1
  shift
  local start end elapsed kib
  start=$(date +%s.%N)
  (cd "$work" && /usr/bin/time -v -o "$work/.time" "$@" >/dev/null)
  end=$(date +%s.%N)
  elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f", b - a}')
  kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/.time")
  run_bytes=$(find "$work" -maxdepth 1 -type f ! -name '.*' -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  if [ -z "${seconds[$name]:-}" ] || awk -v a="$elapsed" -v b="${seconds[$name]}" 'BEGIN {exit !(a < b)}'; then
    seconds[$name]=$elapsed
    user[$name]=$(awk -F': ' '/User time/ {print $2}' "$work/.time")
    sys[$name]=$(awk -F': ' '/System time/ {print $2}' "$work/.time")
  fi
  if [ -z "${peak_kib[$name]:-}" ] || [ "$kib" -gt "${peak_kib[$name]}" ]; then peak_kib[$name]=$kib; fi
  find "$work" -maxdepth 1 -type f -delete
}
