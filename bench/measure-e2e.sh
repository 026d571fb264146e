#!/usr/bin/env bash
# Measures the real program from outside, under Xvfb: time to a visible window, CPU per frame of
# an unheld animation and the seconds its 261 frames take, CPU while idle and while a frame is
# held, and peak resident memory. CPU time is the process's own, from /proc.
#   usage: bench/measure-e2e.sh PROGRAM [JSON-OUTPUT]
set -euo pipefail

program=$(realpath "$1")
output=${2:-}
frames=261

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "measure-e2e: $tool is not installed" >&2; exit 2; }
done

display=:$((90 + RANDOM % 400))
export DISPLAY=$display
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.05; done
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 0.3
fi

now() { date +%s.%N; }
# CPU time of every thread of the process, in nanoseconds.
cpu_ns() { awk '{ sum += $1 } END { printf "%d\n", sum }' /proc/"$pid"/task/*/schedstat; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

start=$(now)
"$program" >/dev/null 2>&1 &
pid=$!
# Polled here rather than with --sync, which looks only twice a second.
window=
while [ -z "$window" ]; do
    window=$(xdotool search --onlyvisible --name '電子波自己干渉' 2>/dev/null | head -n 1) || true
done
visible=$(now)
sleep 0.5

click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
run() { click 670 22; }
start_box() { click 643 101; }

# Idle: no run at all.
idle_before=$(cpu_ns)
sleep 2
idle_cpu=$(( $(cpu_ns) - idle_before ))

# An unheld animation: START unchecked, then RUN; it has ended once the process has used no CPU
# for a while, and it ended at the last moment it did.
start_box
sleep 0.3
cpu_before=$(cpu_ns)
run
clicked=$(now)
last_busy=$clicked
last_cpu=$cpu_before
while :; do
    sleep 0.005
    cpu=$(cpu_ns)
    if [ "$cpu" -ne "$last_cpu" ]; then
        last_cpu=$cpu
        last_busy=$(now)
    elif awk -v a="$last_busy" -v b="$(now)" 'BEGIN { exit !(b - a > 0.4) }'; then
        break
    fi
done
run_cpu=$(( last_cpu - cpu_before ))
run_seconds=$(elapsed "$clicked" "$last_busy")

# A held frame: START checked again, then RUN draws the first frame and holds it.
start_box
sleep 0.3
run
sleep 0.5
held_before=$(cpu_ns)
sleep 3
held_cpu=$(( $(cpu_ns) - held_before ))

peak_kb=$(awk '/VmHWM/ { print $2 }' /proc/"$pid"/status)
click 672 172  # CLOSE
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && { echo "measure-e2e: CLOSE did not end the program" >&2; exit 1; }
pid=

awk -v start="$start" -v visible="$visible" -v idle="$idle_cpu" -v runcpu="$run_cpu" \
    -v secs="$run_seconds" -v held="$held_cpu" -v peak="$peak_kb" -v frames="$frames" \
    -v out="$output" 'BEGIN {
    startup = (visible - start) * 1000
    per_frame = runcpu / 1e6 / frames
    idle_pct = idle / 2e9 * 100
    held_pct = held / 3e9 * 100
    printf "End to end, under Xvfb\n"
    printf "  start to visible window   %8.1f ms\n", startup
    printf "  CPU per frame, unheld     %8.3f ms\n", per_frame
    printf "  %d frames took            %8.2f s\n", frames, secs
    printf "  CPU while a frame is held %8.2f %% of a core\n", held_pct
    printf "  CPU with no run           %8.2f %% of a core\n", idle_pct
    printf "  peak resident memory      %8.1f MB\n", peak / 1024
    if (out != "") {
        printf "{\"startup_ms\": %.1f, \"cpu_ms_per_frame\": %.4f, \"run_seconds\": %.3f, " \
               "\"held_cpu_percent\": %.3f, \"idle_cpu_percent\": %.3f, \"peak_rss_mb\": %.1f}\n", \
               startup, per_frame, secs, held_pct, idle_pct, peak / 1024 > out
    }
}'
