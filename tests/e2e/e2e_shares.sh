#!/usr/bin/env bash
# A share that stops answering, made for real with a FUSE file system whose calls under hang/ wait
# until released: `--check` in every format ends within --timeout with the right state for every
# entry, a share that fails (EACCES, EIO, ENOTCONN) is "cannot be reached" and never "no longer
# exists", one stuck share holds one stuck helper however many checks run, the README's textfile
# script still publishes the report, and the window shows, asks nothing and ends at once on Esc.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"
source "$(dirname "${BASH_SOURCE[0]}")/blockfs.sh"

readme=${STALEGUARD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}/README.md
share=$WORK/share
control=$WORK/control
mkdir -p "$WORK/backing/hang" "$WORK/local"
touch -d '10 days ago' "$WORK/backing/hang/backup.tar" "$WORK/local/archive.tar"
touch "$WORK/local/diary.txt"
blockfs_start "$WORK/backing" "$share" "$control"
# Whatever happens, the share goes before the folders do: removing them would walk into it.
trap 'blockfs_stop "$share"; cleanup' EXIT

app=$(install_program app)
cat >"$app/Staleguard.ini" <<INI
[Settings]
Share timeout=2
Close on Start=false
Start in Tray=false

[file 0]
filename=$WORK/local/diary.txt
days=5
description=Diary

[file 1]
filename=$WORK/local/archive.tar
days=5
description=Archive

[file 2]
filename=$share/denied/accounts.ods
days=5
description=Accounts

[file 3]
filename=$share/ioerror.log
days=5
description=Log

[file 4]
filename=$share/gone/photos.zip
days=5
description=Photos

# Last: once the share stops answering, the rest of the check takes it as not answering.
[file 5]
filename=$share/hang/backup.tar
days=5
description=Backup
INI
cp "$app/Staleguard.ini" "$WORK/stored.ini"

# Runs the check as a monitoring engine would, and waits for it as its parent; sets CODE, OUT, TOOK.
check() {
    local start=$SECONDS
    (cd "$app" && env -u DISPLAY ./Staleguard --check "$@") >"$WORK/out" 2>"$WORK/err" &
    local pid=$!
    wait "$pid"
    CODE=$?
    TOOK=$((SECONDS - start))
    OUT=$(cat "$WORK/out")
}

echo "== --check with a share that fails"
blockfs_release "$control"
check --timeout 4
[ "$OUT" = "Archive is 10 days old
Accounts cannot be reached
Log cannot be reached
Photos cannot be reached
Backup is 10 days old
Accounts cannot be reached: $share/denied/accounts.ods (Permission denied)
Log cannot be reached: $share/ioerror.log (Input/output error)
Photos cannot be reached: $share/gone/photos.zip (Transport endpoint is not connected)" ] || fail "the text report is:
$OUT"
check --timeout 4 --watch-list "$share/denied/Staleguard.ini"
[ "$CODE" = 3 ] && grep -q 'cannot be read: Permission denied' "$WORK/err" ||
    fail "an unreadable watch list on a share gave $CODE: $(cat "$WORK/err")"

echo "== --check with a share that does not answer"
blockfs_block "$control"
for format in text json nagios prometheus; do
    check --timeout 4 --format "$format"
    [ "$TOOK" -le 5 ] || fail "--format $format took $TOOK s with --timeout 4"
    [ "$CODE" = 2 ] || fail "--format $format ended with $CODE, not 2 (Archive is old): $(cat "$WORK/err")"
    case $format in
    text)
        expected="Archive is 10 days old
Accounts cannot be reached
Log cannot be reached
Photos cannot be reached
Backup cannot be reached
Accounts cannot be reached: $share/denied/accounts.ods (Permission denied)
Log cannot be reached: $share/ioerror.log (Input/output error)
Photos cannot be reached: $share/gone/photos.zip (Transport endpoint is not connected)
Backup cannot be reached: $share/hang/backup.tar (No answer within 2 s)"
        [ "$OUT" = "$expected" ] || fail "the text report is:
$OUT"
        ;;
    json)
        # The share is known to hang now: nothing on it is asked again.
        states=$(echo "$OUT" | jq -r '.entries[] | "\(.description) \(.state) \(.error // "")"')
        [ "$states" = "Diary ok 
Archive old 
Accounts unreachable No answer within 2 s
Log unreachable No answer within 2 s
Photos unreachable No answer within 2 s
Backup unreachable No answer within 2 s" ] || fail "the JSON states are:
$states"
        ;;
    nagios)
        first=$(echo "$OUT" | head -n 1)
        [ "${first%% |*}" = "STALEGUARD CRITICAL - 1 old, 4 unreachable, 1 ok" ] ||
            fail "the status line is $first"
        echo "$first" | grep -q ' unreachable=4;;;0;6 ' || fail "no unreachable perfdata: $first"
        ;;
    prometheus)
        [ "$(echo "$OUT" | grep -c '^staleguard_entry_unreachable{.*} 1$')" = 4 ] ||
            fail "not four unreachable samples:
$OUT"
        ;;
    esac
done

echo "== one stuck helper, however many checks"
# The first run left its helper stuck on the share; later runs see that and do not wait again.
check --timeout 4
[ "$TOOK" -le 1 ] || fail "a check waited $TOOK s again on a share known to hang"
stuck=$(pgrep -c -f 'staleguard-query$' || true)
[ "$stuck" = 1 ] || fail "$stuck helpers are stuck on the share"

echo "== the README's textfile script publishes a report with unreachable entries"
awk '$0 == "<!-- example: textfile -->" { found = 1; next }
     found && /^```/ { if (inside) exit; inside = 1; next }
     inside { print }' "$readme" | sed "s|^dir=.*|dir=$WORK/collector|" >"$WORK/textfile.sh"
mkdir -p "$WORK/collector"
(cd "$app" && PATH="$app:$PATH" sh "$WORK/textfile.sh") || fail "the textfile script failed"
grep -q "^staleguard_entry_unreachable{entry=\"5\",description=\"Backup\"} 1$" "$WORK/collector/staleguard.prom" ||
    fail "the collector's file has no unreachable Backup"

echo "== the window, started while the share hangs"
# A share not yet known to hang, so that the start-up check itself meets it.
blockfs_release "$control"
wait_for 10 eval '[ "$(pgrep -c -f "staleguard-query\$" || true)" = 0 ]' || fail "the stuck helper did not end"
blockfs_block "$control"
start_display
run_program "$app"
pid=$LAST_PID
main=""
wait_for 10 eval 'main=$(visible_window "^Staleguard - "); [ -n "$main" ]' || fail "the main window did not show"
[ -z "$(visible_window '^Staleguard$')" ] || fail "a question was asked"
sleep 1
shot shares
[ "$(grep -c '^realnumber=' "$app/\$Staleguard.ini")" = 5 ] || fail "the list does not show 5 rows: $(cat "$app/\$Staleguard.ini")"
xdotool windowactivate --sync "$main" key Escape || fail "could not press Esc"
wait_for 3 eval '! kill -0 "$pid" 2>/dev/null' || fail "Esc did not end the program within 3 s"
cmp -s "$app/Staleguard.ini" "$WORK/stored.ini" || fail "the watch list changed: $(diff "$WORK/stored.ini" "$app/Staleguard.ini")"

echo "== the share answers again"
blockfs_release "$control"
wait_for 10 eval '[ "$(pgrep -c -f "staleguard-query\$" || true)" = 0 ]' || fail "the stuck helper did not end"
check --timeout 4 --format json
state=$(echo "$OUT" | jq -r '.entries[] | select(.description == "Backup") | .state')
[ "$state" = old ] || fail "Backup is $state once the share answers"

echo "PASS: a share that stops answering stops nothing; screenshot in $SHOTS"
