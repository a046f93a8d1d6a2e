#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the Wayland test program ($1) on the wayland platform under a headless
# weston of its own. Exits 77 (CTest: skipped) with the reason where weston or
# Qt's Wayland platform is missing or weston cannot start here.
set -euo pipefail

skip() {
  echo "SKIPPED: $*"
  exit 77
}
command -v weston >/dev/null || skip "weston is not installed (apt-get install weston)"
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-*.so" >/dev/null ||
  skip "Qt's Wayland platform is not installed (apt-get install qt6-wayland)"

work=$(mktemp -d)
trap 'kill %1 2>/dev/null; wait; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --socket=quibran-test --idle-time=0 --no-config >"$work/weston.log" 2>&1 &
for _ in $(seq 100); do
  [[ -S $XDG_RUNTIME_DIR/quibran-test ]] && break
  sleep 0.1
done
[[ -S $XDG_RUNTIME_DIR/quibran-test ]] ||
  skip "weston's headless backend does not start: $(tail -n 3 "$work/weston.log")"
# Under the sanitizers (SANITIZE=1) leaks are not looked for here: the Wayland
# client library and the platform plugin's graphics modules, loaded and
# unloaded at run time, keep allocations that no stack names. The program's
# own code is checked for leaks by the offscreen tests.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
env -u DISPLAY WAYLAND_DISPLAY=quibran-test QT_QPA_PLATFORM=wayland "$1"
