#!/usr/bin/env bash
# Times quibran-batch side by side with the tools a user would otherwise reach
# for, one run each, into the same temporary folder (deleted at the end):
#   1 GiB .BIN from the Mersenne Twister   vs  openssl rand, head -c /dev/urandom
#   10,000,000 Integer (16 bits) in .ASC   vs  shuf -r -i 0-65535 -n 10000000
#   CSV of 65536 rows x 256 Float (Double)     (seconds and MB/s only)
# Peak memory comes from /usr/bin/time -v. Targets: 1.3 x openssl rand, 3 x
# shuf, peak memory of quibran-batch under 64 MiB.
#
# Usage: scripts/bench-batch.sh            (build folder "build")
#        BUILD_DIR=build-rel scripts/bench-batch.sh
#        BENCH_DIR=/mnt/fast scripts/bench-batch.sh   (where the files go)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  echo "No build in '$build_dir': configure it first, for example" >&2
  echo "  cmake -S . -B $build_dir -DCMAKE_BUILD_TYPE=Release" >&2
  exit 2
fi
cmake --build "$build_dir" --target quibran-batch >/dev/null
batch=$(realpath "$build_dir/tools/quibran-batch")
for tool in openssl shuf head /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/quibran-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

gib=1073741824
declare -A seconds peak_kib
columns='%-44s %8s %7s %7s %9s %9s %9s\n'

# run NAME COMMAND...: runs the command in the work folder, records wall
# seconds and peak resident memory, prints a row and removes what it wrote.
# Each run follows an untimed write and delete of 1 GiB, so that every tool
# finds the same memory ready for its page cache: on a virtual machine the
# first touch of memory that went back to the host can cost more than the
# run itself, and would fall on whichever tool happened to come first.
run() {
  local name=$1
  shift
  sync
  head -c "$gib" /dev/zero >"$work/.warm-up"
  rm -f "$work/.warm-up"
  local start end bytes
  start=$(date +%s.%N)
  (cd "$work" && /usr/bin/time -v -o "$work/.time" "$@" >/dev/null)
  end=$(date +%s.%N)
  bytes=$(find "$work" -maxdepth 1 -type f ! -name '.*' -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  seconds[$name]=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f", b - a}')
  peak_kib[$name]=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/.time")
  # shellcheck disable=SC2059
  printf "$columns" "$name" "${seconds[$name]}" \
    "$(awk -F': ' '/User time/ {print $2}' "$work/.time")" "$(awk -F': ' '/System time/ {print $2}' "$work/.time")" \
    "$(awk -v b="$bytes" 'BEGIN {printf "%.1f", b / 1e6}')" \
    "$(awk -v b="$bytes" -v s="${seconds[$name]}" 'BEGIN {printf "%.1f", b / 1e6 / s}')" \
    "$(awk -v k="${peak_kib[$name]}" 'BEGIN {printf "%.1f", k / 1024}')"
  find "$work" -maxdepth 1 -type f -delete
}

# ratio OTHER QUIBRAN [TARGET]: how many times faster quibran-batch was.
ratio() {
  awk -v slow="${seconds[$1]}" -v fast="${seconds[$2]}" -v target="${3:-}" -v a="$1" 'BEGIN {
    r = slow / fast
    verdict = target == "" ? "no target" : sprintf("target %s x: %s", target, (r >= target ? "met" : "NOT MET"))
    printf "  vs %-36s %6.2f x   (%s)\n", a, r, verdict
  }'
}

# shellcheck disable=SC2059
printf "$columns" "run" "seconds" "user s" "sys s" "MB" "MB/s" "peak MiB"
printf '%s\n' "-------------------------------------------------------------------------------------------------"
run "quibran-batch mt .BIN 1 GiB" "$batch" --source mt --count "$gib" --stem BIN --quiet
run "openssl rand 1 GiB" openssl rand -out rand.bin "$gib"
run "head -c 1 GiB /dev/urandom" sh -c "head -c $gib /dev/urandom > urandom.bin"
run "quibran-batch mt .ASC int16 x 10,000,000" "$batch" --source mt --file-type asc --number-type int16 \
  --count 10000000 --stem ASC --quiet
run "shuf -r -i 0-65535 -n 10000000" sh -c "shuf -r -i 0-65535 -n 10000000 > shuf.txt"
run "quibran-batch mt .CSV double 65536 x 256" "$batch" --source mt --file-type csv --number-type double \
  --count 65536 --columns 256 --stem CSV --quiet
echo
echo "quibran-batch was faster by:"
ratio "openssl rand 1 GiB" "quibran-batch mt .BIN 1 GiB" 1.3
ratio "head -c 1 GiB /dev/urandom" "quibran-batch mt .BIN 1 GiB"
ratio "shuf -r -i 0-65535 -n 10000000" "quibran-batch mt .ASC int16 x 10,000,000" 3
echo
echo "Peak memory of quibran-batch (target under 64 MiB):"
for name in "quibran-batch mt .BIN 1 GiB" "quibran-batch mt .ASC int16 x 10,000,000" \
  "quibran-batch mt .CSV double 65536 x 256"; do
  awk -v k="${peak_kib[$name]}" -v n="$name" 'BEGIN {
    printf "  %-40s %6.1f MiB (%s)\n", n, k / 1024, (k < 64 * 1024 ? "met" : "NOT MET")
  }'
done
