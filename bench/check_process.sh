#!/usr/bin/env bash
# The whole `Staleguard --check --format json` process against processes that only stat the same
# files, all measured by hyperfine:
#  1. at 1,000 and 10,000 entries, against `find -files0-from LIST -maxdepth 0 -printf '%T@\n'`,
#     one process that reads the list of paths and stats each file (the baseline);
#  2. at 1,000 entries, against the monitoring plugins' check_file_age run once per file (the peer).
# Usage: bench/check_process.sh PATH-TO-Staleguard. Prints the figures and the ratios.
set -euo pipefail

program=$(realpath "${1:?usage: $0 PATH-TO-Staleguard}")
peer=${STALEGUARD_PEER:-/usr/lib/nagios/plugins/check_file_age}
for tool in hyperfine jq find; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing" >&2
        exit 1
    }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# N files, all 30 days old, and a watch list with one fixed-file entry for each, keys as the
# editor writes them; the stored change date never matches, so every entry also renders its date.
make_data() {
    local n=$1 dir=$work/$1
    mkdir -p "$dir/files"
    (cd "$dir/files" && seq -f 'file-%06g.dat' 0 $((n - 1)) | xargs touch -d '30 days ago')
    seq 0 $((n - 1)) | awk -v dir="$dir/files" '{
        printf "[File %d]\nfilename=%s/file-%06d.dat\ndays=7\ndescription=Report number %d\n", $1, dir, $1, $1
        printf "Postponedate=\nNotactive=false\nnon-fixed file type=\nadvisechanges=true\n"
        printf "last date changed=01/01/2020 00:00:00\n\n" }' >"$dir/Staleguard.ini"
    (cd "$dir/files" && find "$dir/files" -type f -print0 | sort -z) >"$dir/paths0"
}

make_data 1000
make_data 10000

baseline() { echo "find -files0-from $work/$1/paths0 -maxdepth 0 -printf '%T@\n'"; }
check() { echo "$program --check --format json --watch-list $work/$1/Staleguard.ini"; }

# The mean of command number $2 (from 0) of a hyperfine export, in milliseconds.
mean_ms() { jq -r ".results[$2].mean * 1000" "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ms() { awk -v a="$1" 'BEGIN { printf "%.1f ms", a }'; }

# The check ends with 1 here (every entry changed), which hyperfine must not take for a failure.
echo "== Whole process against the find baseline"
hyperfine -N -i --warmup 3 --min-runs 20 --export-json "$work/process.json" \
    -n "baseline, 1,000" "$(baseline 1000)" -n "check, 1,000" "$(check 1000)" \
    -n "baseline, 10,000" "$(baseline 10000)" -n "check, 10,000" "$(check 10000)"

echo "== Whole process against check_file_age once per file, 1,000 files"
peer_runs=${STALEGUARD_PEER_RUNS:-3}
if [ -x "$peer" ]; then
    hyperfine -N -i --warmup 0 --runs "$peer_runs" --export-json "$work/peer.json" \
        -n "check_file_age x 1,000" "xargs -0 -n 1 -a $work/1000/paths0 $peer -w 604800 -c 1209600 -f" \
        -n "check, 1,000" "$(check 1000)"
fi

echo
echo "== Summary (hyperfine means)"
b1=$(mean_ms "$work/process.json" 0)
c1=$(mean_ms "$work/process.json" 1)
b10=$(mean_ms "$work/process.json" 2)
c10=$(mean_ms "$work/process.json" 3)
printf '%-34s %12s %12s %8s\n' "" "check" "baseline" "ratio"
printf '%-34s %12s %12s %8s\n' "--check --format json, 1,000" "$(ms "$c1")" "$(ms "$b1")" "$(ratio "$c1" "$b1")"
printf '%-34s %12s %12s %8s   (target <= 2)\n' "--check --format json, 10,000" "$(ms "$c10")" "$(ms "$b10")" \
    "$(ratio "$c10" "$b10")"
if [ -f "$work/peer.json" ]; then
    p=$(mean_ms "$work/peer.json" 0)
    c=$(mean_ms "$work/peer.json" 1)
    printf '%-34s %12s %12s %8s   (check_file_age / check)\n' "check_file_age per file, 1,000" "$(ms "$c")" \
        "$(ms "$p")" "$(ratio "$p" "$c")"
fi
