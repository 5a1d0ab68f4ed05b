#!/usr/bin/env bash
# Staleguard under a headless Wayland compositor (weston), as on a desktop without a tray:
#  1. started normally, the compositor shows its main window: weston's own scene graph lists a
#     toplevel with our title and desktop file id on its output, and a screenshot is taken;
#  2. started for the tray, which is missing here, it asks the compositor to minimize the window
#     and keeps the window (its toplevel is never destroyed), so the compositor's window list
#     still reaches it;
#  3. a file that goes stale meanwhile gives a desktop notification. dunst cannot draw on weston
#     (it needs the wlr layer shell), so it runs on an X display of its own beside the compositor,
#     on the same private session bus; the program itself never sees that display.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/privatebus.sh"

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"
source "$(dirname "${BASH_SOURCE[0]}")/notifyd.sh"

for tool in weston weston-debug weston-screenshooter; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null ||
    { echo "SKIP: Qt's Wayland platform plugin (qt6-wayland) is not installed"; exit 77; }

fail() {
    echo "FAIL: $*"
    local log
    for log in weston program first dunst; do
        [ -f "$WORK/$log.log" ] && grep -v '^\[[0-9.]*\] ' "$WORK/$log.log" | sed "s/^/  $log: /"
    done
    exit 1
}

# A compositor with a renderer, so that screenshots work, and its debug streams open to clients
# (the scene graph and the screenshooter). Its socket lives in a private runtime folder.
start_compositor() {
    export XDG_RUNTIME_DIR="$WORK/wayland-runtime"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    export WAYLAND_DISPLAY=wayland-staleguard
    weston --backend=headless-backend.so --use-pixman --debug --no-config --idle-time=0 \
        --socket="$WAYLAND_DISPLAY" >"$WORK/weston.log" 2>&1 &
    STARTED+=($!)
    if ! wait_for 20 eval 'scene_graph | grep -q "^Output"'; then
        echo "SKIP: weston did not start"
        sed 's/^/  weston: /' "$WORK/weston.log"
        exit 77
    fi
}

scene_graph() {
    timeout 5 weston-debug scene-graph 2>/dev/null
}

# True when the compositor shows a toplevel with our title and desktop file id on an output.
window_on_output() {
    scene_graph | awk '
        /^\tView/ { ours = /role xdg_toplevel/ && /top-level window .Staleguard - / && /of com\.quillfen\.Staleguard/ }
        ours && /^\t\toutputs: [0-9]/ { found = 1 }
        END { exit !found }'
}

# Runs the program of folder $1 on the compositor alone, logging its side of the protocol to
# $WORK/$2.log; the pid is in LAST_PID.
run_on_wayland() {
    local dir=$1
    (cd "$dir" && env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client XDG_CONFIG_HOME="$dir/config" \
        XDG_DATA_HOME="$dir/data" "$dir/Staleguard") >"$WORK/$2.log" 2>&1 &
    LAST_PID=$!
    STARTED+=("$LAST_PID")
}

# The protocol id of the main window's toplevel in the log $1, once the program has titled it.
main_toplevel() {
    grep -o 'xdg_toplevel@[0-9]*\.set_title("Staleguard - ' "$1" 2>/dev/null | tail -n1 | grep -o '@[0-9]*' | tr -d @
}

# True once the program in log $1 asked to minimize its main window.
asked_to_minimize() {
    local id
    id=$(main_toplevel "$1")
    [ -n "$id" ] && grep -q -- "-> xdg_toplevel@$id\.set_minimized()" "$1"
}

# True while the main window's toplevel in log $1 lives: hiding a window destroys it.
toplevel_alive() {
    local id
    id=$(main_toplevel "$1")
    [ -n "$id" ] && awk -v id="$id" '
        index($0, "xdg_toplevel@" id ".set_title(\"Staleguard - ") { alive = 1 }
        index($0, "-> xdg_toplevel@" id ".destroy()") { alive = 0 }
        END { exit !alive }' "$1"
}

start_compositor
# The display only the notification daemon draws on.
start_xvfb
start_notification_daemon

# 1. The window shows.
first=$(install_program first)
touch -d "9 days ago" "$first/backup.tar"
printf '[Settings]\nStart in Tray=false\nClose on Start=false\n[file 0]\nfilename=%s\ndays=7\ndescription=Nightly backup\n' \
    "$first/backup.tar" >"$first/Staleguard.ini"
run_on_wayland "$first" first
pid=$LAST_PID
wait_for 60 window_on_output || fail "the compositor shows no window titled 'Staleguard - ' with our desktop file id"
sleep 1
(cd "$WORK" && rm -f wayland-screenshot-*.png && weston-screenshooter) && mv "$WORK"/wayland-screenshot-*.png "$SHOTS/wayland-window.png" ||
    fail "weston took no screenshot"
kill "$pid"
wait "$pid" 2>/dev/null

# 2. Started for the tray, with no tray: minimized, never hidden.
app=$(install_program app)
write_going_stale_list "$app"
run_on_wayland "$app" program
pid=$LAST_PID
wait_for 60 asked_to_minimize "$WORK/program.log" || fail "the window was not minimized"
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the program ended"
toplevel_alive "$WORK/program.log" || fail "the minimized window was hidden: no taskbar can bring it back"
[ "$(notifications_seen)" -eq 0 ] || fail "a notification came for a fresh file: $(notification_bodies)"

# 3. The file goes stale while the window waits minimized.
touch -d "10 days ago" "$app/backup.tar"
wait_for 100 eval '[ "$(notifications_seen)" -gt 0 ]' || fail "no notification within 100 s after the file went stale"
sleep 0.5
[ "$(notifications_shown)" -gt 0 ] && shot wayland-notification
dunstctl close-all
summary=$(notification_field summary | sort -u)
body=$(notification_bodies)
[ "$summary" = "Staleguard" ] || fail "the notification's summary is '$summary'"
grep -qx "Nightly backup is 10 days old" <<<"$body" || fail "the notification's body does not name the row: '$body'"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
toplevel_alive "$WORK/program.log" || fail "the check hid the window"
echo "PASS: screenshots in $SHOTS"
