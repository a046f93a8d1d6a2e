#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the hardware source's path through quibran-batch with a fast node
# standing in for the Alea (--source alea --device /dev/urandom), side by side
# with the same jobs from the Mersenne Twister, to show that the program is
# never what holds a hardware job back:
#   1 GiB .BIN                                       target >= 200 MB/s
#   10,000,000 Integer (16 bits) in .ASC             target >= 20 M values/s
# and, for reference, head -c 1 GiB /dev/urandom: what the stand-in node gives
# on its own. The runs take turns, BENCH_ROUNDS rounds (default 3), and each
# keeps its best time (a large write's cost varies with the page cache and a
# busy machine).
#
# Usage: scripts/bench-device.sh            (build folder "build")
#        BUILD_DIR=build-rel BENCH_DIR=/mnt/fast BENCH_ROUNDS=5 scripts/bench-device.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/bench-common.sh
. scripts/bench-common.sh
rounds=${BENCH_ROUNDS:-3}
bench_build quibran-batch
batch=$(realpath "$build_dir/tools/quibran-batch")
bench_require /usr/bin/time
bench_work_folder quibran-bench

gib=1073741824
values=10000000

# measure NAME COMMAND...: bench_measure after a sync, so that no write-back
# of an earlier run is still pending.
measure() {
  sync
  bench_measure "$@"
}

mt_bin="--source mt .BIN 1 GiB"
alea_bin="--source alea --device /dev/urandom .BIN 1 GiB"
urandom="head -c 1 GiB /dev/urandom"
mt_asc="--source mt .ASC int16 x 10,000,000"
alea_asc="--source alea --device /dev/urandom .ASC int16 x 10,000,000"

for ((round = 1; round <= rounds; round++)); do
  echo "round $round of $rounds ..." >&2
  measure "$mt_bin" "$batch" --source mt --count "$gib" --quiet
  measure "$alea_bin" "$batch" --source alea --device /dev/urandom --count "$gib" --quiet
  measure "$urandom" sh -c "head -c $gib /dev/urandom > urandom.bin"
  measure "$mt_asc" "$batch" --source mt --file-type asc --number-type int16 --count "$values" --quiet
  measure "$alea_asc" "$batch" --source alea --device /dev/urandom --file-type asc --number-type int16 \
    --count "$values" --quiet
done

columns='%-58s %8s %7s %7s %14s\n'
echo "Best of $rounds rounds:"
# shellcheck disable=SC2059
printf "$columns" "run" "seconds" "user s" "sys s" "rate"
printf '%s\n' "-----------------------------------------------------------------------------------------------"
for name in "$mt_bin" "$alea_bin" "$urandom"; do
  # shellcheck disable=SC2059
  printf "$columns" "$name" "${seconds[$name]}" "${user[$name]}" "${sys[$name]}" \
    "$(awk -v s="${seconds[$name]}" -v b="$gib" 'BEGIN {printf "%.1f MB/s", b / 1e6 / s}')"
done
for name in "$mt_asc" "$alea_asc"; do
  # shellcheck disable=SC2059
  printf "$columns" "$name" "${seconds[$name]}" "${user[$name]}" "${sys[$name]}" \
    "$(awk -v s="${seconds[$name]}" -v n="$values" 'BEGIN {printf "%.1f M/s", n / 1e6 / s}')"
done
echo
echo "Hardware source's path:"
awk -v s="${seconds[$alea_bin]}" -v b="$gib" 'BEGIN {
  r = b / 1e6 / s; printf "  .BIN %8.1f MB/s        (target 200 MB/s: %s)\n", r, (r >= 200 ? "met" : "NOT MET") }'
awk -v s="${seconds[$alea_asc]}" -v n="$values" 'BEGIN {
  r = n / 1e6 / s; printf "  .ASC %8.1f M values/s  (target 20 M values/s: %s)\n", r, (r >= 20 ? "met" : "NOT MET") }'
