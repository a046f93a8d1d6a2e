#!/usr/bin/env bash
# Times quibran-check on a 1 GiB file side by side with ent and then rngtest,
# run one after the other on the same file (what a user would otherwise run
# to get the same figures). The file (from openssl rand) is read once before
# the rounds, so that every tool reads it from the page cache. The tools take
# turns, BENCH_ROUNDS rounds (default 3), and each keeps its best time; peak
# memory from /usr/bin/time -v. Target: quibran-check at least 10 x as fast
# as ent and rngtest together.
#
# Usage: scripts/bench-check.sh            (build folder "build")
#        BUILD_DIR=build-rel BENCH_DIR=/mnt/fast BENCH_ROUNDS=1 scripts/bench-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
rounds=${BENCH_ROUNDS:-3}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  echo "No build in '$build_dir': configure it first, for example" >&2
  echo "  cmake -S . -B $build_dir -DCMAKE_BUILD_TYPE=Release" >&2
  exit 2
fi
cmake --build "$build_dir" --target quibran-check >/dev/null
check=$(realpath "$build_dir/tools/quibran-check")
for tool in openssl ent rngtest /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (scripts/install-deps.sh installs it)" >&2; exit 2; }
done

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/quibran-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
file=$work/pad.bin
openssl rand -out "$file" 1073741824
cat "$file" >/dev/null

declare -A seconds user sys peak_kib
# measure NAME COMMAND...: runs the command once, keeps its best time and
# its largest peak memory.
measure() {
  local name=$1
  shift
  local start end elapsed kib
  start=$(date +%s.%N)
  /usr/bin/time -v -o "$work/.time" "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f", b - a}')
  kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/.time")
  if [ -z "${seconds[$name]:-}" ] || awk -v a="$elapsed" -v b="${seconds[$name]}" 'BEGIN {exit !(a < b)}'; then
    seconds[$name]=$elapsed
    user[$name]=$(awk -F': ' '/User time/ {print $2}' "$work/.time")
    sys[$name]=$(awk -F': ' '/System time/ {print $2}' "$work/.time")
  fi
  if [ -z "${peak_kib[$name]:-}" ] || [ "$kib" -gt "${peak_kib[$name]}" ]; then peak_kib[$name]=$kib; fi
}

ours="quibran-check 1 GiB"
theirs="ent, then rngtest, 1 GiB"
for ((round = 1; round <= rounds; round++)); do
  echo "round $round of $rounds ..." >&2
  measure "$ours" "$check" "$file"
  # rngtest exits 1 when a block fails, as some always do.
  measure "$theirs" sh -c 'ent "$1"; rngtest <"$1" || true' sh "$file"
done

columns='%-30s %8s %8s %7s %9s %9s\n'
echo "Best of $rounds rounds, from the page cache:"
# shellcheck disable=SC2059
printf "$columns" "run" "seconds" "user s" "sys s" "MB/s" "peak MiB"
printf '%s\n' "-------------------------------------------------------------------------------"
for name in "$ours" "$theirs"; do
  # shellcheck disable=SC2059
  printf "$columns" "$name" "${seconds[$name]}" "${user[$name]}" "${sys[$name]}" \
    "$(awk -v s="${seconds[$name]}" 'BEGIN {printf "%.1f", 1073.741824 / s}')" \
    "$(awk -v k="${peak_kib[$name]}" 'BEGIN {printf "%.1f", k / 1024}')"
done
echo
awk -v slow="${seconds[$theirs]}" -v fast="${seconds[$ours]}" 'BEGIN {
  r = slow / fast
  printf "quibran-check was %.1f x as fast as ent and rngtest together (target 10 x: %s)\n", r, (r >= 10 ? "met" : "NOT MET")
}'
