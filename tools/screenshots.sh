#!/usr/bin/env bash
# Photographs the real program for the README: runs it under Xvfb with a window manager, drives it
# with xdotool as a user would and saves the window, title bar included, as PNGs.
#   screenshots.sh PROGRAM OUTPUT_DIR
# The pictures are timed with sleep: at about 60 frames a second, frame n shows t = 0.005 n.
set -euo pipefail
program=$(realpath "$1")
out=$2
mkdir -p "$out"

export DISPLAY=:${SCREENSHOT_DISPLAY:-73}
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
Xvfb "$DISPLAY" -screen 0 800x320x24 -nolisten tcp &
pids+=($!)
for _ in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
openbox &
pids+=($!)
sleep 1
"$program" &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --pid "${pids[2]}" | head -n 1)
sleep 1

shoot() {
    import -frame -window "$window" "$out/$1.png"
    echo "$out/$1.png"
}
# Clicks at a point of the window's client area.
click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    xdotool mousemove 790 310
}
run=(670 22)
start=(644 102)

shoot window-at-start
click "${run[@]}"
sleep 0.5
shoot first-frame-held
# Let the packets run into each other, then hold them while their fringes show, near t = 0.85.
click "${start[@]}"
sleep "${OVERLAP_SECONDS:-2.8}"
click "${start[@]}"
sleep 0.5
shoot packets-overlapping
click "${start[@]}"
sleep 5
shoot end-baseline
