#!/usr/bin/env bash
# Times bitmap pictures, in one run:
#   1. quibran-batch making a 1920 x 1080 .BMP against ImageMagick's
#      convert -size 1920x1080 xc: +noise Random -depth 8 BMP3:out.bmp,
#      each as a whole process; they take turns, BENCH_ROUNDS rounds
#      (default 5), and each keeps its best time. Target: 2 x as fast.
#   2. The bitmap window drawing the same picture, shown (offscreen), against
#      the batch tool's time from 1. Target: within 4 x.
#   3. How many columns the drawing goes on after a click on Stop. Target: 1.
#   4. Memory: quibran-batch's peak resident memory for the picture less that
#      for a 100 x 100 one, against the picture's W x H x 4 bytes. Target: the
#      picture plus at most 4 MiB.
#
# Usage: scripts/bench-bitmap.sh            (build folder "build", with benchmarks)
#        BUILD_DIR=build-rel BENCH_ROUNDS=9 BENCH_SIZE=1280x1024 scripts/bench-bitmap.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
rounds=${BENCH_ROUNDS:-5}
size=${BENCH_SIZE:-1920x1080}
width=${size%x*}
height=${size#*x}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  echo "No build in '$build_dir': configure it first, for example" >&2
  echo "  cmake -S . -B $build_dir -DCMAKE_BUILD_TYPE=Release" >&2
  exit 2
fi
cmake --build "$build_dir" --target quibran-batch quibran_bitmap_window_bench >/dev/null
batch=$(realpath "$build_dir/tools/quibran-batch")
window_bench=$(realpath "$build_dir/bench/quibran_bitmap_window_bench")
# ImageMagick's own program: a "convert" found first on PATH may be a wrapper
# that starts more slowly.
magick=$(command -v convert-im6.q16 || command -v magick || command -v convert || true)
[ -n "$magick" ] || { echo "missing: ImageMagick (convert)" >&2; exit 2; }
command -v /usr/bin/time >/dev/null || { echo "missing: /usr/bin/time" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quibran-bench-bitmap.XXXXXX")
trap 'rm -rf "$work"' EXIT

declare -A best peak_kib

# measure NAME COMMAND...: runs the command in the work folder, keeps its best
# time and its largest peak memory, and removes what it wrote.
measure() {
  local name=$1
  shift
  local start end elapsed kib
  start=$(date +%s.%N)
  (cd "$work" && /usr/bin/time -v -o "$work/.time" "$@" >/dev/null)
  end=$(date +%s.%N)
  elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f", b - a}')
  kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/.time")
  if [ -z "${best[$name]:-}" ] || awk -v a="$elapsed" -v b="${best[$name]}" 'BEGIN {exit !(a < b)}'; then
    best[$name]=$elapsed
  fi
  if [ -z "${peak_kib[$name]:-}" ] || [ "$kib" -gt "${peak_kib[$name]}" ]; then peak_kib[$name]=$kib; fi
  find "$work" -maxdepth 1 -type f -delete
}

quibran="quibran-batch mt .BMP $size"
small="quibran-batch mt .BMP 100x100"
im="ImageMagick +noise Random BMP3 $size"
for ((round = 1; round <= rounds; round++)); do
  measure "$quibran" "$batch" --source mt --file-type bmp --width "$width" --height "$height" --seed 1 --quiet
  measure "$im" "$magick" -size "$size" xc: +noise Random -depth 8 BMP3:out.bmp
  measure "$small" "$batch" --source mt --file-type bmp --width 100 --height 100 --seed 1 --quiet
done
window=$("$window_bench" "$width" "$height" "$rounds" 2>/dev/null)
value() { awk -v k="$1" '$1 == k {print $2}' <<<"$window"; }

echo "Best of $rounds rounds, whole processes ($magick):"
for name in "$quibran" "$im" "$small"; do
  awk -v n="$name" -v s="${best[$name]}" -v k="${peak_kib[$name]}" \
    'BEGIN {printf "  %-44s %8.1f ms  peak %6.1f MiB\n", n, s * 1000, k / 1024}'
done
echo "In the bitmap window ($width x $height, ${QT_QPA_PLATFORM:-offscreen}):"
echo "  whole drawing $(value window_ms) ms ($(value window_per_column_us) us a column);" \
  "the same drawing without a window $(value headless_ms) ms"
echo "  pixels repainted per pixel drawn, after the first paint: $(value window_repainted_per_pixel)"
grep '^stop_posted' <<<"$window" | sed 's/^/  /'
echo
awk -v im="${best[$im]}" -v q="${best[$quibran]}" -v w="$(value window_ms)" \
  -v stop="$(value stop_latency_columns)" -v big="${peak_kib[$quibran]}" -v small="${peak_kib[$small]}" \
  -v pixels="$((width * height))" 'BEGIN {
  verdict = "NOT MET"
  r = im / q; printf "quibran-batch vs ImageMagick: %.2f x as fast (target 2 x: %s)\n", r, (r >= 2 ? "met" : verdict)
  r = w / (q * 1000); printf "window drawing vs quibran-batch: %.2f x its time (target at most 4 x: %s)\n", r, (r <= 4 ? "met" : verdict)
  printf "Stop acts after %d more column(s) (target 1: %s)\n", stop, (stop <= 1 ? "met" : verdict)
  extra = (big - small) / 1024; picture = pixels * 4 / 1048576
  printf "memory for the picture: %.1f MiB, the picture itself %.1f MiB (target at most 4 MiB more: %s)\n",
    extra, picture, (extra <= picture + 4 ? "met" : verdict)
}'
