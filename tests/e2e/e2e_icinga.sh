#!/usr/bin/env bash
# The shipped Icinga 2 CheckCommand in a real Icinga 2 (Debian's icinga2-bin): `icinga2 daemon -C`
# accepts a configuration that includes it, then a foreground daemon with private folders, a
# checker and a perfdata writer, and no network listener, runs one service on an old file and one
# on a fresh one. Icinga's own parser reads our performance data back.
set -euo pipefail

source_dir=${STALEGUARD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
built=${STALEGUARD_BIN:?run from ctest, or set STALEGUARD_BIN}
shipped=$source_dir/packaging/icinga2/staleguard.conf

fail() {
    echo "FAIL: $*" >&2
    [ -f "${work:-}/daemon.log" ] && tail -n 30 "$work/daemon.log" >&2
    exit 1
}

command -v icinga2 >/dev/null || {
    echo "SKIP: icinga2 (Debian package icinga2-bin) is not installed"
    exit 77
}
command -v jq >/dev/null || fail "jq is not installed"

unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export TZ=UTC
work=$(mktemp -d)
daemon=
stop_daemon() {
    [ -n "$daemon" ] || return 0
    # The daemon leads a process group of its own (setsid), which holds its workers too.
    kill -TERM "$daemon" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 -- "-$daemon" 2>/dev/null || break
        sleep 0.2
    done
    kill -KILL -- "-$daemon" 2>/dev/null || true
    daemon=
}
trap 'stop_daemon; rm -rf "$work"' EXIT

grep -q '^ *command = \[ "/usr/bin/Staleguard", "--check", "--format", "nagios" \]$' "$shipped" ||
    fail "the CheckCommand does not run the installed program's nagios check"

mkdir -p "$work"/{files,etc,data,log,cache,spool,run,perfdata}
touch -d '10 days ago' "$work/files/backup.tar"
touch "$work/files/notes.txt"
printf '[file 0]\nfilename=%s\ndescription=Backup\ndays=5\n' "$work/files/backup.tar" >"$work/old.ini"
printf '[file 0]\nfilename=%s\ndescription=Notes\ndays=5\n' "$work/files/notes.txt" >"$work/fresh.ini"

# The shipped command, with the program under test where the package puts it.
sed "s|\"/usr/bin/Staleguard\"|\"$built\"|" "$shipped" >"$work/staleguard.conf"

if [ "$(id -u)" -eq 0 ]; then
    user=root group=root
else
    user=$(id -un) group=$(id -gn)
fi
constants=(-DConfigDir="$work/etc" -DDataDir="$work/data" -DLogDir="$work/log" -DCacheDir="$work/cache"
    -DSpoolDir="$work/spool" -DInitRunDir="$work/run" -DRunAsUser="$user" -DRunAsGroup="$group")

# Each result line: the service, its state, Icinga's parse of each performance value, its output.
cat >"$work/icinga2.conf" <<CONF
include "$work/staleguard.conf"

object CheckerComponent "checker" { }

object PerfdataWriter "perfdata" {
  service_perfdata_path = "$work/perfdata/service"
  service_temp_path = "$work/perfdata/service.tmp"
  host_perfdata_path = "$work/perfdata/host"
  host_temp_path = "$work/perfdata/host.tmp"
  service_format_template = "\$service.name\$\t\$service.state\$\t\$service.vars.parsed_perfdata\$\t\$service.output\$"
  rotation_interval = 1s
}

object CheckCommand "nothing" { command = [ "/bin/true" ] }

object Host "here" {
  check_command = "nothing"
  enable_active_checks = false
}

template Service "staleguard-test" {
  host_name = "here"
  check_command = "staleguard"
  check_interval = 2s
  retry_interval = 2s
  max_check_attempts = 1
  vars.parsed_perfdata = {{
    var result = get_service(macro("\$host.name\$"), macro("\$service.name\$")).last_check_result
    var values = []
    for (text in result.performance_data) {
      var value = parse_performance_data(text)
      values.add({ label = value.label, value = value.value, unit = value.unit, warn = value.warn,
        crit = value.crit, min = value.min, max = value.max })
    }
    return Json.encode(values)
  }}
}

object Service "old" {
  import "staleguard-test"
  vars.staleguard_watch_list = "$work/old.ini"
}

object Service "fresh" {
  import "staleguard-test"
  vars.staleguard_watch_list = "$work/fresh.ini"
  vars.staleguard_all = true
}
CONF

echo "== icinga2 daemon -C"
said=$(icinga2 daemon -C -c "$work/icinga2.conf" "${constants[@]}" 2>&1) ||
    fail "icinga2 rejects the configuration: $(echo "$said" | grep -E 'critical|Error' | head -n 5)"

echo "== icinga2 daemon"
setsid icinga2 daemon -c "$work/icinga2.conf" "${constants[@]}" >"$work/daemon.log" 2>&1 &
daemon=$!

# The latest result line of a service, once it has one.
result() {
    cat "$work"/perfdata/service.* 2>/dev/null | awk -F '\t' -v name="$1" '$1 == name { line = $0 } END { print line }'
}
for _ in $(seq 120); do
    [ -n "$(result old)" ] && [ -n "$(result fresh)" ] && break
    kill -0 "$daemon" 2>/dev/null || fail "the daemon ended"
    sleep 0.5
done
old=$(result old)
fresh=$(result fresh)
[ -n "$old" ] && [ -n "$fresh" ] || fail "no check result within 60 s (old: '$old', fresh: '$fresh')"
stop_daemon

# The performance value LABEL of a result line as Icinga parsed it, as JSON.
value() {
    echo "$1" | cut -f 3 | jq -ce --arg want "$2" '.[] | select(.label == $want)' ||
        fail "Icinga parsed no '$2' from: $1"
}

[ "$(echo "$old" | cut -f 2)" = CRITICAL ] || fail "the old file's service is not CRITICAL: $old"
[ "$(echo "$fresh" | cut -f 2)" = OK ] || fail "the fresh file's service is not OK: $fresh"
case $(echo "$old" | cut -f 4) in
"STALEGUARD CRITICAL - 1 old"*) ;;
*) fail "the old file's output is: $(echo "$old" | cut -f 4)" ;;
esac
[ "$(value "$old" old | jq .value)" = 1 ] || fail "old count: $(value "$old" old)"
[ "$(value "$old" old | jq .crit)" = 0 ] || fail "no critical threshold on the old count: $(value "$old" old)"
[ "$(value "$fresh" old | jq .value)" = 0 ] || fail "old count of the fresh file: $(value "$fresh" old)"
[ "$(value "$fresh" ok | jq .value)" = 1 ] || fail "ok count of the fresh file: $(value "$fresh" ok)"
[ "$(value "$old" entries | jq .value)" = 1 ] || fail "entries: $(value "$old" entries)"
[ "$(value "$old" duration | jq -r .unit)" = seconds ] || fail "the duration is not in seconds: $(value "$old" duration)"
jq -e '.value >= 0 and .value < 60' <<<"$(value "$old" duration)" >/dev/null || fail "duration: $(value "$old" duration)"

echo "PASS: Icinga 2 runs the shipped CheckCommand: CRITICAL on an old file, OK on a fresh one"
