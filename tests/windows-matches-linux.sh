#!/usr/bin/env bash
# The Windows build against the Linux build, which share the model and the rasteriser but not
# the maths library: first the pixel end points of every segment of whole runs, then the first
# frame of the real programs, RUN pressed in each, pixel for pixel on the screen.
#   windows-matches-linux.sh LINUX-BUILD WINDOWS-BUILD WINE-RUN     (in an X display)
set -euo pipefail
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
wine_run=$3
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

"$wine_run" "$windows/tests/frame_endpoints.exe" write "$work/windows.bin"
"$linux/tests/frame_endpoints" compare "$work/windows.bin"
