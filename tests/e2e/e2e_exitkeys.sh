#!/usr/bin/env bash
# On a real X display: Enter and Esc press the Exit button wherever the focus is in the main
# window: on the list, on a selected row (once the row's pop-up menu, which the click opens, is
# closed) and on the Exit button.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

main_window() {
    xdotool search --onlyvisible --name '^Staleguard - ' 2>/dev/null | head -n1
}

windows() {
    xdotool search --onlyvisible --class Staleguard 2>/dev/null | wc -l
}

start_display
dir=$(install_program app)
touch -d "10 days ago" "$dir/backup.tar"
printf '[Settings]\nStart in Tray=false\nClose on Start=false\n[file 0]\nfilename=%s\ndays=5\ndescription=Backup\n' \
    "$dir/backup.tar" >"$dir/Staleguard.ini"

for focus in list row exit; do
    for key in Escape Return KP_Enter; do
        run_program "$dir"
        pid=$LAST_PID
        wait_for 30 eval '[ -n "$(main_window)" ]' || fail "$focus/$key: the main window did not appear"
        main=$(main_window)
        xdotool windowactivate --sync "$main"
        eval "$(xdotool getwindowgeometry --shell "$main")"
        # The list starts 8 pixels into the client area; its one row is about 16 pixels high.
        case $focus in
        list | exit)
            xdotool mousemove 0 0 mousemove --sync $((X + 40)) $((Y + 100)) click 1
            [ "$focus" = exit ] && xdotool key Tab
            ;;
        row)
            xdotool mousemove 0 0 mousemove --sync $((X + 40)) $((Y + 16)) click 1
            wait_for 5 eval '[ "$(windows)" -gt 1 ]' || fail "$focus/$key: a click on the row opened no pop-up"
            xdotool key Escape
            wait_for 5 eval '[ "$(windows)" -eq 1 ]' || fail "$focus/$key: Esc did not close the pop-up"
            ;;
        esac
        sleep 0.3
        kill -0 "$pid" 2>/dev/null || fail "$focus/$key: the program ended before the key"
        xdotool key "$key"
        wait_for 5 eval '! kill -0 "$pid" 2>/dev/null' || fail "$focus/$key: the key did not press Exit"
        wait "$pid"
        code=$?
        [ "$code" -eq 0 ] || fail "$focus/$key: the program ended with $code"
    done
done
echo "e2e_exitkeys: passed"
