#!/usr/bin/env bash
# Runs the examples of README's "Checking from scripts and monitoring" as they are written there:
# the cron line, the systemd units (checked with systemd-analyze), the shipped Icinga 2
# CheckCommand that the README's example includes, and the node_exporter textfile script. No
# display is used.
set -euo pipefail

source_dir=${STALEGUARD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
build_dir=${STALEGUARD_BUILD_DIR:?run from ctest, or set STALEGUARD_BUILD_DIR}
built=${STALEGUARD_BIN:?run from ctest, or set STALEGUARD_BIN}
readme=$source_dir/README.md

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export TZ=UTC
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The code block that follows "<!-- example: NAME -->" in the README.
example() {
    awk -v marker="<!-- example: $1 -->" '
        $0 == marker { found = 1; next }
        found && /^```/ { if (inside) exit; inside = 1; next }
        inside { print }' "$readme"
}

# The program as an installed copy would be found: on PATH, with its watch list beside it.
mkdir -p "$work/bin" "$work/files"
cp "$built" "$work/bin/Staleguard"
export PATH="$work/bin:$PATH"
watchlist=$work/bin/Staleguard.ini
touch -d '10 days ago' "$work/files/backup.tar"
touch "$work/files/notes.txt"
old_list="[file 0]
filename=$work/files/backup.tar
description=Backup
days=5"
fresh_list="[file 0]
filename=$work/files/notes.txt
description=Notes
days=5"

echo "== cron"
cron=$(example cron)
[ -n "$cron" ] || fail "no cron example in the README"
command=$(echo "$cron" | awk '{ for (i = 6; i <= NF; i++) printf "%s%s", $i, (i < NF ? " " : "\n") }')
echo "$old_list" >"$watchlist"
status=0
out=$(sh -c "$command") || status=$?
[ "$status" = 2 ] || fail "cron's command ended with $status on an old file, not 2"
[ "$out" = "Backup is 10 days old" ] || fail "cron's command printed '$out'"
echo "$fresh_list" >"$watchlist"
out=$(sh -c "$command") || fail "cron's command failed with nothing to report"
[ -z "$out" ] || fail "cron's command printed '$out' with nothing to report, so cron would mail it"

echo "== systemd"
systemd=$(example systemd)
unit=$(echo "$systemd" | sed -n 's/^systemctl --user enable --now \(.*\)\.timer$/\1/p')
[ -n "$unit" ] || fail "the systemd example enables no timer"
echo "$systemd" | grep -qx "journalctl --user -u $unit" || fail "the systemd example reads another unit's journal"
if command -v systemd-analyze >/dev/null; then
    mkdir -p "$work/units" "$work/runtime"
    chmod 700 "$work/runtime"
    for kind in service timer; do
        [ -f "$build_dir/packaging/$unit.$kind" ] || fail "the build made no $unit.$kind"
        # The unit names the installed program; here it is the copy above.
        sed "s|^ExecStart=[^ ]*|ExecStart=$work/bin/Staleguard|" "$build_dir/packaging/$unit.$kind" \
            >"$work/units/$unit.$kind"
    done
    grep -q "^ExecStart=$work/bin/Staleguard --check$" "$work/units/$unit.service" ||
        fail "the service does not run the check"
    said=$(cd "$work/units" && XDG_RUNTIME_DIR=$work/runtime MANPATH=$build_dir/man \
        systemd-analyze --user verify "$unit.service" "$unit.timer" 2>&1) ||
        fail "systemd-analyze rejects the units: $said"
    [ -z "$said" ] || fail "systemd-analyze warns about the units: $said"
else
    echo "systemd-analyze is not installed: units not verified"
fi

echo "== Icinga 2"
icinga=$(example icinga)
shipped=$source_dir/packaging/icinga2/staleguard.conf
included=$(echo "$icinga" | sed -n 's/^include "\(.*\)"$/\1/p')
[ "$included" = /usr/share/staleguard/icinga2/staleguard.conf ] || fail "the Icinga 2 example includes '$included'"
echo "$icinga" | grep -q 'check_command = "staleguard"' || fail "the Icinga 2 example's service runs no staleguard check"
command_line=$(sed -n 's/^ *command = \[\(.*\)\]$/\1/p' "$shipped")
[ -n "$command_line" ] || fail "the CheckCommand has no command"
mapfile -t icinga_args < <(echo "$command_line" | grep -o '"[^"]*"' | tr -d '"')
[ "${icinga_args[0]}" = /usr/bin/Staleguard ] || fail "the CheckCommand runs ${icinga_args[0]}"
grep -q '"--watch-list" = {' "$shipped" && grep -q 'value = "\$staleguard_watch_list\$"' "$shipped" ||
    fail "the CheckCommand takes no watch list"
icinga_args[0]=$work/bin/Staleguard
echo "$old_list" >"$watchlist"
status=0
out=$("${icinga_args[@]}" --watch-list "$watchlist") || status=$?
[ "$status" = 2 ] || fail "the CheckCommand ended with $status, not 2"
first=$(echo "$out" | head -n 1)
case $first in
"STALEGUARD CRITICAL - 1 old | old=1;;0;0;1 "*) ;;
*) fail "the CheckCommand's status line is '$first'" ;;
esac

echo "== node_exporter textfile"
textfile=$(example textfile)
echo "$textfile" | grep -q '^dir=' || fail "the textfile script names no folder"
mkdir -p "$work/collector"
echo "$textfile" | sed "s|^dir=.*|dir=$work/collector|" >"$work/textfile.sh"
sh "$work/textfile.sh" || fail "the textfile script failed"
prom=$work/collector/staleguard.prom
grep -q '^staleguard_entry_stale{entry="0",description="Backup"} 1$' "$prom" || fail "no stale sample in $prom"
if command -v promtool >/dev/null; then
    said=$(promtool check metrics <"$prom" 2>&1) || fail "promtool rejects $prom: $said"
    [ -z "$said" ] || fail "promtool remarks on $prom: $said"
fi
# A check that cannot run keeps the last complete file and leaves no temporary one behind.
cp "$prom" "$work/last.prom"
rm "$watchlist"
sh "$work/textfile.sh" 2>/dev/null || fail "the textfile script failed when the check could not run"
cmp -s "$prom" "$work/last.prom" || fail "a failed check replaced the collector's file"
[ "$(ls "$work/collector")" = staleguard.prom ] || fail "left behind in the collector: $(ls "$work/collector")"

echo "PASS: the README's examples work as written"
