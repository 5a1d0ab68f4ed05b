#!/usr/bin/env bash
# On a real X display with a real notification daemon (dunst) on a private session bus: a watch list
# file that others may change names a job for an old file, set to run by itself. Nothing runs: not
# from the row's pop-up, not by itself at a check of its own, and not from `Staleguard --check`; the
# editor says why.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/privatebus.sh"

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"
source "$(dirname "${BASH_SOURCE[0]}")/notifyd.sh"

start_display
start_notification_daemon
app=$(install_program app)
touch -d "10 days ago" "$app/backup.tar"
# A second, fresh file: made old, it is told of by a check that ran to the end.
touch "$app/report.txt"
cat >"$app/backup" <<SH
#!/bin/sh
echo run >>"$app/runs"
SH
chmod 700 "$app/backup"
cat >"$app/Staleguard.ini" <<INI
[Settings]
Close on Start=false
Check every=1

[file 0]
filename=$app/backup.tar
days=3
description=Nightly backup
job=$app/backup
job when late=true

[file 1]
filename=$app/report.txt
days=3
description=Weekly report
INI
chmod 664 "$app/Staleguard.ini"

"$app/Staleguard" --check --watch-list "$app/Staleguard.ini" >/dev/null
[ -e "$app/runs" ] && fail "--check ran the job"

run_program "$app"
pid=$LAST_PID
main=""
wait_for 30 eval 'main=$(visible_window "^Staleguard - "); [ -n "$main" ]' || fail "the main window did not show"
xdotool windowmove "$main" 40 40
sleep 1
menubar=$(($(xwininfo -id "$main" | awk '/Height:/ {print $2}') - 181))
# The pop-up's item is there but cannot be chosen.
xdotool mousemove --window "$main" 40 $((menubar + 14)) click 1
sleep 1
shot job-unsafe-popup
xdotool key --clearmodifiers j
sleep 0.5
xdotool key --clearmodifiers Escape
sleep 0.5
xdotool key --clearmodifiers ctrl+e
editor=""
wait_for 20 eval 'editor=$(visible_window "Add file to your list"); [ -n "$editor" ]' || fail "Ctrl+E did not open the editor"
sleep 1
import -window "$editor" "$SHOTS/job-unsafe-editor.png" || fail "no screenshot of the editor"
xdotool windowactivate --sync "$editor" key --clearmodifiers alt+F4
wait_for 10 eval '[ -z "$(visible_window "Add file to your list")" ]' || fail "the editor did not close"
xdotool windowactivate --sync "$main"

# A check of its own, with the window idle, brought on by the report going old. It tells of the
# report just before it would start late jobs; a job started then would write to its file within
# seconds.
touch -d "10 days ago" "$app/report.txt"
wait_for 20 notification_came "Weekly report is 10 days old" ||
    fail "no check told of the report gone old: $(notification_bodies)"
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the program ended"
[ -e "$app/runs" ] && fail "the job ran from a watch list others may change"
grep -q '^job started=' "$app/Staleguard.ini" && fail "a start was noted"
echo "PASS: nothing ran; screenshots in $SHOTS"
