#!/usr/bin/env bash
# The Windows build against the Linux build, which share the model and the rasteriser but not
# the maths library: first the pixel end points of every segment of whole runs, then the first
# frame of the real programs, RUN pressed in each, pixel for pixel on the screen.
#   windows-matches-linux.sh LINUX-BUILD FRAME-ENDPOINTS.EXE ELECTRON-WAVE.EXE WINE-RUN
# in an X display.
set -euo pipefail
linux=$(cd "$1" && pwd)
windows_endpoints=$2
windows_program=$3
wine_run=$4
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

"$wine_run" "$windows_endpoints" write "$work/windows.bin"
"$linux/tests/frame_endpoints" compare "$work/windows.bin"

# The first frame, which START holds: the plot's inside, where only the traces differ from white.
plot_inside=631x199+5+5
first_frame() {
    local window=$1 out=$2
    xdotool mousemove --window "$window" 670 22 click 1
    sleep 2
    import -window "$window" -crop "$plot_inside" +repage "$out"
    xdotool mousemove --window "$window" 672 172 click 1  # CLOSE
    wait "${pids[-1]}"
}
find_window() {
    for _ in $(seq 200); do
        xdotool search --onlyvisible --name '電子波自己干渉' 2>/dev/null | head -n 1 && return
        sleep 0.1
    done
    echo "the program's window did not appear" >&2
    return 1
}

QT_QPA_PLATFORM=xcb "$linux/app/electron-wave" &
pids+=($!)
first_frame "$(find_window)" "$work/linux.png"

"$wine_run" "$windows_program" &
pids+=($!)
first_frame "$(find_window)" "$work/windows.png"

differing=$(compare -metric AE "$work/linux.png" "$work/windows.png" /dev/null 2>&1) || true
echo "first frame: $differing of $((631 * 199)) pixels of the plot differ"
[ "$differing" = 0 ]
