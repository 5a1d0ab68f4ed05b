#!/usr/bin/env bash
# On a real X display with a window manager and a tray host: sends Staleguard to the tray, clicks
# its icon and expects the window back with the focus; then sends it there again, opens the icon's
# menu with the right button and leaves through "Exit Staleguard".
set -uo pipefail

SKIP=77
for tool in Xvfb openbox trayer xdotool xwininfo; do
    command -v "$tool" >/dev/null || {
        echo "e2e_trayclick: skipped: $tool is not installed"
        exit "$SKIP"
    }
done
[ -x "${STALEGUARD_BIN:-}" ] || {
    echo "e2e_trayclick: skipped: STALEGUARD_BIN is not set"
    exit "$SKIP"
}

WORK="$(mktemp -d)"
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
    echo "e2e_trayclick: FAIL: $*" >&2
    [ -f "$WORK/program.log" ] && sed 's/^/  program: /' "$WORK/program.log" >&2
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

panel() {
    xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {print $1; exit}'
}

# "x y" of the centre of the first icon embedded in the panel, in screen coordinates.
icon_centre() {
    xwininfo -tree -id "$(panel)" |
        awk '/^ +0x/ && match($0, /[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+ +\+-?[0-9]+\+-?[0-9]+/) {
                split(substr($0, RSTART, RLENGTH), g, /[ x+]+/)
                if (g[1] > 1 && g[2] > 1) { print g[5] + int(g[1] / 2), g[6] + int(g[2] / 2); exit }
            }'
}

has_icon() {
    [ -n "$(icon_centre)" ]
}

main_window() {
    xdotool search --onlyvisible --name '^Staleguard - ' 2>/dev/null | head -n1
}

window_back() {
    local id
    id=$(main_window)
    [ -n "$id" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ]
}

program_running() {
    kill -0 "$PROGRAM_PID" 2>/dev/null
}

# The display, its window manager and the tray host.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
STARTED+=($!)
wait_for 20 test -s "$WORK/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$WORK/display")"
openbox >/dev/null 2>&1 &
STARTED+=($!)
trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 --SetDockType true \
    --transparent false --tint 0x808080 >/dev/null 2>&1 &
STARTED+=($!)
wait_for 20 eval '[ -n "$(panel)" ]' || fail "trayer did not start"

# A program folder whose path holds a blank, with one file old enough to be listed.
dir="$WORK/Program Files/Staleguard"
mkdir -p "$dir/config" "$dir/data" "$dir/runtime"
chmod 700 "$dir/runtime"
cp "$STALEGUARD_BIN" "$dir/Staleguard"
touch -d "10 days ago" "$dir/backup.tar"
printf '[Settings]\nStart in Tray=false\nClose on Start=false\n[file 0]\nfilename=%s\ndays=5\ndescription=Backup\n' \
    "$dir/backup.tar" >"$dir/Staleguard.ini"

(cd "$dir" && exec env QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" \
    XDG_RUNTIME_DIR="$dir/runtime" "$dir/Staleguard") >"$WORK/program.log" 2>&1 &
PROGRAM_PID=$!
STARTED+=("$PROGRAM_PID")

wait_for 60 eval '[ -n "$(main_window)" ]' || fail "the main window did not appear"
main=$(main_window)
[ -f "$dir/\$Staleguard.ini" ] || fail "the old file was not listed (no row map)"

# To the tray, and back with a left click.
xdotool windowminimize "$main"
wait_for 20 has_icon || fail "no icon was embedded in the tray"
wait_for 20 eval '[ -z "$(main_window)" ]' || fail "the minimized window stayed visible"
read -r x y <<<"$(icon_centre)"
xdotool mousemove --sync "$x" "$y" click 1
wait_for 20 window_back || fail "a left click on the icon did not bring the window back with the focus"
wait_for 20 eval '! has_icon' || fail "the icon stayed in the tray"
state=$(xprop -id "$(main_window)" _NET_WM_STATE 2>/dev/null || true)
case "$state" in
*HIDDEN*) fail "the window came back minimized: $state" ;;
esac

# To the tray again; the right button's menu ends the program through "Exit Staleguard".
xdotool windowminimize "$(main_window)"
wait_for 20 has_icon || fail "no icon the second time"
read -r x y <<<"$(icon_centre)"
xdotool mousemove --sync "$x" "$y" click 3
wait_for 20 eval '[ -n "$(xdotool search --onlyvisible --class Staleguard 2>/dev/null)" ]' ||
    fail "no menu after a right click"
sleep 0.5
# The menu opens without a current item: Down twice reaches "Exit Staleguard", its second item.
xdotool key Down Down Return
wait_for 30 eval '! program_running' || fail "Exit Staleguard did not end the program"
wait "$PROGRAM_PID"
code=$?
[ "$code" -eq 0 ] || fail "the program ended with $code"
[ ! -f "$dir/\$Staleguard.ini" ] || fail "the row map file was left behind"
echo "e2e_trayclick: passed"
