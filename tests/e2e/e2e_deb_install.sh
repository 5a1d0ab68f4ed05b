#!/usr/bin/env bash
# Installs the Debian package with apt, checks what it puts on the machine, and runs the installed
# /usr/bin/Staleguard as an ordinary user: the program's folder is not writable for that user, so
# the watch list file and the row map file must live in the per-user data folder. The package is
# removed again at the end. Needs root or passwordless sudo (exit 77 otherwise).
# STALEGUARD_DEB names a ready .deb to test instead of building one with scripts/package.
set -euo pipefail

source_dir=${STALEGUARD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
app_id=com.quillfen.Staleguard
program=/usr/bin/Staleguard

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
else
    skip "installing a package needs root or passwordless sudo"
fi
command -v apt-get >/dev/null || skip "apt-get is not available"
# Two runs at once (from two build trees) would remove the package under each other's feet.
exec 9>/tmp/staleguard-e2e-deb-install.lock
flock -w 1500 9 || fail "another run of this test holds /tmp/staleguard-e2e-deb-install.lock"
if dpkg-query -W -f='${Status}' staleguard 2>/dev/null | grep -q "install ok installed"; then
    skip "a staleguard package is installed already; remove it first (sudo apt remove staleguard)"
fi

# Under /tmp, which the unprivileged user can reach whatever TMPDIR says.
work=$(mktemp -d -p /tmp staleguard-deb.XXXXXX)
chmod 755 "$work"
installed=false
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid" 2>/dev/null || true
    fi
    if $installed; then
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q -o DPkg::Lock::Timeout=300 \
            staleguard >"$work/remove.log" 2>&1 || {
            cat "$work/remove.log"
            echo "could not remove the staleguard package" >&2
        }
    fi
    "${as_root[@]}" rm -rf "$work"
}
trap cleanup EXIT

# --- The package
if [ -n "${STALEGUARD_DEB:-}" ]; then
    deb=$(realpath "$STALEGUARD_DEB")
else
    echo "== Building the package"
    "$source_dir/scripts/package" >"$work/package.log" 2>&1 || {
        cat "$work/package.log"
        fail "scripts/package failed"
    }
    deb=$(ls "$source_dir"/build/package/staleguard_*.deb)
fi
[ -f "$deb" ] || fail "no package at $deb"

echo "== Installing $deb"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 "$deb" \
    >"$work/install.log" 2>&1 || {
    cat "$work/install.log"
    fail "apt-get could not install the package"
}
installed=true

# --- What the package laid out
desktop=/usr/share/applications/$app_id.desktop
metainfo=/usr/share/metainfo/$app_id.metainfo.xml
[ -x "$program" ] || fail "$program is missing or not executable"
[ -f "$desktop" ] || fail "no launcher at $desktop"
[ -f "$metainfo" ] || fail "no metainfo at $metainfo"
desktop-file-validate "$desktop" || fail "the launcher does not validate"
appstreamcli validate --no-net "$metainfo" || fail "the metainfo does not validate"

man_page=/usr/share/man/man1/Staleguard.1.gz
units=(/usr/lib/systemd/user/staleguard-check.service /usr/lib/systemd/user/staleguard-check.timer)
[ -s "$man_page" ] || fail "no manual page at $man_page"
for unit in "${units[@]}"; do
    [ -f "$unit" ] || fail "no systemd user unit at $unit"
done
grep -q "^ExecStart=$program --check$" "${units[0]}" || fail "the service does not run $program --check"
# What monitoring systems load from the package, where the README and the manual page say.
for shipped in /usr/share/staleguard/prometheus/staleguard.rules.yml /usr/share/staleguard/icinga2/staleguard.conf; do
    [ -s "$shipped" ] || fail "nothing at $shipped"
done
grep -q '"/usr/bin/Staleguard"' /usr/share/staleguard/icinga2/staleguard.conf ||
    fail "the installed CheckCommand does not run /usr/bin/Staleguard"
if command -v systemd-analyze >/dev/null; then
    mkdir -p "$work/verify-runtime"
    chmod 700 "$work/verify-runtime"
    # Documentation=man: is looked up with man when it is there.
    man_check=--man=yes
    command -v man >/dev/null || man_check=--man=no
    said=$(XDG_RUNTIME_DIR=$work/verify-runtime systemd-analyze --user "$man_check" verify "${units[@]}" 2>&1) ||
        fail "systemd-analyze rejects the installed units: $said"
    [ -z "$said" ] || fail "systemd-analyze warns about the installed units: $said"
fi

exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ "$(command -v "$exec_name")" = "$program" ] || fail "the launcher starts '$exec_name', not $program"
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
for icon in /usr/share/icons/hicolor/scalable/apps/$icon_name.svg /usr/share/icons/hicolor/48x48/apps/$icon_name.png; do
    [ -s "$icon" ] || fail "the launcher's icon $icon is missing"
done
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not point at the launcher"
# The window is a module of its own, which the program loads from its library folder.
window_module=$(ls /usr/lib/*/staleguard/staleguard-window.so 2>/dev/null | head -n 1)
[ -n "$window_module" ] || fail "the window module is missing from /usr/lib/<arch>/staleguard/"
for binary in "$program" "$window_module"; do
    if ldd "$binary" | grep -q "not found"; then
        ldd "$binary"
        fail "the package's dependencies leave libraries of $binary unresolved"
    fi
done

# --- Running the installed program as an ordinary user
if [ "$(id -u)" -eq 0 ]; then
    run_as=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups --)
    user=nobody
else
    run_as=()
    user=$(id -un)
fi
home=$work/home
data=$home/.local/share/Quillfen/Staleguard
mkdir -p "$data" "$home/.config" "$home/.cache" "$home/files" "$work/runtime"
chmod 700 "$work/runtime"
watchlist=$data/Staleguard.ini
rowmap=$data/\$Staleguard.ini

own_home() {
    if [ "$(id -u)" -eq 0 ]; then
        chown -R nobody:"$(id -gn nobody)" "$home" "$work/runtime"
    fi
}

start_program() {
    "${run_as[@]}" env -i PATH=/usr/bin:/bin HOME="$home" USER="$user" LOGNAME="$user" LANG=C.UTF-8 \
        XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
        XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
        "$program" >"$work/program.log" 2>&1 &
    pid=$!
}

# The watch list file with one entry on backup.tar, old from 5 days; the arguments are lines for
# its [Settings] section, left out when there are none.
write_watchlist() {
    {
        if [ $# -gt 0 ]; then
            echo '[Settings]'
            printf '%s\n' "$@"
        fi
        cat <<INI
[file 0]
filename=$home/files/backup.tar
days=5
description=Nightly backup
Postponedate=
Notactive=false
non-fixed file type=
advisechanges=false
INI
    } >"$watchlist"
    own_home
}

no_files_beside_program() {
    for name in Staleguard.ini \$Staleguard.ini; do
        [ ! -e "/usr/bin/$name" ] || fail "the program wrote /usr/bin/$name"
    done
}

# The check for scripts, with no display at all: no DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM.
run_check() {
    "${run_as[@]}" env -i PATH=/usr/bin:/bin HOME="$home" USER="$user" LOGNAME="$user" LANG=C.UTF-8 \
        XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$work/runtime" \
        "$program" --check "$@"
}

echo "== $program --check as $user, with no display"
own_home
status=0
run_check >"$work/check.out" 2>"$work/check.err" || status=$?
[ "$status" = 3 ] || fail "--check without a watch list ended with $status, not 3"
grep -qx "Staleguard: the watch list \"$watchlist\" does not exist" "$work/check.err" || {
    cat "$work/check.err"
    fail "--check without a watch list did not say which file it missed"
}
touch -d '10 days ago' "$home/files/backup.tar"
write_watchlist
cp "$watchlist" "$work/watchlist.before"
status=0
run_check --format nagios >"$work/check.out" 2>"$work/check.err" || status=$?
[ "$status" = 2 ] || {
    cat "$work/check.out" "$work/check.err"
    fail "--check on an old file ended with $status, not 2"
}
case $(head -n 1 "$work/check.out") in
"STALEGUARD CRITICAL - 1 old | old=1;;0;0;1 "*) ;;
*)
    cat "$work/check.out"
    fail "--check --format nagios did not report the old file"
    ;;
esac
[ ! -s "$work/check.err" ] || fail "--check wrote to standard error: $(cat "$work/check.err")"
cmp -s "$watchlist" "$work/watchlist.before" || fail "--check changed the watch list file"
[ ! -e "$rowmap" ] || fail "--check wrote the row map file"
if command -v man >/dev/null; then
    LANG=C.UTF-8 man -P cat Staleguard 2>/dev/null | grep -q -- '--check' || fail "man Staleguard does not show the manual page"
fi

# An entry whose file is 10 days old against a limit of 5: the start-up check lists it and
# writes its row into the row map file beside the watch list file.
touch -d '10 days ago' "$home/files/backup.tar"
write_watchlist

echo "== Starting $program as $user on a watch list with an old file"
start_program
for _ in $(seq 1 600); do
    [ -e "$rowmap" ] && break
    kill -0 "$pid" 2>/dev/null || {
        cat "$work/program.log"
        fail "the program ended before it wrote the row map file"
    }
    sleep 0.1
done
[ -e "$rowmap" ] || {
    cat "$work/program.log"
    fail "no row map file appeared in $data within 60 s"
}
sleep 0.5
grep -qi '^\[tempfile 0\]' "$rowmap" && grep -q '^realnumber=0' "$rowmap" || {
    cat "$rowmap"
    fail "the row map file does not map the old file's row to entry 0"
}
kill -0 "$pid" 2>/dev/null || fail "the program ended while it had an old file to show"
no_files_beside_program
kill -TERM "$pid"
wait "$pid" || true
pid=

# Nothing to report and "Close on Start" on: the program counts down and ends by its own Exit
# command, which removes the row map file left by the run above.
touch "$home/files/backup.tar"
write_watchlist 'Close on Start=true'

echo "== Starting $program with nothing to report and Close on Start"
start_program
status=timeout
for _ in $(seq 1 600); do
    if ! kill -0 "$pid" 2>/dev/null; then
        status=0
        wait "$pid" || status=$?
        pid=
        break
    fi
    sleep 0.1
done
[ "$status" = 0 ] || {
    cat "$work/program.log"
    fail "the program did not end by itself with status 0 within 60 s (status: $status)"
}
[ ! -e "$rowmap" ] || fail "the row map file is still there after the program ended"
grep -q "^description=Nightly backup" "$watchlist" || fail "the watch list file lost its entry"
[ -f "$home/.config/Quillfen/Staleguard.conf" ] || fail "no window positions in the per-user configuration"
no_files_beside_program

echo "PASS: the installed program keeps its data in $data"
