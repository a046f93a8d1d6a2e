#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running, testing and
# benchmarking Quibran need. Runs apt-get only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  openssl coreutils time
  # Installing: the Debian package (dpkg-shlibdeps, file) and the checks of
  # the desktop entry, the AppStream metadata, the manual pages and the
  # package itself.
  dpkg-dev file desktop-file-utils appstream mandoc man-db groff-base lintian
  # The window under a headless Wayland compositor (test wayland.smoke).
  weston qt6-wayland
  # scripts/bench-bitmap.sh times quibran-batch's bitmaps against ImageMagick's convert.
  imagemagick
  # scripts/fuzz.sh: libFuzzer through clang.
  clang libclang-rt-dev
  # quibran-check: SHA-256 from libcrypto; ent and rngtest (rng-tools5), whose
  # figures its tests compare with
  libssl-dev ent rng-tools5
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
