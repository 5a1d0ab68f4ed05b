#!/usr/bin/env bash
# On a real X display with a real notification daemon (dunst) on a private session bus: Staleguard
# sits in the tray over an old backup whose job is set to run by itself. The first check of its own,
# brought on by a change in the backup's folder, starts the job, which fails; its failure, with the
# exit status and the last line it wrote to its error output, reaches the daemon. The checks that
# follow do not start it again, and neither does a check from a script. (Days of such checks, across
# midnight and restarts, run in-process with the clock pinned: tst_jobkeys for the rule,
# tst_jobcommands through the window's own checks and the real watcher.)
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/privatebus.sh"

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"
source "$(dirname "${BASH_SOURCE[0]}")/notifyd.sh"

fail() {
    echo "FAIL: $*"
    [ -f "$WORK/program.log" ] && sed 's/^/  program: /' "$WORK/program.log"
    [ -f "$WORK/dunst.log" ] && sed 's/^/  dunst: /' "$WORK/dunst.log"
    exit 1
}

job_notices() {
    notification_bodies | grep -c '^The job for Nightly backup' || true
}

# The row map, written whole at the end of every check, no longer lists the report (entry 1).
report_row_gone() {
    local map
    map=$(cat "$app/\$Staleguard.ini" 2>/dev/null) && [ -n "$map" ] && ! grep -q '^realnumber=1' <<<"$map"
}

start_display
start_notification_daemon

app=$(install_program app)
write_going_stale_list "$app"
touch -d "10 days ago" "$app/backup.tar"
cat >"$app/backup" <<SH
#!/bin/sh
echo run >>"$app/runs"
echo "rsync: connecting to the backup disk" >&2
echo "rsync: no space left on device" >&2
exit 12
SH
chmod 700 "$app/backup"
# A second, fresh file: made old, its row shows that a check ran to the end.
touch "$app/report.txt"
cat >>"$app/Staleguard.ini" <<INI
job=$app/backup --nightly
job when late=true

[file 1]
filename=$app/report.txt
days=3
description=Weekly report
INI
chmod 600 "$app/Staleguard.ini"

# A check from a script reports the old file and runs nothing.
"$app/Staleguard" --check --watch-list "$app/Staleguard.ini" >/dev/null
[ $? -eq 2 ] || fail "--check did not report the old file"
[ -e "$app/runs" ] && fail "--check ran the job"

icons_before=$(tray_icons)
run_program "$app"
pid=$LAST_PID
# The start-up refresh is the user's: it lists the row and starts nothing.
wait_for 60 eval '[ "$(tray_icons)" -gt "$icons_before" ]' || fail "the program did not go to the tray"
sleep 2
[ -e "$app/runs" ] && fail "the job started with the program, before any check of its own"

# Something else in the backup's folder changes; the check that brings on starts the job.
touch "$app/backup.log"
wait_for 20 test -s "$app/runs" || fail "no check started the job within 20 s of a change in its folder"
wait_for 20 eval '[ "$(notifications_seen)" -gt 0 ]' || fail "no notification came for the failed job"
sleep 0.5
[ "$(notifications_shown)" -gt 0 ] && shot job-failed
dunstctl close-all
body=$(notification_bodies)
grep -qx "The job for Nightly backup ended with exit status 12." <<<"$body" ||
    fail "no notification tells the exit status: '$body'"
grep -qx "It last wrote: rsync: no space left on device" <<<"$body" ||
    fail "the notification does not give the last line: '$body'"
grep -q '^job started=' "$app/Staleguard.ini" || fail "the start was not noted in the watch list"

# Two more checks: the job does not run again today. The first shows it ran to the end by telling of
# the report gone old, which it does just before it starts late jobs; the second, by taking the
# report's row out of the row map. A job started by either would write to its file within seconds.
touch -d "10 days ago" "$app/report.txt"
wait_for 20 notification_came "Weekly report is 10 days old" ||
    fail "no check told of the report gone old: $(notification_bodies)"
touch "$app/report.txt"
wait_for 20 report_row_gone || fail "no check took the report's row away"
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the program ended"
[ "$(wc -l <"$app/runs")" -eq 1 ] || fail "the job ran $(wc -l <"$app/runs") times"
dunstctl close-all
[ "$(job_notices)" -eq 1 ] || fail "the failure was told $(job_notices) times"
echo "PASS: notification in $SHOTS/job-failed.png"
