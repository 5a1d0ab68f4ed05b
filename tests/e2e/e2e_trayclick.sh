#!/usr/bin/env bash
# On a real X display with a window manager and a tray host: the ways into the tray (a start with
# "Start in Tray", a minimize) and the ways back (a left click on the icon, "Open Staleguard" from
# its menu), each with a steady and with a flashing icon. Every way back must bring the window on
# the first try, with the focus after a click, and with the list checked again. Last, the icon's
# menu ends the program through "Exit Staleguard".
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

STARTS=${TRAY_STARTS:-10}
ROUNDS=${TRAY_ROUNDS:-10}

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

# The program's own icon window, mapped inside the panel: from then on it takes clicks.
icon_ready() {
    local id
    id=$(xwininfo -tree -id "$(trayer_window)" | awk '/"Staleguard": \(/ {print $1; exit}')
    [ -n "$id" ] && xwininfo -id "$id" | grep -q IsViewable
}

# Waits until the icon can be clicked, and a moment more, as a hand needs to see it first.
wait_icon_ready() {
    wait_for 30 icon_ready || return 1
    sleep 0.3
}

main_window() {
    xdotool search --onlyvisible --name '^Staleguard - ' 2>/dev/null | head -n1
}

window_active() {
    local id
    id=$(main_window)
    [ -n "$id" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ]
}

program_running() {
    kill -0 "$PROGRAM_PID" 2>/dev/null
}

# As a hand clicks: the pointer onto the icon, the button held for 100 ms.
press_icon() {
    local x y
    read -r x y <<<"$(icon_centre)"
    # From elsewhere: a synchronous move to where the pointer already is never returns.
    xdotool mousemove 0 0 mousemove --sync "$x" "$y" mousedown "$1"
    sleep 0.1
    xdotool mouseup "$1"
}

# The file listed when it is old ($1 = old) or not (anything else); the list shows it when old,
# and the row map file exists exactly while the list has rows.
age_file() {
    if [ "$1" = old ]; then touch -d "10 days ago" "$dir/backup.tar"; else touch "$dir/backup.tar"; fi
}

list_shows() {
    if [ "$1" = old ]; then [ -f "$dir/\$Staleguard.ini" ]; else [ ! -f "$dir/\$Staleguard.ini" ]; fi
}

# Brings the window back from the tray the way $1 says (click or menu). False when the window did
# not come back within 3 s, with the focus after a click.
way_back() {
    if [ "$1" = click ]; then
        press_icon 1
        wait_for 3 window_active
        return
    fi
    press_icon 3
    wait_for 3 eval '[ -n "$(xdotool search --onlyvisible --class Staleguard 2>/dev/null)" ]' || return 1
    sleep 0.3
    # The menu opens without a current item: Down reaches "Open Staleguard", its first item.
    xdotool key Down Return
    wait_for 3 eval '[ -n "$(main_window)" ]'
}

# Checks the window after a way back: the icon gone, not minimized, the list as the file is now.
check_back() {
    wait_for 10 eval '! has_icon' || fail "$1: the icon stayed in the tray"
    local state
    state=$(xprop -id "$(main_window)" _NET_WM_STATE 2>/dev/null || true)
    case "$state" in
    *HIDDEN*) fail "$1: the window came back minimized: $state" ;;
    esac
    wait_for 10 list_shows "$2" || fail "$1: the list was not checked again on the way back"
}

write_watch_list() {
    printf '[Settings]\nStart in Tray=%s\nClose on Start=false\n[file 0]\nfilename=%s\ndays=5\ndescription=Backup\n' \
        "$1" "$dir/backup.tar" >"$dir/Staleguard.ini"
}

start_display

# A program folder whose path holds a blank.
dir=$(install_program "Program Files")

# Fresh starts in the tray, each answered by one left click; the last one comes back through the
# menu. Odd starts have nothing to report (a steady icon), even ones an old file (a flashing one);
# the file changes while the program sits in the tray.
misses=0
write_watch_list true
for ((i = 1; i <= STARTS + 1; i++)); do
    way=click
    [ "$i" -gt "$STARTS" ] && way=menu
    before=new after=old
    [ $((i % 2)) -eq 0 ] && before=old after=new
    age_file "$before"
    run_program "$dir"
    PROGRAM_PID=$LAST_PID
    wait_icon_ready || fail "start $i: no icon was embedded in the tray"
    wait_for 10 list_shows "$before" || fail "start $i: the start-up check did not list the file"
    [ -z "$(main_window)" ] || fail "start $i: the window showed although it starts in the tray"
    age_file "$after"
    if ! way_back "$way"; then
        misses=$((misses + 1))
        echo "start $i ($before file, back by $way): the window did not come back"
        kill "$PROGRAM_PID"
        wait "$PROGRAM_PID" 2>/dev/null
        continue
    fi
    check_back "start $i" "$after"
    xdotool key Escape
    wait_for 10 eval '! program_running' || fail "start $i: Esc did not end the program"
done
echo "starts in the tray: $misses of $((STARTS + 1)) ways back missed"
[ "$misses" -eq 0 ] || fail "$misses of $((STARTS + 1)) ways back from a start in the tray missed"

# One program, minimized and clicked back again and again, the icon flashing every other round.
write_watch_list false
age_file old
run_program "$dir"
PROGRAM_PID=$LAST_PID
wait_for 60 eval '[ -n "$(main_window)" ]' || fail "the main window did not appear"
for ((i = 1; i <= ROUNDS; i++)); do
    now=old
    [ $((i % 2)) -eq 0 ] && now=new
    xdotool windowminimize "$(main_window)"
    wait_icon_ready || fail "round $i: no icon was embedded in the tray"
    wait_for 20 eval '[ -z "$(main_window)" ]' || fail "round $i: the minimized window stayed visible"
    age_file "$now"
    if ! way_back click; then
        misses=$((misses + 1))
        echo "round $i: the window did not come back"
        wait_for 10 eval '[ -n "$(main_window)" ]' || fail "round $i: the window is lost"
        continue
    fi
    check_back "round $i" "$now"
done
echo "minimize rounds: $misses of $ROUNDS clicks missed"
[ "$misses" -eq 0 ] || fail "$misses of $ROUNDS clicks after a minimize missed"

# To the tray again; the right button's menu ends the program through "Exit Staleguard".
age_file old
xdotool key F5
wait_for 10 list_shows old || fail "F5 did not list the old file"
xdotool windowminimize "$(main_window)"
wait_icon_ready || fail "no icon the last time"
press_icon 3
wait_for 20 eval '[ -n "$(xdotool search --onlyvisible --class Staleguard 2>/dev/null)" ]' ||
    fail "no menu after a right click"
sleep 0.3
# Down twice reaches "Exit Staleguard", the menu's second item.
xdotool key Down Down Return
wait_for 30 eval '! program_running' || fail "Exit Staleguard did not end the program"
wait "$PROGRAM_PID"
code=$?
[ "$code" -eq 0 ] || fail "the program ended with $code"
[ ! -f "$dir/\$Staleguard.ini" ] || fail "the row map file was left behind"
echo "e2e_trayclick: passed"
