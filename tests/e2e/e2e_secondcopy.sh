#!/usr/bin/env bash
# A second copy started while the first runs asks whether to run; No ends it at once without
# touching the watch list file, the row map file or the per-user settings.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

start_display
app=$(install_program app)
touch -d "9 days ago" "$app/backup.tar"
printf '[file 0]\nfilename=%s\ndays=7\ndescription=Nightly backup\n' "$app/backup.tar" >"$app/Staleguard.ini"

export RUNTIME_DIR="$app/runtime" # both copies belong to the same user
run_program "$app" first
first=$LAST_PID
main=""
wait_for 30 eval 'main=$(visible_window "^Staleguard - "); [ -n "$main" ]' || fail "the first copy did not show"
# In the tray the first copy stays out of the way: no focus coming back to it, no refresh of its own.
xdotool windowminimize "$main"
wait_for 10 eval '! xwininfo -id "$main" | grep -q IsViewable' || fail "the first copy did not go to the tray"
sleep 1

state() {
    (cd "$app" && find . -path ./runtime -prune -o -type f -printf '%p %s %T@\n' | sort && md5sum Staleguard.ini '$Staleguard.ini')
}
before=$(state)

run_program "$app" second
second=$LAST_PID
box=""
wait_for 30 eval 'box=$(visible_window "^Staleguard$"); [ -n "$box" ]' || fail "the second copy did not ask"
shot secondcopy
xdotool windowactivate --sync "$box" key n || fail "could not answer"
wait_for 10 eval '! kill -0 "$second" 2>/dev/null' || fail "the second copy did not end"
wait "$second"
code=$?
[ "$code" -eq 0 ] || fail "the second copy ended with $code"
after=$(state)
[ "$before" = "$after" ] || fail "files changed: $(diff <(echo "$before") <(echo "$after"))"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
echo PASS
