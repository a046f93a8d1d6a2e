#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program icon's PNG sizes from src/app/images/quibran.svg and the
# splash window's picture from splash_picture.svg, for after a change to a
# picture (needs rsvg-convert: apt-get install librsvg2-bin).
# The PNGs are kept in the repository, so a build needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")/../src/app/images"
for size in 48 256; do
  rsvg-convert --width "$size" --height "$size" quibran.svg --output "quibran-$size.png"
done
rsvg-convert --width 96 --height 96 splash_picture.svg --output splash_picture.png
