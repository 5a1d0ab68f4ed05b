#!/usr/bin/env bash
# The README's node_exporter textfile script, as written there, under a real node_exporter (Debian's
# prometheus-node-exporter, textfile collector alone) and a real Prometheus server that scrapes it
# every second and loads the shipped alert rules. Everything listens on 127.0.0.1 only. Asserted
# through Prometheus' HTTP API: the old entry's alert fires, none is there for the fresh one, and the
# age Prometheus works out from the report is the file's. The rules are the shipped ones with their
# `for:` waits cut to two seconds; the waits themselves are pinned by the rules' unit tests. Last,
# the scrape time of a report of 10,000 entries is printed.
set -euo pipefail

source_dir=${STALEGUARD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
built=${STALEGUARD_BIN:?run from ctest, or set STALEGUARD_BIN}
readme=$source_dir/README.md
shipped_rules=$source_dir/packaging/prometheus/staleguard.rules.yml

fail() {
    echo "FAIL: $*" >&2
    for log in "${work:-}"/*.log; do
        [ -f "$log" ] && { echo "--- $log" >&2; tail -n 15 "$log" >&2; }
    done
    exit 1
}

for tool in prometheus prometheus-node-exporter; do
    command -v "$tool" >/dev/null || {
        echo "SKIP: $tool is not installed"
        exit 77
    }
done
for tool in curl jq python3; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done

unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export TZ=UTC
work=$(mktemp -d)
rules=$work/staleguard.rules.yml
sed -E "s/^( +for: ).*/\12s/" "$shipped_rules" >"$rules"
grep -q "for: 2s" "$rules" || fail "the shipped rules have no for: to shorten"
pids=()
stop_servers() {
    local pid
    for pid in "${pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.2
        done
        kill -KILL "$pid" 2>/dev/null || true
    done
    pids=()
}
trap 'stop_servers; rm -rf "$work"' EXIT

# A port on the loopback that nothing listens on now.
free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Runs CONDITION (a command) every half second until it holds, for at most SECONDS.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$what within $seconds s"
        sleep 0.5
    done
}

# The code block that follows "<!-- example: NAME -->" in the README.
example() {
    awk -v marker="<!-- example: $1 -->" '
        $0 == marker { found = 1; next }
        found && /^```/ { if (inside) exit; inside = 1; next }
        inside { print }' "$readme"
}

# The program as an installed copy would be found: on PATH, with its watch list beside it.
mkdir -p "$work/bin" "$work/files" "$work/collector" "$work/tsdb"
cp "$built" "$work/bin/Staleguard"
export PATH="$work/bin:$PATH"
touch -d '10 days ago' "$work/files/backup.tar"
touch "$work/files/notes.txt"
# The third has in its description what a label or a JSON string must escape, and a byte that is not
# UTF-8, as an old editor may have left it.
awkward=$'Say "hi" \\ {x} | a\tb caf\xe9'
awkward_read=$'Say "hi" \\ {x} | a\tb caf\xc3\xa9'
printf '[file 0]\nfilename=%s\ndescription=Backup\ndays=5\n[file 1]\nfilename=%s\ndescription=Notes\ndays=5\n' \
    "$work/files/backup.tar" "$work/files/notes.txt" >"$work/bin/Staleguard.ini"
printf '[file 2]\nfilename=%s\ndescription=%s\ndays=5\n' "$work/files/notes.txt" "$awkward" >>"$work/bin/Staleguard.ini"

textfile=$(example textfile)
echo "$textfile" | grep -q '^dir=' || fail "the README's textfile script names no folder"
echo "$textfile" | sed "s|^dir=.*|dir=$work/collector|" >"$work/textfile.sh"
sh "$work/textfile.sh" || fail "the textfile script failed"
[ -s "$work/collector/staleguard.prom" ] || fail "the textfile script wrote no report"

# One node_exporter for the test, and one for the report of 10,000 entries, whose scrape takes longer
# than the first one's interval allows.
start_node_exporter() {
    prometheus-node-exporter --web.listen-address="127.0.0.1:$1" --collector.disable-defaults \
        --collector.textfile --collector.textfile.directory="$2" >"$3" 2>&1 &
    pids+=($!)
}
node_port=$(free_port)
start_node_exporter "$node_port" "$work/collector" "$work/node-exporter.log"
mkdir -p "$work/big"
big_port=$(free_port)
start_node_exporter "$big_port" "$work/big" "$work/node-exporter-big.log"

prom_port=$(free_port)
cat >"$work/prometheus.yml" <<CONF
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - $rules
scrape_configs:
  - job_name: node
    static_configs:
      - targets: ["127.0.0.1:$node_port"]
  - job_name: big
    scrape_interval: 10s
    scrape_timeout: 10s
    static_configs:
      - targets: ["127.0.0.1:$big_port"]
CONF
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
    --web.listen-address="127.0.0.1:$prom_port" >"$work/prometheus.log" 2>&1 &
pids+=($!)

api="http://127.0.0.1:$prom_port/api/v1"
# A PromQL query's result vector, as JSON.
query() {
    curl -sfG --max-time 10 "$api/query" --data-urlencode "query=$1" | jq -ce '.data.result'
}
wait_for 30 "node_exporter did not answer" curl -sf --max-time 5 -o /dev/null "http://127.0.0.1:$node_port/metrics"
wait_for 60 "Prometheus was not ready" curl -sf --max-time 5 -o /dev/null "http://127.0.0.1:$prom_port/-/ready"
scraped() {
    [ "$(query 'count(staleguard_entry_state{state="old"} == 1)' | jq -r '.[0].value[1] // empty')" = 1 ]
}
wait_for 60 "Prometheus scraped no old entry" scraped

alerts() {
    curl -sf --max-time 10 "$api/alerts" | jq -ce '.data.alerts'
}
old_alert() {
    alerts | jq -e '.[] | select(.labels.alertname == "StaleguardEntryOld" and .labels.description == "Backup")
        | select(.state == "firing")' >/dev/null
}
wait_for 60 "the old entry's alert did not fire" old_alert
alert=$(alerts | jq -c '.[] | select(.labels.alertname == "StaleguardEntryOld")')
echo "old entry's alert: $alert"
echo "$alert" | jq -e '.labels.severity == "critical"' >/dev/null || fail "the alert has no severity: $alert"
echo "$alert" | jq -e '.annotations.summary | test("^Backup is 10d [0-9]+h [0-9]+m [0-9]+s old$")' >/dev/null ||
    fail "the alert's summary reads: $(echo "$alert" | jq -r .annotations.summary)"
# A few more evaluations, so that a late alert for the fresh entry would show.
sleep 3
others=$(alerts | jq -c '[.[] | select(.labels.description == "Notes")]')
[ "$others" = "[]" ] || fail "alerts for the fresh entry: $others"
[ "$(alerts | jq '[.[] | select(.labels.alertname == "StaleguardEntryOld")] | length')" = 1 ] ||
    fail "more than one old alert: $(alerts)"

age=$(query 'time() - staleguard_entry_modified_timestamp_seconds{description="Backup"}' | jq -r '.[0].value[1]')
real=$(($(date +%s) - $(stat -c %Y "$work/files/backup.tar")))
python3 -c "import sys; sys.exit(0 if abs(float('$age') - $real) <= 5 else 1)" ||
    fail "Prometheus has the file $age s old, it is $real s old"
echo "age from the report: $age s, from the file: $real s"

# Prometheus' own parser, and jq on the JSON report, each give back the description as it was read.
label=$(query 'staleguard_entry_state{entry="2",state="ok"}' | jq -r '.[0].metric.description')
[ "$label" = "$awkward_read" ] || fail "Prometheus read the description back as: $label"
json=$(Staleguard --check --format json || true)
from_json=$(echo "$json" | jq -r '.entries[] | select(.number == 2) | .description')
[ "$from_json" = "$awkward_read" ] || fail "jq read the description back as: $from_json"

# The scrape time of a report of 10,000 entries (fresh ones, so that they raise no alerts).
python3 - "$work" >"$work/bin/Staleguard.ini" <<'PY'
import sys
for n in range(10000):
    print(f"[file {n}]\nfilename={sys.argv[1]}/files/notes.txt\ndescription=Notes {n}\ndays=5")
PY
sed "s|^dir=.*|dir=$work/big|" "$work/textfile.sh" >"$work/textfile-big.sh"
sh "$work/textfile-big.sh" || fail "the textfile script failed on 10,000 entries"
big() {
    [ "$(query 'count(staleguard_entry_stale{job="big"})' | jq -r '.[0].value[1] // empty')" = 10000 ]
}
wait_for 120 "Prometheus did not take the report of 10,000 entries" big
duration=$(query 'scrape_duration_seconds{job="big"}' | jq -r '.[0].value[1]')
samples=$(query 'scrape_samples_scraped{job="big"}' | jq -r '.[0].value[1]')
echo "scrape of the 10,000-entry report: $duration s for $samples samples"

echo "PASS: Prometheus alerts on the old entry of the README's textfile report and not on the fresh one"
