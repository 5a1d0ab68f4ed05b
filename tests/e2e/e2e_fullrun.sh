#!/usr/bin/env bash
# Drives Staleguard as a person would, on a real X display with a window manager and a tray host:
# start on a prepared watch list, read the rows, subscribe to a file from the keyboard, postpone a
# row, go to the tray and come back, and exit. A screenshot of every step goes to the build's e2e folder.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"
export LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC

step() { echo "== $*"; }

# The rows the program lists, as entry numbers, in row order, read from its row map file.
shown_entries() {
    awk -F= '/^realnumber=/ {print $2}' "$app/\$Staleguard.ini" 2>/dev/null | tr '\n' ' ' | sed 's/ $//'
}

# Value of key $2 in section $1 of the watch list file.
ini_value() {
    awk -v section="[$1]" -v key="$2" '
        /^\[/ {inside = ($0 == section); next}
        inside && index($0, key "=") == 1 {print substr($0, length(key) + 2); exit}' "$app/Staleguard.ini"
}

# The short date form the program writes in the C locale ("d MMM yyyy").
short_date() { date -d "$1" +"%-d %b %Y"; }

start_display
app=$(install_program app)

step "1. start on a prepared watch list"
mkdir -p "$app/files" "$app/reports"
touch -d "20 days ago" "$app/files/old.txt"
touch "$app/files/fresh.txt" "$app/files/changed.txt"
touch -d "40 days ago" "$app/files/postponed.txt" "$app/files/removed.txt"
touch -d "30 days ago" "$app/reports/january.txt"
touch -d "15 days ago" "$app/reports/february.txt"
touch -d "10 days ago" "$app/files/new.txt"
# A backup job that stopped writing backups but still writes its log.
mkdir -p "$app/backups"
touch -d "20 days ago" "$app/backups/monday.tar.gz"
touch "$app/backups/job.log"
far=$(short_date "300 days")
cat >"$app/Staleguard.ini" <<INI
[Settings]
Start in Tray=false
Close on Start=false

[file 0]
filename=$app/files/old.txt
days=7
description=Old notes

[file 1]
filename=$app/files/fresh.txt
days=7
description=Fresh notes

[file 2]
filename=$app/files/changed.txt
days=30
description=Accounts
advisechanges=true
last date changed=1 Jan 2020 10:00:00

[file 3]
filename=$app/files/postponed.txt
days=7
description=Postponed notes
Postponedate=$far

[file 4]
filename=$app/files/removed.txt
days=7
description=Removed notes
Notactive=true

[file 5]
filename=$app/reports/january.txt
days=10
description=Newest report
non-fixed file type=1

[file 6]
filename=$app/backups/job.log
days=7
description=Nightly backup
non-fixed file type=1
file pattern=*.tar.gz;*.zip
INI

run_program "$app"
pid=$LAST_PID
main=""
wait_for 30 eval 'main=$(visible_window "^Staleguard - "); [ -n "$main" ]' || fail "the main window did not show"
xdotool windowmove "$main" 40 40
sleep 1
shot fullrun-1-start

step "2. the rows shown"
rows=$(shown_entries)
# Old file, changed file, the folder's newest file and the newest backup, which the job's fresh log
# no longer hides; not the fresh, postponed or removed ones.
[ "$rows" = "0 2 5 6" ] || fail "rows shown are entries '$rows', expected '0 2 5 6'"
[ "$(ini_value "file 5" filename)" = "$app/reports/february.txt" ] || fail "the folder entry did not take its newest file"
[ "$(ini_value "file 6" filename)" = "$app/backups/monday.tar.gz" ] || fail "the pattern did not pick the backup"
shot fullrun-2-rows

step "3. subscribe to a new file with the editor"
xdotool windowactivate --sync "$main" key --clearmodifiers ctrl+s
editor=""
wait_for 20 eval 'editor=$(visible_window "Add file to your list"); [ -n "$editor" ]' || fail "Ctrl+S did not open the editor"
xdotool windowactivate --sync "$editor"
sleep 0.5
# Focus starts on Cancel (OK is off until the entry is complete); the tab order goes on to the description.
xdotool key --clearmodifiers Tab
xdotool type --delay 30 "Monthly report"
# On past "Also tell me when this file changes" and "Don't use a fixed filename." to the file label.
xdotool key --clearmodifiers Tab Tab Tab space
dialog=""
wait_for 20 eval 'dialog=$(visible_window "Please Select a file to add"); [ -n "$dialog" ]' || fail "the file label did not open the file dialog"
sleep 0.5
shot fullrun-3-dialog
xdotool type --delay 20 "$app/files/new.txt"
xdotool key --clearmodifiers Return
wait_for 20 eval '[ -z "$(visible_window "Please Select a file to add")" ]' || fail "the file dialog did not take the typed path"
sleep 0.5
# Focus is back on the file label; next in the tab order is the spin button: two days up.
xdotool key --clearmodifiers Tab Up Up
sleep 0.5
shot fullrun-3-editor
# On past the smallest size and the job's command line to OK (the "run when late" box is off
# while there is no job), and press it.
xdotool key --clearmodifiers Tab Tab Tab space
wait_for 20 eval '[ -z "$(visible_window "Add file to your list")" ]' || fail "OK did not close the editor"
# The removed entry's number is free again: the new entry takes it.
[ "$(ini_value "file 4" filename)" = "$app/files/new.txt" ] || fail "the new file was not saved as entry 4"
[ "$(ini_value "file 4" description)" = "Monthly report" ] || fail "description saved as '$(ini_value "file 4" description)'"
[ "$(ini_value "file 4" days)" = "7" ] || fail "days saved as '$(ini_value "file 4" days)', expected 7 (5 and two steps up)"
[ "$(ini_value "file 4" Notactive)" = "false" ] || fail "the new entry is still marked removed"
wait_for 10 eval '[ "$(shown_entries)" = "0 2 4 5 6" ]' || fail "rows after subscribing: '$(shown_entries)'"
sleep 0.5
shot fullrun-3-subscribed

step "4. postpone the first row by one day"
xdotool windowactivate --sync "$main"
# Click the first row; letting go of the button over the list offers the row's pop-up, which Esc closes.
menubar=$(($(xwininfo -id "$main" | awk '/Height:/ {print $2}') - 181))
xdotool mousemove --window "$main" 40 $((menubar + 14)) click 1
sleep 0.7
xdotool key --clearmodifiers Escape
sleep 0.3
xdotool key --clearmodifiers alt+p
sleep 0.7
shot fullrun-4-menu
xdotool key --clearmodifiers 1
wait_for 10 eval '[ "$(shown_entries)" = "2 4 5 6" ]' || fail "rows after postponing: '$(shown_entries)', expected '2 4 5 6'"
[ "$(ini_value "file 0" Postponedate)" = "$(short_date tomorrow)" ] ||
    fail "Postponedate is '$(ini_value "file 0" Postponedate)', expected '$(short_date tomorrow)'"
sleep 0.5
shot fullrun-4-postponed

step "5. minimize to the tray and come back"
icons_before=$(tray_icons)
xdotool windowminimize "$main"
wait_for 20 eval '[ "$(tray_icons)" -gt "$icons_before" ]' || fail "no icon was embedded in the tray"
wait_for 10 eval '[ -z "$(visible_window "^Staleguard - ")" ]' || fail "the window did not leave the screen"
panel=$(trayer_window)
# With rows listed the icon flashes: its picture changes within a few seconds.
first=$(import -window "$panel" rgb:- | md5sum)
changed=no
for _ in $(seq 1 12); do
    sleep 0.25
    [ "$(import -window "$panel" rgb:- | md5sum)" != "$first" ] && changed=yes && break
done
[ "$changed" = yes ] || fail "the tray icon does not flash"
shot fullrun-5-tray
# The program's own icon window, embedded in the panel: its size and place on the screen.
read -r w h x y < <(xwininfo -tree -id "$panel" |
    awk '/"Staleguard": \(/ {split($(NF-1), s, /[x+]/); split($NF, p, /\+/); print s[1], s[2], p[2], p[3]; exit}')
[ -n "${w:-}" ] || fail "no icon window of the program in the tray"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
wait_for 20 eval 'main=$(visible_window "^Staleguard - "); [ -n "$main" ]' || fail "clicking the tray icon did not bring the window back"
wait_for 10 eval '[ "$(tray_icons)" -eq "$icons_before" ]' || fail "the tray icon stayed after the window came back"
sleep 0.5
shot fullrun-5-back

step "6. exit"
xdotool windowactivate --sync "$main" key --clearmodifiers Escape
wait_for 20 eval '! kill -0 "$pid" 2>/dev/null' || fail "Esc did not end the program"
[ ! -e "$app/\$Staleguard.ini" ] || fail "the row map file is still there"
sections=$(grep '^\[' "$app/Staleguard.ini" | tr '\n' ' ')
expected="[Settings] [file 0] [file 1] [file 2] [file 3] [file 4] [file 5] [file 6] "
[ "$sections" = "$expected" ] || fail "watch list sections are '$sections', expected '$expected'"
cp "$app/Staleguard.ini" "$SHOTS/fullrun-watchlist.ini"
echo "PASS: screenshots in $SHOTS"
