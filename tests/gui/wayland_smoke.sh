#!/usr/bin/env bash
# Runs the Wayland test program (its path the first argument) on the wayland
# platform under a headless weston of its own. Exits 77, which CTest counts as
# skipped, when weston or Qt's Wayland platform is missing or weston cannot
# start here, and says why.
set -euo pipefail

skip() {
  echo "SKIPPED: $*"
  exit 77
}
command -v weston >/dev/null || skip "weston is not installed (apt-get install weston)"
qt_plugins=$(qtpaths6 --plugin-dir 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
compgen -G "$qt_plugins/platforms/libqwayland-*.so" >/dev/null ||
  skip "Qt's Wayland platform is not installed (apt-get install qt6-wayland)"

work=$(mktemp -d)
weston_pid=
cleanup() {
  [[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=quibran-test
weston --backend=headless-backend.so --socket=$socket --idle-time=0 --no-config >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [[ -S $XDG_RUNTIME_DIR/$socket ]] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
[[ -S $XDG_RUNTIME_DIR/$socket ]] || skip "weston's headless backend did not start: $(tail -n 3 "$work/weston.log")"

env -u DISPLAY WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland "$1"
