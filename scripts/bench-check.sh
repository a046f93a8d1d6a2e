#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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

# shellcheck source=scripts/bench-common.sh
. scripts/bench-common.sh
rounds=${BENCH_ROUNDS:-3}
bench_build quibran-check
check=$(realpath "$build_dir/tools/quibran-check")
bench_require openssl ent rngtest /usr/bin/time
bench_work_folder quibran-bench
# In a folder of its own: bench_measure clears the work folder's files.
mkdir "$work/in"
file=$work/in/pad.bin
openssl rand -out "$file" 1073741824
cat "$file" >/dev/null

ours="quibran-check 1 GiB"
theirs="ent, then rngtest, 1 GiB"
for ((round = 1; round <= rounds; round++)); do
  echo "round $round of $rounds ..." >&2
  bench_measure "$ours" "$check" "$file"
  # rngtest exits 1 when a block fails, as some always do.
  bench_measure "$theirs" sh -c 'ent "$1"; rngtest <"$1" 2>/dev/null || true' sh "$file"
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
