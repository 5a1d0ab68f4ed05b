# Shared by the end-to-end scripts that expect desktop notifications: a real notification daemon,
# dunst, on the session bus the script runs under, and what it has received. Source it after
# xsession.sh; dunst draws on the X display in DISPLAY.
# shellcheck shell=bash

for tool in dunst dunstctl jq; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

# Starts dunst with a configuration of its own: notifications stay on screen until closed, so that
# they can be photographed, and closing them keeps them in the history that `dunstctl history` reads.
# A daemon that does not come up is the machine's problem, not the program's: the script is skipped.
start_notification_daemon() {
    cat >"$WORK/dunstrc" <<'CONF'
[global]
    font = DejaVu Sans 11
    origin = top-right
    offset = 10x10
    width = 420
    frame_width = 2
    idle_threshold = 0
    show_indicators = no
    history_length = 50
[urgency_low]
    timeout = 0
[urgency_normal]
    timeout = 0
[urgency_critical]
    timeout = 0
CONF
    env -u WAYLAND_DISPLAY dunst -config "$WORK/dunstrc" >"$WORK/dunst.log" 2>&1 &
    STARTED+=($!)
    if ! wait_for 20 notification_daemon_ready; then
        echo "SKIP: dunst did not start"
        sed 's/^/  dunst: /' "$WORK/dunst.log"
        exit 77
    fi
}

# Asks the bus only: dunstctl would have the bus start a daemon of its own, without a display.
notification_daemon_ready() {
    dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2>/dev/null | grep -q true
}

# What the daemon holds: on screen, and closed or timed out.
notifications_shown() {
    dunstctl count displayed
}

notifications_seen() {
    echo $(($(dunstctl count displayed) + $(dunstctl count waiting) + $(dunstctl count history)))
}

# A field of the notifications in the history, newest first, one per line.
notification_field() {
    dunstctl history | jq -r ".data[0][].$1.data"
}

notification_bodies() {
    notification_field body
}

# True once a notification with the body $1 has come. Only closed ones can be read, so it closes
# those on screen.
notification_came() {
    dunstctl close-all
    notification_bodies | grep -qx "$1"
}

# True when the tray host's panel changes while watched for a little over the flash interval.
icon_flashing() {
    local panel i
    panel=$(trayer_window) || return 1
    for i in 1 2 3 4 5; do
        import -window "$panel" rgb:- 2>/dev/null | md5sum
        sleep 0.35
    done | sort -u | awk 'END { exit !(NR > 1) }'
}

# A watch list for the tray, checked every minute, with one fresh file that a test can make stale:
# "Nightly backup", 3 days allowed, in APP/backup.tar.
write_going_stale_list() {
    local app=$1
    touch "$app/backup.tar"
    cat >"$app/Staleguard.ini" <<INI
[Settings]
Start in Tray=true
Close on Start=false
Check every=1

[file 0]
filename=$app/backup.tar
days=3
description=Nightly backup
INI
}
