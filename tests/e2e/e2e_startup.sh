#!/usr/bin/env bash
# Starts Staleguard on a real X display with a window manager and a tray host, photographs the
# splash, the main window and the tray, and sends the window to the tray.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

start_display
app=$(install_program app)
touch -d "9 days ago" "$app/backup.tar"
# The second entry's file is gone: its question keeps the splash up long enough to photograph it.
cat >"$app/Staleguard.ini" <<INI
[Settings]
Start in Tray=false
Close on Start=false

[file 0]
filename=$app/backup.tar
days=7
description=Nightly backup

[file 1]
filename=$app/gone.txt
days=3
description=Old report
INI

run_program "$app"
pid=$LAST_PID

box=""
wait_for 30 eval 'box=$(visible_window "^Staleguard$"); [ -n "$box" ]' || fail "no missing-file question"
xdotool windowmove "$box" 0 0
sleep 1
shot splash
xdotool windowactivate --sync "$box" key Return || fail "could not answer the question"

main=""
wait_for 30 eval 'main=$(visible_window "^Staleguard - "); [ -n "$main" ]' || fail "the main window did not show"
sleep 1
shot mainwindow
grep -q "Notactive=true" "$app/Staleguard.ini" || fail "Yes did not remove the missing entry"
grep -q "realnumber=0" "$app/\$Staleguard.ini" || fail "the row map does not list the old backup"

icons_before=$(tray_icons)
xdotool windowminimize "$main"
wait_for 20 eval '[ "$(tray_icons)" -gt "$icons_before" ]' ||
    fail "no icon was embedded in the tray"
wait_for 10 eval '! xwininfo -id "$main" | grep -q IsViewable' || fail "the window did not leave the screen"
sleep 1.5
shot tray
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "PASS: screenshots in $SHOTS"
