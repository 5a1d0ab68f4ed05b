#!/usr/bin/env bash
# On a real X display: an old entry whose job, a script, makes its file fresh. The editor shows the
# command, and "Run the Job Now" on the row's pop-up runs it: the row then leaves the list without
# the user refreshing it. A job still running when the program ends goes on, and one that the
# program saw start is not started a second time while it runs. The editor and the pop-up are
# photographed into the e2e folder.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

shown_entries() {
    awk -F= '/^realnumber=/ {print $2}' "$app/\$Staleguard.ini" 2>/dev/null | tr '\n' ' ' | sed 's/ $//'
}

start_display
app=$(install_program app)
# The job takes a moment, so that a second "Run the Job Now" comes while it runs; it counts its runs.
cat >"$app/make backup" <<'SH'
#!/bin/sh
echo run >>"$2"
sleep 2
echo "writing $1" >&2
touch "$1"
SH
chmod 700 "$app/make backup"
touch -d "10 days ago" "$app/backup.tar"
# Quoted as the editor stores it: the file's own pair of quotes around the value comes off.
cat >"$app/Staleguard.ini" <<INI
[Settings]
Close on Start=false
Check every=0

[file 0]
filename=$app/backup.tar
days=3
description=Nightly backup
job=""$app/make backup" "$app/backup.tar" "$app/runs""
INI
chmod 600 "$app/Staleguard.ini"

run_program "$app"
pid=$LAST_PID
main=""
wait_for 30 eval 'main=$(visible_window "^Staleguard - "); [ -n "$main" ]' || fail "the main window did not show"
xdotool windowmove "$main" 40 40
sleep 1
[ "$(shown_entries)" = "0" ] || fail "the old entry is not listed: '$(shown_entries)'"
menubar=$(($(xwininfo -id "$main" | awk '/Height:/ {print $2}') - 181))

# The editor shows the command and the box.
xdotool mousemove --window "$main" 40 $((menubar + 14)) click 1
sleep 0.7
xdotool key --clearmodifiers Escape
sleep 0.3
xdotool key --clearmodifiers ctrl+e
editor=""
wait_for 20 eval 'editor=$(visible_window "Add file to your list"); [ -n "$editor" ]' || fail "Ctrl+E did not open the editor"
xdotool windowmove "$editor" 60 60
sleep 1
import -window "$editor" "$SHOTS/job-editor.png" || fail "no screenshot of the editor"
xdotool windowactivate --sync "$editor" key --clearmodifiers alt+F4
wait_for 10 eval '[ -z "$(visible_window "Add file to your list")" ]' || fail "the editor did not close"

# The pop-up offers the job; J runs it.
xdotool windowactivate --sync "$main"
xdotool mousemove --window "$main" 40 $((menubar + 14)) click 1
sleep 1
shot job-popup
xdotool key --clearmodifiers j
wait_for 10 test -s "$app/runs" || fail "the job did not start"
# While it runs, the pop-up's item cannot start it again.
xdotool mousemove --window "$main" 40 $((menubar + 14)) click 1
sleep 0.7
xdotool key --clearmodifiers j
sleep 0.3
xdotool key --clearmodifiers Escape
wait_for 20 eval '[ -z "$(shown_entries)" ]' || fail "the row did not leave after the job made the file fresh: '$(shown_entries)'"
[ "$(wc -l <"$app/runs")" -eq 1 ] || fail "the job ran $(wc -l <"$app/runs") times"
shot job-done
[ -n "$(visible_window "^Staleguard$")" ] && fail "a message box showed for a job that went well"

# A job still running when the program ends goes on, in a session of its own.
touch -d "10 days ago" "$app/backup.tar"
xdotool windowactivate --sync "$main" key --clearmodifiers F5
wait_for 10 eval '[ "$(shown_entries)" = "0" ]' || fail "F5 did not list the old file again"
xdotool mousemove --window "$main" 40 $((menubar + 14)) click 1
sleep 0.7
xdotool key --clearmodifiers j
wait_for 10 eval '[ "$(wc -l <"$app/runs")" -eq 2 ]' || fail "the job did not start a second time"
job=$(pgrep -f "make backup" | head -n1)
[ -n "$job" ] || fail "the job is not running"
[ "$(ps -o sid= -p "$job" | tr -d ' ')" != "$(ps -o sid= -p "$pid" | tr -d ' ')" ] || fail "the job is in the program's session"
xdotool windowactivate --sync "$main" key --clearmodifiers Escape
wait_for 20 eval '! kill -0 "$pid" 2>/dev/null' || fail "Esc did not end the program"
kill -0 "$job" 2>/dev/null || fail "the job ended with the program"
wait_for 10 eval '[ "$(find "$app/backup.tar" -mmin -1)" ]' || fail "the job did not finish after the program ended"
echo "PASS: screenshots in $SHOTS"
