#!/usr/bin/env bash
# On a real X display with a tray host and a real notification daemon (dunst) on a private session
# bus: Staleguard starts in the tray with two fresh files; the first file's time is then set back
# past its threshold, and a desktop notification naming the row must arrive while the window stays
# in the tray. The notification is photographed into the e2e folder. When the second file goes old
# too, the check that tells of it does not tell of the first row again.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/privatebus.sh"

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"
source "$(dirname "${BASH_SOURCE[0]}")/notifyd.sh"

# As the session's, with what the program and the daemon said.
fail() {
    echo "FAIL: $*"
    [ -f "$WORK/program.log" ] && sed 's/^/  program: /' "$WORK/program.log"
    [ -f "$WORK/dunst.log" ] && sed 's/^/  dunst: /' "$WORK/dunst.log"
    exit 1
}

start_display
start_notification_daemon

app=$(install_program app)
write_going_stale_list "$app"
touch "$app/report.txt"
cat >>"$app/Staleguard.ini" <<INI

[file 1]
filename=$app/report.txt
days=3
description=Weekly report
INI

icons_before=$(tray_icons)
run_program "$app"
pid=$LAST_PID
wait_for 60 eval '[ "$(tray_icons)" -gt "$icons_before" ]' || fail "the program did not go to the tray"
sleep 1
[ -z "$(visible_window '^Staleguard - ')" ] || fail "the window showed although it starts in the tray"
[ "$(notifications_seen)" -eq 0 ] || fail "a notification came for a fresh file: $(notification_bodies)"
icon_flashing && fail "the icon flashes with nothing to report"

# The file now ages past its threshold while nobody looks.
touch -d "10 days ago" "$app/backup.tar"
wait_for 100 eval '[ "$(notifications_seen)" -gt 0 ]' ||
    fail "no notification within 100 s after the file went stale"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
sleep 0.5
[ "$(notifications_shown)" -gt 0 ] && shot notification
dunstctl close-all

summary=$(notification_field summary | sort -u)
body=$(notification_bodies)
[ "$summary" = "Staleguard" ] || fail "the notification's summary is '$summary'"
grep -qx "Nightly backup is 10 days old" <<<"$body" || fail "the notification's body does not name the row: '$body'"
[ -f "$SHOTS/notification.png" ] || fail "the notification left the screen before it could be photographed"

# Told, but left where it was: no window, and the icon now flashes for the new row.
[ -z "$(visible_window '^Staleguard - ')" ] || fail "the check showed the window"
[ "$(tray_icons)" -gt "$icons_before" ] || fail "the icon left the tray"
wait_for 10 icon_flashing || fail "the icon does not flash for the new row"

# The same row is no news: the next check tells of the report alone.
touch -d "10 days ago" "$app/report.txt"
wait_for 20 notification_came "Weekly report is 10 days old" ||
    fail "no notification within 20 s after the report went stale: $(notification_bodies)"
[ "$(notifications_seen)" -eq 2 ] && [ "$(notification_bodies | grep -cx 'Nightly backup is 10 days old')" -eq 1 ] ||
    fail "the same row was told about again: $(notification_bodies)"
echo "PASS: notification in $SHOTS/notification.png"
