#!/usr/bin/env bash
# How long Staleguard takes from its start to its main window on the screen, with an empty watch
# list and with 10,000 entries (files 30 days old, so that every entry has a row in the list), on a
# virtual display (Xvfb). A start is timed from just before the process is started until a window
# named "Staleguard - ..." is mapped and viewable (xdotool, asked every 5 ms); the program is then
# ended before the next start.
# Two desktops: with a window manager (openbox), whose reparenting may leave the splash unexposed
# until the check is over, and without one, where the splash is on the screen, and drawn, during
# the whole check.
# Target: 10,000 entries within 4 times the empty list, by the medians.
#
# Usage: bench/window_start.sh PROGRAM [BASELINE-PROGRAM]. The window's module and the query helper
# are taken from beside each program. Starts of each: WINDOW_START_RUNS (default 7), taken in turn.
set -euo pipefail

program=$(realpath "${1:?usage: $0 PROGRAM [BASELINE-PROGRAM]}")
baseline=${2:+$(realpath "$2")}
runs=${WINDOW_START_RUNS:-7}
for tool in Xvfb openbox xdotool xprop dbus-run-session; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing" >&2
        exit 1
    }
done

source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
unset WAYLAND_DISPLAY

# A display of its own, numbered away from the ones people and other tests take first; not reset
# when its last client leaves, which would turn the next start away.
display=$((100 + $$ % 400))
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 100); do
    xprop -root >/dev/null 2>&1 && break
    sleep 0.1
done
xprop -root >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# Starts openbox and waits until it manages the screen.
start_openbox() {
    openbox --sm-disable >/dev/null 2>&1 &
    openbox_pid=$!
    pids+=("$openbox_pid")
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return
        sleep 0.1
    done
    echo "openbox did not start" >&2
    exit 1
}

mkdir -p "$work/files"
(cd "$work/files" && seq -f 'file-%06g.dat' 0 9999 | xargs touch -d '30 days ago')
settings=$'[Settings]\nStart in Tray=false\nClose on Start=false\n'

# A program folder $1 with a copy of program $2, its module and helper, and a watch list of $3 entries.
make_folder() {
    local dir="$work/$1" from
    from=$(dirname "$2")
    mkdir -p "$dir/config" "$dir/data" "$dir/runtime"
    chmod 700 "$dir/runtime"
    cp "$2" "$dir/Staleguard"
    cp "$from/staleguard-window.so" "$from/staleguard-query" "$dir/"
    {
        printf '%s\n' "$settings"
        seq 0 $(($3 - 1)) | awk -v dir="$work/files" '{
            printf "[file %d]\nfilename=%s/file-%06d.dat\ndays=7\ndescription=Report number %d\n\n", $1, dir, $1, $1 }'
    } >"$dir/Staleguard.ini"
}

# Milliseconds from the start of the program in folder $1 to its main window on the screen.
start_ms() {
    local dir="$work/$1" start pid
    start=$EPOCHREALTIME
    (cd "$dir" && exec env QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" \
        XDG_RUNTIME_DIR="$dir/runtime" ./Staleguard) >>"$dir.log" 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --name '^Staleguard - ' >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "$1: ended before its window showed" >&2; cat "$dir.log" >&2; exit 1; }
        sleep 0.005
    done
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f\n", (b - a) * 1000 }'
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

# The median of the numbers on standard input, one blank apart.
median() {
    tr ' ' '\n' | grep . | sort -n |
        awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

names=("program")
programs=("$program")
if [ -n "$baseline" ]; then
    names+=("baseline")
    programs+=("$baseline")
fi
cases=()
for i in "${!programs[@]}"; do
    make_folder "${names[$i]}-empty" "${programs[$i]}" 0
    make_folder "${names[$i]}-10000" "${programs[$i]}" 10000
    cases+=("${names[$i]}-empty" "${names[$i]}-10000")
done

declare -A times
for desktop in openbox none; do
    [ "$desktop" = openbox ] && start_openbox
    for round in $(seq 1 "$runs"); do
        line="$desktop, round $round:"
        for c in "${cases[@]}"; do
            ms=$(start_ms "$c")
            times[$desktop $c]="${times[$desktop $c]:-} $ms"
            line+=" $c $ms ms"
        done
        echo "$line"
    done
    if [ "$desktop" = openbox ]; then
        kill "$openbox_pid"
        wait "$openbox_pid" 2>/dev/null || true
    fi
done

echo
echo "== From start to the main window on the screen, median of $runs starts (Xvfb)"
printf '%-28s %12s %16s %8s\n' "" "empty list" "10,000 entries" "ratio"
for desktop in openbox none; do
    for i in "${!programs[@]}"; do
        empty=$(median <<<"${times[$desktop ${names[$i]}-empty]}")
        full=$(median <<<"${times[$desktop ${names[$i]}-10000]}")
        wm=$([ "$desktop" = openbox ] && echo "openbox" || echo "no window manager")
        printf '%-28s %9s ms %13s ms %8s   (target <= 4)\n' "${names[$i]}, $wm" "$empty" "$full" \
            "$(awk -v a="$full" -v b="$empty" 'BEGIN { printf "%.1f", a / b }')"
    done
done
