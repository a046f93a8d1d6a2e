#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times quibran-batch side by side with the tools a user would otherwise reach
# for, into the same temporary folder (deleted at the end):
#   1 GiB .BIN from the Mersenne Twister   vs  openssl rand, head -c /dev/urandom
#   1 GiB .BIN from the kernel's generator  vs  openssl rand
#     (--source os: getrandom in large blocks)
#   the same two .BIN files                 vs  dd if=/dev/zero bs=64M count=16
#     oflag=direct conv=fsync: the disk's own pace, for files that quibran-batch
#     too gets onto the disk (fsync) before it names them complete
#   10,000,000 Integer (16 bits) in .ASC   vs  shuf -r -i 0-65535 -n 10000000
#   CSV of 65536 rows x 256 Float (Double)     (seconds and MB/s only)
#   128 MiB of bytes to standard output from mt, wh and mtwh (seed 5): the
#     alternating source against its slower half, Wichmann-Hill
# The tools of a comparison take turns, BENCH_ROUNDS rounds (default 3), and
# each keeps its best time: writing a large file costs mostly kernel time
# (page cache), which on a busy or virtual machine can vary several times over
# from one run to the next whatever the tool. Peak memory comes from
# /usr/bin/time -v (the largest of the rounds). Targets: 1.3 x openssl rand,
# --source os at least as fast as openssl rand, 0.9 x dd (the Mersenne
# Twister's file), 3 x shuf, mtwh 1.5 x wh, peak memory of quibran-batch under
# 64 MiB.
#
# Usage: scripts/bench-batch.sh            (build folder "build")
#        BUILD_DIR=build-rel scripts/bench-batch.sh
#        BENCH_DIR=/mnt/fast BENCH_ROUNDS=1 scripts/bench-batch.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/bench-common.sh
. scripts/bench-common.sh
rounds=${BENCH_ROUNDS:-3}
bench_build quibran-batch
batch=$(realpath "$build_dir/tools/quibran-batch")
bench_require openssl shuf head dd /usr/bin/time
bench_work_folder quibran-bench

gib=1073741824
declare -A megabytes

# measure NAME COMMAND...: bench_measure after an untimed write and delete of
# 1 GiB and a sync, so that every tool finds as much page cache memory ready
# as the one before it left (on a virtual machine, memory that has gone back
# to the host costs a fault on its first touch, which would otherwise fall on
# whichever tool follows a smaller one) and no file system work of an earlier
# delete still pending.
measure() {
  head -c "$gib" /dev/zero >"$work/.warm-up"
  rm -f "$work/.warm-up"
  sync
  bench_measure "$@"
  megabytes[$1]=$(awk -v b="$run_bytes" 'BEGIN {printf "%.1f", b / 1e6}')
}

# ratio OTHER QUIBRAN [TARGET]: how many times faster quibran-batch was.
ratio() {
  awk -v slow="${seconds[$1]}" -v fast="${seconds[$2]}" -v target="${3:-}" -v a="$1" -v b="$2" 'BEGIN {
    r = slow / fast
    verdict = target == "" ? "no target" : sprintf("target %s x: %s", target, (r >= target ? "met" : "NOT MET"))
    printf "  %-40s vs %-34s %6.2f x   (%s)\n", b, a, r, verdict
  }'
}

bin="quibran-batch mt .BIN 1 GiB"
ssl="openssl rand 1 GiB"
os="quibran-batch os .BIN 1 GiB"
urandom="head -c 1 GiB /dev/urandom"
dd="dd 1 GiB of zeros, direct, fsync"
asc="quibran-batch mt .ASC int16 x 10,000,000"
shuf="shuf -r -i 0-65535 -n 10000000"
csv="quibran-batch mt .CSV double 65536 x 256"
stream_bytes=134217728
declare -A stream
for source in mt wh mtwh; do stream[$source]="quibran-batch $source --stdout 128 MiB"; done

for ((round = 1; round <= rounds; round++)); do
  echo "round $round of $rounds ..." >&2
  measure "$bin" "$batch" --source mt --count "$gib" --stem BIN --quiet
  measure "$ssl" openssl rand -out rand.bin "$gib"
  measure "$os" "$batch" --source os --count "$gib" --stem OS --quiet
  measure "$urandom" sh -c "head -c $gib /dev/urandom > urandom.bin"
  measure "$dd" dd if=/dev/zero of=dd.bin bs=64M count=16 oflag=direct conv=fsync status=none
  measure "$asc" "$batch" --source mt --file-type asc --number-type int16 --count 10000000 --stem ASC --quiet
  measure "$shuf" sh -c "shuf -r -i 0-65535 -n 10000000 > shuf.txt"
  measure "$csv" "$batch" --source mt --file-type csv --number-type double --count 65536 --columns 256 --stem CSV \
    --quiet
  for source in mt wh mtwh; do
    bench_measure "${stream[$source]}" "$batch" --source $source --seed 5 --stdout --count $stream_bytes --quiet
  done
done

columns='%-44s %8s %7s %7s %9s %9s %9s\n'
echo "Best of $rounds rounds:"
# shellcheck disable=SC2059
printf "$columns" "run" "seconds" "user s" "sys s" "MB" "MB/s" "peak MiB"
printf '%s\n' "-------------------------------------------------------------------------------------------------"
for name in "$bin" "$ssl" "$os" "$urandom" "$dd" "$asc" "$shuf" "$csv"; do
  # shellcheck disable=SC2059
  printf "$columns" "$name" "${seconds[$name]}" "${user[$name]}" "${sys[$name]}" "${megabytes[$name]}" \
    "$(awk -v m="${megabytes[$name]}" -v s="${seconds[$name]}" 'BEGIN {printf "%.1f", m / s}')" \
    "$(awk -v k="${peak_kib[$name]}" 'BEGIN {printf "%.1f", k / 1024}')"
done
for source in mt wh mtwh; do
  name=${stream[$source]}
  # shellcheck disable=SC2059
  printf "$columns" "$name" "${seconds[$name]}" "${user[$name]}" "${sys[$name]}" \
    "$(awk -v b="$stream_bytes" 'BEGIN {printf "%.1f", b / 1e6}')" \
    "$(awk -v b="$stream_bytes" -v s="${seconds[$name]}" 'BEGIN {printf "%.1f", b / 1e6 / s}')" \
    "$(awk -v k="${peak_kib[$name]}" 'BEGIN {printf "%.1f", k / 1024}')"
done
echo
echo "quibran-batch was faster by:"
ratio "$ssl" "$bin" 1.3
ratio "$ssl" "$os" 1
ratio "$urandom" "$bin"
ratio "$dd" "$bin" 0.9
ratio "$dd" "$os"
ratio "$shuf" "$asc" 3
ratio "${stream[wh]}" "${stream[mtwh]}" 1.5
echo
echo "Peak memory of quibran-batch (target under 64 MiB):"
for name in "$bin" "$os" "$asc" "$csv"; do
  awk -v k="${peak_kib[$name]}" -v n="$name" 'BEGIN {
    printf "  %-40s %6.1f MiB (%s)\n", n, k / 1024, (k < 64 * 1024 ? "met" : "NOT MET")
  }'
done
