# Shared by the end-to-end scripts: a private X display with a window manager and a tray host,
# a program folder with a copy of the built program, and cleanup of everything started.
# shellcheck shell=bash

for tool in Xvfb openbox trayer xdotool xwininfo xprop import; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -x "${STALEGUARD_BIN:-}" ] || { echo "SKIP: STALEGUARD_BIN is not set"; exit 77; }

WORK="$(mktemp -d)"
SHOTS="${STALEGUARD_BUILD_DIR:-$WORK}/e2e"
mkdir -p "$SHOTS"
STARTED=()

cleanup() {
    local pid
    for pid in "${STARTED[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${STARTED[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.2
    done
}

# A bare X display, exported as DISPLAY.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
    STARTED+=($!)
    wait_for 20 test -s "$WORK/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$WORK/display")"
}

start_display() {
    start_xvfb
    openbox >/dev/null 2>&1 &
    STARTED+=($!)
    # A tray host started before the window manager has settled can give up at once on a busy
    # machine, so wait for the manager and give the tray host a few chances.
    wait_for 20 window_manager_ready || fail "openbox did not start"
    local attempt
    for attempt in 1 2 3; do
        trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 --SetDockType true \
            --transparent false --tint 0x808080 >/dev/null 2>&1 &
        STARTED+=($!)
        wait_for 15 trayer_window >/dev/null && return 0
        echo "trayer did not show its panel (attempt $attempt)"
        kill "$!" 2>/dev/null
    done
    fail "trayer did not start"
}

window_manager_ready() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# The tray host's panel, into which tray icons are embedded.
trayer_window() {
    local id
    id=$(xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {print $1; exit}')
    [ -n "$id" ] && echo "$id"
}

# The number of windows embedded somewhere below the panel.
tray_icons() {
    xwininfo -tree -id "$(trayer_window)" | grep -c '^ \+0x'
}

# A program folder: $1 is its name; the copy of the program gets per-user folders of its own.
install_program() {
    local dir="$WORK/$1"
    mkdir -p "$dir/config" "$dir/data" "$dir/runtime"
    chmod 700 "$dir/runtime"
    cp "$STALEGUARD_BIN" "$dir/Staleguard"
    cp "$(dirname "$STALEGUARD_BIN")/staleguard-query" "$(dirname "$STALEGUARD_BIN")/staleguard-job" \
        "$(dirname "$STALEGUARD_BIN")/staleguard-window.so" "$dir/"
    echo "$dir"
}

# Starts the program of folder $1 in the background, its output going to $WORK/<$2 or "program">.log;
# its pid is in LAST_PID.
run_program() {
    local dir=$1
    local log="$WORK/${2:-program}.log"
    (cd "$dir" && env QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" \
        XDG_RUNTIME_DIR="${RUNTIME_DIR:-$dir/runtime}" "$dir/Staleguard") >"$log" 2>&1 &
    LAST_PID=$!
    STARTED+=("$LAST_PID")
}

visible_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1
}

shot() {
    import -window root "$SHOTS/$1.png" || fail "no screenshot $1"
}
