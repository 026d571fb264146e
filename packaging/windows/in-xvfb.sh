#!/usr/bin/env bash
# Runs a command in an X display of its own, with a window manager, as the Windows build's tests
# under Wine need a desktop to show their windows on; then closes the display.
#   in-xvfb.sh COMMAND...
set -euo pipefail
display=:$((100 + RANDOM % 400))
while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=:$((100 + RANDOM % 400)); done
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$wm" "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.05; done
openbox >/dev/null 2>&1 &
wm=$!
"$@"
