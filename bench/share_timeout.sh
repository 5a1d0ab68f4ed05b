#!/usr/bin/env bash
# The cost of a share that stops answering: `Staleguard --check` over 1,000 local entries plus 100
# entries on a FUSE share whose calls never return (tests/support/blockfs.py), against the same
# check over the 1,000 local entries alone. Every run meets a share not yet known to hang (the
# stuck helper of the run before is let go first), so each pays the whole "Share timeout" once.
# Target: the mixed check takes at most "Share timeout" plus the local check.
# Usage: bench/share_timeout.sh PATH-TO-Staleguard (with staleguard-query beside it). Needs root
# or a user allowed to mount FUSE file systems.
set -euo pipefail

program=$(realpath "${1:?usage: $0 PATH-TO-Staleguard}")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../tests/e2e/blockfs.sh"
timeout_s=2
work=$(mktemp -d)
share=$work/share
control=$work/control
trap 'blockfs_stop "$share"; rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

mkdir -p "$work/backing/hang" "$work/local"
(cd "$work/local" && seq -f 'file-%06g.dat' 0 999 | xargs touch -d '30 days ago')
(cd "$work/backing/hang" && seq -f 'file-%06g.dat' 0 99 | xargs touch -d '30 days ago')
blockfs_start "$work/backing" "$share" "$control"

entries() { # $1 first number, $2 count, $3 folder
    seq 0 $(($2 - 1)) | awk -v first="$1" -v dir="$3" '{
        printf "[file %d]\nfilename=%s/file-%06d.dat\ndays=7\ndescription=Report number %d\n\n", first + $1, dir, $1, first + $1 }'
}
{ printf '[Settings]\nShare timeout=%s\n\n' "$timeout_s"; entries 0 1000 "$work/local"; } >"$work/local.ini"
{ printf '[Settings]\nShare timeout=%s\n\n' "$timeout_s"; entries 0 1000 "$work/local"
  entries 1000 100 "$share/hang"; } >"$work/mixed.ini"

# Lets the helper stuck since the last run go, then makes the share hang again.
cat >"$work/fresh-hang.sh" <<SH
: >"$control/release"
while pgrep -f 'staleguard-query\$' >/dev/null; do sleep 0.05; done
rm -f "$control/release"
SH

hyperfine -N -i --warmup 2 --min-runs 10 --export-json "$work/local.json" \
    -n "1,000 local" "$program --check --format json --watch-list $work/local.ini"
hyperfine -i --runs 5 --prepare "sh $work/fresh-hang.sh" --export-json "$work/mixed.json" \
    -n "1,000 local + 100 on a share that hangs" "$program --check --format json --watch-list $work/mixed.ini"

local_ms=$(jq -r '.results[0].mean * 1000' "$work/local.json")
mixed_ms=$(jq -r '.results[0].mean * 1000' "$work/mixed.json")
echo
echo "== Summary (hyperfine means)"
awk -v l="$local_ms" -v m="$mixed_ms" -v t="$timeout_s" 'BEGIN {
    printf "1,000 local entries                 %8.1f ms\n", l
    printf "the same + 100 on a hung share      %8.1f ms\n", m
    printf "ratio to Share timeout (%d s) + local %8.3f   (target <= 1)\n", t, m / (t * 1000 + l) }'
