#!/usr/bin/env bash
# On a real X display, with a file manager of the test's own on a private session bus: a right
# click on a row and "Show in Folder" must ask the file manager to show that row's file, named by
# a percent-encoded file:// URI although its path holds blanks and letters beyond ASCII. Then the
# list, once nothing needs attention and again over a watch list without entries, must say so
# instead of showing rows. The pop-up and both empty lists are photographed into the e2e folder.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/privatebus.sh"

source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

# As the session's, with what the program and the file manager said.
fail() {
    echo "FAIL: $*"
    [ -f "$WORK/program.log" ] && sed 's/^/  program: /' "$WORK/program.log"
    [ -f "$WORK/filemanager.log" ] && sed 's/^/  file manager: /' "$WORK/filemanager.log"
    exit 1
}

# Debian's modules are only seen by Debian's interpreter, which another on PATH can hide.
for python in python3 /usr/bin/python3 ""; do
    [ -n "$python" ] && "$python" -c 'import dbus, gi' 2>/dev/null && break
done
[ -n "$python" ] || { echo "SKIP: no python3 with dbus and gi (python3-dbus, python3-gi)"; exit 77; }

main_window() {
    xdotool search --onlyvisible --name '^Staleguard - ' 2>/dev/null | head -n1
}

program_windows() {
    xdotool search --onlyvisible --class Staleguard 2>/dev/null | wc -l
}

program_running() {
    kill -0 "$PROGRAM_PID" 2>/dev/null
}

start_program() {
    run_program "$dir"
    PROGRAM_PID=$LAST_PID
    wait_for 60 eval '[ -n "$(main_window)" ]' || fail "the main window did not appear"
    sleep 0.5
}

end_program() {
    xdotool key Escape
    wait_for 30 eval '! program_running' || fail "Esc did not end the program"
}

start_display
record="$WORK/shown.txt"
"$python" "$STALEGUARD_SOURCE_DIR/tests/support/fakefilemanager.py" "$record" >"$WORK/filemanager.log" 2>&1 &
STARTED+=($!)
wait_for 20 grep -q ready "$WORK/filemanager.log" || fail "the file manager did not start"

dir=$(install_program "Program Files")
folder="$dir/Nächte Backup"
file="$folder/état 1.tar"
mkdir -p "$folder"
touch -d "10 days ago" "$file"
printf '[Settings]\nStart in Tray=false\nClose on Start=false\n[file 0]\nfilename=%s\ndays=3\ndescription=Nightly backup\n' \
    "$file" >"$dir/Staleguard.ini"
expected=$("$python" -c 'import sys, urllib.parse; print("file://" + urllib.parse.quote(sys.argv[1], safe="/-._~"))' "$file")

start_program
[ -f "$dir/\$Staleguard.ini" ] || fail "the old file was not listed"
windows=$(program_windows)
# The first row: the menu bar is some 20 pixels high, the list's top 8 pixels below it.
xdotool mousemove --window "$(main_window)" 60 37 click 3
wait_for 10 eval '[ "$(program_windows)" -gt "$windows" ]' || fail "no pop-up after a right click on the row"
sleep 0.5
shot popup
# The item's mnemonic picks it.
xdotool key f
wait_for 10 test -s "$record" || fail "the file manager was not asked to show anything"
shown=$(cat "$record")
[ "$shown" = "$expected" ] || fail "the file manager was asked for '$shown', not '$expected'"

# Nothing needs attention once the file is fresh again: a note, and no row.
touch "$file"
xdotool key F5
wait_for 10 eval '[ ! -f "$dir/\$Staleguard.ini" ]' || fail "F5 left the row listed"
sleep 0.5
shot emptylist
end_program

# A watch list without entries.
printf '[Settings]\nStart in Tray=false\nClose on Start=false\n' >"$dir/Staleguard.ini"
start_program
shot nowatchlist
end_program
[ "$(wc -l <"$record")" -eq 1 ] || fail "the file manager was asked more than once: $(cat "$record")"
echo "PASS: shown $expected; screenshots in $SHOTS"
