#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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

# shellcheck source=scripts/bench-common.sh
. scripts/bench-common.sh
rounds=${BENCH_ROUNDS:-5}
size=${BENCH_SIZE:-1920x1080}
width=${size%x*}
height=${size#*x}
bench_build quibran-batch quibran_bitmap_window_bench
batch=$(realpath "$build_dir/tools/quibran-batch")
window_bench=$(realpath "$build_dir/bench/quibran_bitmap_window_bench")
# ImageMagick's own program: a "convert" found first on PATH may be a wrapper
# that starts more slowly.
magick=$(command -v convert-im6.q16 || command -v magick || command -v convert || true)
[ -n "$magick" ] || { echo "missing: ImageMagick (convert)" >&2; exit 2; }
bench_require /usr/bin/time
bench_work_folder quibran-bench-bitmap

quibran="quibran-batch mt .BMP $size"
small="quibran-batch mt .BMP 100x100"
im="ImageMagick +noise Random BMP3 $size"
for ((round = 1; round <= rounds; round++)); do
  bench_measure "$quibran" "$batch" --source mt --file-type bmp --width "$width" --height "$height" --seed 1 --quiet
  bench_measure "$im" "$magick" -size "$size" xc: +noise Random -depth 8 BMP3:out.bmp
  bench_measure "$small" "$batch" --source mt --file-type bmp --width 100 --height 100 --seed 1 --quiet
done
window=$("$window_bench" "$width" "$height" "$rounds" 2>/dev/null)
value() { awk -v k="$1" '$1 == k {print $2}' <<<"$window"; }

echo "Best of $rounds rounds, whole processes ($magick):"
for name in "$quibran" "$im" "$small"; do
  awk -v n="$name" -v s="${seconds[$name]}" -v k="${peak_kib[$name]}" \
    'BEGIN {printf "  %-44s %8.1f ms  peak %6.1f MiB\n", n, s * 1000, k / 1024}'
done
echo "In the bitmap window ($width x $height, ${QT_QPA_PLATFORM:-offscreen}):"
echo "  whole drawing $(value window_ms) ms ($(value window_per_column_us) us a column);" \
  "the same drawing without a window $(value headless_ms) ms"
echo "  pixels repainted per pixel drawn, after the first paint: $(value window_repainted_per_pixel)"
grep '^stop_posted' <<<"$window" | sed 's/^/  /'
echo
awk -v im="${seconds[$im]}" -v q="${seconds[$quibran]}" -v w="$(value window_ms)" \
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
