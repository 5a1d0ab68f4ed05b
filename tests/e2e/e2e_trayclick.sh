#!/usr/bin/env bash
# On a real X display with a window manager and a tray host: sends Staleguard to the tray, clicks
# its icon and expects the window back with the focus; then sends it there again, opens the icon's
# menu with the right button and leaves through "Exit Staleguard".
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

# As the session's, with what the program said.
fail() {
    echo "FAIL: $*"
    [ -f "$WORK/program.log" ] && sed 's/^/  program: /' "$WORK/program.log"
    exit 1
}

# "x y" of the centre of the first icon embedded in the panel, in screen coordinates.
icon_centre() {
    xwininfo -tree -id "$(trayer_window)" |
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

start_display

# A program folder whose path holds a blank, with one file old enough to be listed.
dir=$(install_program "Program Files")
touch -d "10 days ago" "$dir/backup.tar"
printf '[Settings]\nStart in Tray=false\nClose on Start=false\n[file 0]\nfilename=%s\ndays=5\ndescription=Backup\n' \
    "$dir/backup.tar" >"$dir/Staleguard.ini"
run_program "$dir"
PROGRAM_PID=$LAST_PID

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
