#!/usr/bin/env bash
# Measures the real program from outside, under Xvfb and openbox: time to a visible window, CPU per
# frame of an unheld animation and the seconds its 261 frames take, CPU while idle and while a
# frame is held, and peak resident memory. CPU time is the process's own, from /proc.
#
# Then, in ROUNDS rounds whose order alternates, the all-in CPU per frame of an unheld animation of
# the program, of the floor (bench_floor: Qt repainting the plot's per-frame rectangle at the same
# pace, painting nothing), of the usual pattern (bench_floor --blit: a posted update and a blit
# from a ready image) and of matplotlib computing and blitting the same frames without a display,
# and the program's ratio to each: median, minimum and maximum over the rounds. With
# BASELINE_PROGRAM set, another build of the program (make bench BASELINE=commit) takes part in
# the rounds too, and the program's ratio to it is given the same way. All-in is the
# client's CPU, every thread, plus the X server's over the same span: while one client animates,
# the server works for it alone. matplotlib has no server to pay; its figure is its own.
#   usage: bench/measure-e2e.sh PROGRAM FLOOR [JSON-OUTPUT]
#   ROUNDS (default 5) sets the rounds; PYTHON (default /usr/bin/python3, Debian's, which has
#   matplotlib) the interpreter of bench/matplotlib_frames.py. With PERF_DATA set, one more
#   animation of the program is recorded there with perf, call graphs included (Debian's Qt has
#   no frame pointers, so they are unwound from copies of the stack): see `perf report -i`.
set -euo pipefail

fail() {
    echo "measure-e2e: $*" >&2
    exit 2
}

[ $# -ge 2 ] || fail "usage: measure-e2e.sh PROGRAM FLOOR [JSON-OUTPUT]"
program=$(realpath "$1")
baseline=${BASELINE_PROGRAM:+$(realpath "$BASELINE_PROGRAM")}
floor=$(realpath "$2")
output=${3:-}
rounds=${ROUNDS:-5}
python=${PYTHON:-/usr/bin/python3}
matplotlib_frames=$(dirname "$(realpath "$0")")/matplotlib_frames.py
frames=261

[[ $rounds =~ ^[1-9][0-9]*$ ]] || fail "ROUNDS must be a positive number, not '$rounds'"
for file in "$program" "$floor" ${baseline:+"$baseline"}; do
    [ -x "$file" ] || fail "$file is not an executable; build it first"
done
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (make bench installs it)"
done
"$python" -c 'import matplotlib' 2>/dev/null ||
    fail "$python cannot import matplotlib (Debian's python3-matplotlib; make bench installs it)"
if [ -n "${PERF_DATA:-}" ]; then
    command -v perf >/dev/null || fail "perf is not installed (linux-perf; make bench installs it)"
fi

scratch=$(mktemp -d)
pids=()
cleanup() {
    # Newest first: the clients before the window manager, and the server last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and names it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x1040x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
pids+=("$xvfb")
for _ in $(seq 200); do
    [ -s "$scratch/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || fail "Xvfb did not start"
    sleep 0.05
done
[ -s "$scratch/display" ] || fail "Xvfb named no display within 10 s"
DISPLAY=:$(head -n 1 "$scratch/display")
export DISPLAY
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.3

now() { date +%s.%N; }
# CPU time of every thread of a process, in nanoseconds.
cpu_ns() { awk '{ sum += $1 } END { printf "%d\n", sum }' /proc/"$1"/task/*/schedstat; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

# The visible window of a process, once it has one. Polled rather than found with --sync, which
# looks only twice a second.
window_of() {
    local pid=$1 window='' deadline=$((SECONDS + 10))
    while [ -z "$window" ]; do
        kill -0 "$pid" 2>/dev/null || fail "process $pid ended before it showed a window"
        ((SECONDS < deadline)) || fail "process $pid showed no window within 10 s"
        window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1) || true
    done
    echo "$window"
}

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
run_button() { click "$1" 670 22; }
start_box() { click "$1" 643 101; }

# Waits until a process has used no CPU for a while; it was busy until the last moment it did.
# Prints its CPU time then, in nanoseconds, and that moment.
until_quiet() {
    local pid=$1 last_busy last_cpu cpu
    last_busy=$(now)
    last_cpu=$(cpu_ns "$pid")
    while :; do
        sleep 0.005
        kill -0 "$pid" 2>/dev/null || fail "process $pid ended in the middle of a measurement"
        cpu=$(cpu_ns "$pid")
        if [ "$cpu" -ne "$last_cpu" ]; then
            last_cpu=$cpu
            last_busy=$(now)
        elif awk -v a="$last_busy" -v b="$(now)" 'BEGIN { exit !(b - a > 0.4) }'; then
            break
        fi
    done
    echo "$last_cpu $last_busy"
}

# Clicks RUN of a window and waits for the animation to end. Prints the process's CPU, the X
# server's over the same span, both in nanoseconds, and the seconds the animation took.
animate() {
    local pid=$1 window=$2 before x_before clicked cpu last_busy
    # Activated beforehand, so that the change of the active window is not counted.
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    sleep 0.3
    before=$(cpu_ns "$pid")
    x_before=$(cpu_ns "$xvfb")
    run_button "$window"
    clicked=$(now)
    read -r cpu last_busy < <(until_quiet "$pid")
    echo "$((cpu - before)) $(($(cpu_ns "$xvfb") - x_before)) $(elapsed "$clicked" "$last_busy")"
}

start=$(now)
"$program" >/dev/null 2>&1 &
pid=$!
pids+=("$pid")
window=$(window_of "$pid")
visible=$(now)
sleep 0.5

# Idle: no run at all.
idle_before=$(cpu_ns "$pid")
sleep 2
idle_cpu=$(($(cpu_ns "$pid") - idle_before))

# An unheld animation: START unchecked, then RUN.
start_box "$window"
sleep 0.3
read -r run_cpu _ run_seconds < <(animate "$pid" "$window")

# A held frame: START checked again, then RUN draws the first frame and holds it.
start_box "$window"
sleep 0.3
run_button "$window"
sleep 0.5
held_before=$(cpu_ns "$pid")
sleep 3
held_cpu=$(($(cpu_ns "$pid") - held_before))
peak_kb=$(awk '/VmHWM/ { print $2 }' /proc/"$pid"/status)

# Released, the held run goes on to its end; START stays unchecked for the rounds.
start_box "$window"
until_quiet "$pid" >/dev/null

"$floor" >/dev/null 2>&1 &
floor_pid=$!
pids+=("$floor_pid")
floor_window=$(window_of "$floor_pid")
"$floor" --blit >/dev/null 2>&1 &
blit_pid=$!
pids+=("$blit_pid")
blit_window=$(window_of "$blit_pid")
# One below the other rather than overlapping: each window is wholly visible, and the clicks meant
# for one never land on another.
xdotool windowmove "$window" 0 0 windowmove "$floor_window" 0 260 windowmove "$blit_window" 0 520
subjects=(program floor blit matplotlib)
if [ -n "$baseline" ]; then
    "$baseline" >/dev/null 2>&1 &
    baseline_pid=$!
    pids+=("$baseline_pid")
    baseline_window=$(window_of "$baseline_pid")
    xdotool windowmove "$baseline_window" 0 780
    sleep 0.5
    start_box "$baseline_window"
    subjects+=(baseline)
fi
sleep 0.5

# All-in milliseconds per frame of one animation, and the X server's share of it.
measure() {
    local cpu x
    case $1 in
    program) read -r cpu x _ < <(animate "$pid" "$window") ;;
    floor) read -r cpu x _ < <(animate "$floor_pid" "$floor_window") ;;
    blit) read -r cpu x _ < <(animate "$blit_pid" "$blit_window") ;;
    baseline) read -r cpu x _ < <(animate "$baseline_pid" "$baseline_window") ;;
    matplotlib)
        "$python" "$matplotlib_frames" | awk '{ print $4, 0 }'
        return
        ;;
    esac
    awk -v cpu="$cpu" -v x="$x" -v frames="$frames" \
        'BEGIN { printf "%.4f %.4f\n", (cpu + x) / 1e6 / frames, x / 1e6 / frames }'
}

: >"$scratch/rounds"
for ((r = 1; r <= rounds; r++)); do
    # Every other round in the reverse order, so that a drift in the machine's load evens out.
    order=()
    for ((i = 0; i < ${#subjects[@]}; i++)); do
        if ((r % 2 == 0)); then
            order+=("${subjects[-1 - i]}")
        else
            order+=("${subjects[i]}")
        fi
    done
    declare -A all=([baseline]=0) x_share=([baseline]=0)
    for subject in "${order[@]}"; do
        read -r "all[$subject]" "x_share[$subject]" < <(measure "$subject")
    done
    echo "$r ${all[program]} ${x_share[program]} ${all[floor]} ${x_share[floor]}" \
        "${all[blit]} ${x_share[blit]} ${all[matplotlib]} ${all[baseline]}" \
        "${x_share[baseline]}" >>"$scratch/rounds"
done

if [ -n "${PERF_DATA:-}" ]; then
    perf record --quiet -F 10000 --call-graph dwarf,16384 -p "$pid" -o "$PERF_DATA" 2>"$scratch/perf" &
    perf=$!
    pids+=("$perf")
    sleep 1
    kill -0 "$perf" 2>/dev/null || fail "perf record failed: $(cat "$scratch/perf")"
    animate "$pid" "$window" >/dev/null
    # Stopped as with Ctrl+C, it writes its data and exits with the signal's status.
    kill -INT "$perf"
    wait "$perf" || true
    [ -s "$PERF_DATA" ] || fail "perf record wrote nothing: $(cat "$scratch/perf")"
fi

click "$window" 672 172 # CLOSE
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && fail "CLOSE did not end the program"

awk -v start="$start" -v visible="$visible" -v idle="$idle_cpu" -v runcpu="$run_cpu" \
    -v secs="$run_seconds" -v held="$held_cpu" -v peak="$peak_kb" -v frames="$frames" \
    -v out="$output" -v rounds_file="$scratch/rounds" '
function sort(a, n,    i, j, v) {
    for (i = 2; i <= n; i++) {
        v = a[i]
        for (j = i - 1; j >= 1 && a[j] > v; j--) a[j + 1] = a[j]
        a[j + 1] = v
    }
}
# "median min max" of the n values in a, which it sorts.
function spread(a, n) {
    sort(a, n)
    median = n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    return sprintf("%.3f %.3f %.3f", median, a[1], a[n])
}
function json(name, s,    f) {
    split(s, f, " ")
    return sprintf("\"%s\": {\"median\": %s, \"min\": %s, \"max\": %s}", name, f[1], f[2], f[3])
}
BEGIN {
    while ((getline line < rounds_file) > 0) {
        n++
        split(line, f, " ")
        program[n] = f[2]; program_x[n] = f[3]; floor_[n] = f[4]; floor_x[n] = f[5]
        blit[n] = f[6]; blit_x[n] = f[7]; mpl[n] = f[8]; base[n] = f[9]
        to_base[n] = f[9] > 0 ? f[2] / f[9] : 0
        to_floor[n] = f[2] / f[4]
        to_blit[n] = f[6] > 0 ? f[2] / f[6] : 0
        to_mpl[n] = f[2] / f[8]
        own_to_floor[n] = (f[2] - f[3]) / (f[4] - f[5])
        rows = rows sprintf("  %5d  %7.3f (%5.3f)  %7.3f (%5.3f)  %7.3f (%5.3f)  %7.3f", \
                            n, f[2], f[3], f[4], f[5], f[6], f[7], f[8]) \
               (f[9] > 0 ? sprintf("     %7.3f (%5.3f)", f[9], f[10]) : "") "\n"
        json_rows = json_rows (n > 1 ? ", " : "") \
            sprintf("{\"program\": %s, \"program_x\": %s, \"floor\": %s, \"floor_x\": %s, " \
                    "\"blit\": %s, \"blit_x\": %s, \"matplotlib\": %s, \"baseline\": %s, " \
                    "\"baseline_x\": %s}", f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10])
    }
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
    printf "All-in CPU per frame, ms (the X server'\''s part in brackets), alternating rounds\n"
    printf "  %5s  %-15s  %-15s  %-15s  %-10s  %s\n", "round", "program", "floor", "blit", \
        "matplotlib", (base[1] > 0 ? "baseline" : "")
    printf "%s", rows
    r_floor = spread(to_floor, n); r_blit = spread(to_blit, n); r_mpl = spread(to_mpl, n)
    r_own = spread(own_to_floor, n)
    p_program = spread(program, n); p_floor = spread(floor_, n)
    p_blit = spread(blit, n); p_mpl = spread(mpl, n)
    printf "Ratios over %d rounds       median    min    max\n", n
    split(r_floor, a, " "); printf "  program / floor        %8.2f %6.2f %6.2f\n", a[1], a[2], a[3]
    split(r_blit, a, " "); printf "  program / blit         %8.2f %6.2f %6.2f\n", a[1], a[2], a[3]
    split(r_mpl, a, " "); printf "  program / matplotlib   %8.2f %6.2f %6.2f\n", a[1], a[2], a[3]
    if (base[1] > 0) {
        r_base = spread(to_base, n)
        split(r_base, a, " "); printf "  program / baseline     %8.2f %6.2f %6.2f\n", a[1], a[2], a[3]
    }
    split(r_own, a, " "); printf "  the same, X server left out:\n"
    printf "  program / floor        %8.2f %6.2f %6.2f\n", a[1], a[2], a[3]
    if (out != "") {
        printf "{\"startup_ms\": %.1f, \"cpu_ms_per_frame\": %.4f, \"run_seconds\": %.3f, " \
               "\"held_cpu_percent\": %.3f, \"idle_cpu_percent\": %.3f, \"peak_rss_mb\": %.1f, " \
               "\"rounds\": [%s], %s, %s, %s, %s, %s, %s, %s, %s", \
               startup, per_frame, secs, held_pct, idle_pct, peak / 1024, json_rows, \
               json("all_in_ms_program", p_program), json("all_in_ms_floor", p_floor), \
               json("all_in_ms_blit", p_blit), json("cpu_ms_matplotlib", p_mpl), \
               json("program_per_floor", r_floor), json("program_per_blit", r_blit), \
               json("program_per_matplotlib", r_mpl), \
               json("program_per_floor_without_x", r_own) \
               (base[1] > 0 ? ", " json("program_per_baseline", r_base) : "") "}\n" > out
    }
}'
