#!/usr/bin/env bash
# What Staleguard costs while it sits idle with 10,000 entries in 100 folders and nothing changing:
# the CPU time (utime + stime of /proc/PID/stat, threads included) it uses over IDLE_SECONDS
# (default 60) once its start-up check is over, started for the tray on the offscreen platform.
#
# Compared, all running at the same time on the same files:
#  - "checks on":       PROGRAM with the default settings (every background check on, "Check every"
#                       empty, so 60 minutes);
#  - "check every = 0": PROGRAM with "Check every" = 0 (the timed check off; the midnight timer,
#                       the folder watch and the sleep signal stay);
#  - "baseline":        BASELINE-PROGRAM, a build of the program from before the background checks
#                       were wired into the window, with the same watch list. Without it, the
#                       "check every = 0" run stands in as the baseline.
# Target: "checks on" within 1.05 times the baseline. CPU time comes in ticks (10 ms on Linux), so
# a difference of one tick is within the measurement, whatever the ratio says.
#
# Usage: bench/idle_cost.sh PROGRAM [BASELINE-PROGRAM]. Rounds: IDLE_ROUNDS (default 3).
set -euo pipefail

program=$(realpath "${1:?usage: $0 PROGRAM [BASELINE-PROGRAM]}")
baseline=${2:+$(realpath "$2")}
seconds=${IDLE_SECONDS:-60}
rounds=${IDLE_ROUNDS:-3}

# No notification server is on the bus.
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
unset DISPLAY WAYLAND_DISPLAY
tick_ms=$((1000 / $(getconf CLK_TCK)))

# 10,000 files in 100 folders, all 30 days old, so that every entry has a row.
mkdir -p "$work/files"
for k in $(seq 0 99); do
    mkdir "$work/files/d$k"
    (cd "$work/files/d$k" && seq -f "file-$k-%03g.dat" 0 99 | xargs touch -d '30 days ago')
done
entries=$(find "$work/files" -type f | sort |
    awk '{ printf "[file %d]\nfilename=%s\ndays=7\ndescription=Report number %d\nadvisechanges=false\n\n", NR - 1, $0, NR - 1 }')

# A program folder $1 with a copy of program $2 and the watch list, "Settings" lines in $3.
make_folder() {
    local dir="$work/$1"
    mkdir -p "$dir/config" "$dir/data" "$dir/runtime"
    chmod 700 "$dir/runtime"
    cp "$2" "$dir/Staleguard"
    printf '[Settings]\nStart in Tray=true\nClose on Start=false\n%s\n%s\n' "$3" "$entries" >"$dir/Staleguard.ini"
}

# The CPU time of process $1 so far, in ticks.
cpu_ticks() {
    awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

names=("checks on" "check every = 0")
make_folder on "$program" ""
make_folder off "$program" "Check every=0"
folders=(on off)
if [ -n "$baseline" ]; then
    names+=("baseline")
    make_folder base "$baseline" ""
    folders+=(base)
fi

declare -A total
for round in $(seq 1 "$rounds"); do
    pids=()
    for dir in "${folders[@]}"; do
        rm -f "$work/$dir/\$Staleguard.ini"
        (cd "$work/$dir" && exec env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/$dir/config" \
            XDG_DATA_HOME="$work/$dir/data" XDG_RUNTIME_DIR="$work/$dir/runtime" ./Staleguard) \
            >"$work/$dir.log" 2>&1 &
        pids+=($!)
    done
    # Idle means the start-up check is over: the row map is written and the CPU time stands still.
    for i in "${!folders[@]}"; do
        dir=${folders[$i]}
        for _ in $(seq 120); do
            [ -f "$work/$dir/\$Staleguard.ini" ] && break
            sleep 0.5
        done
        [ -f "$work/$dir/\$Staleguard.ini" ] || { echo "${names[$i]}: no start-up check" >&2; cat "$work/$dir.log" >&2; exit 1; }
        last=-1
        for _ in $(seq 60); do
            now=$(cpu_ticks "${pids[$i]}")
            [ "$now" = "$last" ] && break
            last=$now
            sleep 1
        done
    done
    sleep 2
    start=()
    for i in "${!folders[@]}"; do start+=("$(cpu_ticks "${pids[$i]}")"); done
    sleep "$seconds"
    line="round $round:"
    for i in "${!folders[@]}"; do
        kill -0 "${pids[$i]}" 2>/dev/null || { echo "${names[$i]} ended while idle" >&2; exit 1; }
        used=$(($(cpu_ticks "${pids[$i]}") - start[i]))
        total[$i]=$((${total[$i]:-0} + used))
        line+=$(printf '  %s %d ms' "${names[$i]}" $((used * tick_ms)))
    done
    echo "$line"
    for pid in "${pids[@]}"; do kill "$pid"; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
done

echo
echo "== Idle CPU time over $seconds s, 10,000 entries in 100 folders, mean of $rounds rounds (tick $tick_ms ms)"
ref=$((${#folders[@]} - 1))
for i in "${!folders[@]}"; do
    awk -v name="${names[$i]}" -v t="${total[$i]}" -v r="$rounds" -v ms="$tick_ms" \
        'BEGIN { printf "%-20s %8.1f ms\n", name, t * ms / r }'
done
awk -v a="${total[0]}" -v b="${total[$ref]}" -v r="$rounds" -v ms="$tick_ms" -v base="${names[$ref]}" 'BEGIN {
    verdict = (a <= b * 1.05 + r) ? "met" : "MISSED"
    if (b > 0) printf "checks on / %s: %.2f", base, a / b
    else printf "checks on / %s: no baseline time to divide by", base
    printf "  (target <= 1.05, or within one tick per round: %.1f ms)  %s\n", (a - b) * ms / r, verdict
}'
