#!/usr/bin/env bash
# The whole `Staleguard --check` process in every output format against processes that only stat
# the same files:
#  1. at 1,000 and 10,000 entries, against `find -files0-from LIST -maxdepth 0 -printf '%T@\n'`,
#     one process that reads the list of paths and stats each file (the baseline), with
#     `Staleguard --version` beside them for the cost of starting the program;
#  2. at 1,000 entries, against the monitoring plugins' check_file_age run once per file (the peer).
# By default hyperfine times them. With --callgrind each process runs once under callgrind instead
# and the user-space instructions are compared, which a loaded machine does not disturb; that run
# also checks 32,768 entries (the most a watch list holds) against 10,000 for linear growth.
# Usage: bench/check_process.sh [--callgrind] PATH-TO-Staleguard. Prints the figures and the ratios,
# and each process's peak memory.
set -euo pipefail

mode=time
if [ "${1:-}" = "--callgrind" ]; then
    mode=callgrind
    shift
fi
program=$(realpath "${1:?usage: $0 [--callgrind] PATH-TO-Staleguard}")
peer=${STALEGUARD_PEER:-/usr/lib/nagios/plugins/check_file_age}
tools=(jq find)
if [ "$mode" = callgrind ]; then tools+=(valgrind); else tools+=(hyperfine); fi
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing" >&2
        exit 1
    }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

formats=(text nagios json prometheus)

# N empty files, all fresh, and a watch list with one fixed-file entry of three keys for each.
make_data() {
    local n=$1 dir=$work/$1
    mkdir -p "$dir/files"
    (cd "$dir/files" && seq -f 'file-%06g.dat' 0 $((n - 1)) | xargs touch)
    seq 0 $((n - 1)) | awk -v dir="$dir/files" '{
        printf "[File %d]\nfilename=%s/file-%06d.dat\ndays=7\ndescription=Report number %d\n", $1, dir, $1, $1 }' \
        >"$dir/Staleguard.ini"
    (cd "$dir/files" && find "$dir/files" -type f -print0 | sort -z) >"$dir/paths0"
}

baseline() { echo "find -files0-from $work/$1/paths0 -maxdepth 0 -printf '%T@\n'"; }
check() { echo "$program --check --format $2 --watch-list $work/$1/Staleguard.ini"; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ms() { awk -v a="$1" 'BEGIN { printf "%.1f ms", a }'; }
millions() { awk -v a="$1" 'BEGIN { printf "%.1f M", a / 1e6 }'; }

# The user-space instructions of one run of the command line given.
instructions() {
    local out=$work/callgrind.out
    valgrind --tool=callgrind --callgrind-out-file="$out" "$@" >/dev/null 2>&1 || true
    sed -n 's/^summary: *//p' "$out"
}

if [ "$mode" = callgrind ]; then
    make_data 10000
    make_data 32768
    echo "== Whole process against the find baseline, user-space instructions under callgrind, 10,000 entries"
    base=$(instructions find -files0-from "$work/10000/paths0" -maxdepth 0 -printf '%T@\n')
    printf '%-34s %12s %8s\n' "" "instructions" "ratio"
    printf '%-34s %12s %8s\n' "find (baseline)" "$(millions "$base")" "1.00"
    ir=$(instructions "$program" --version)
    printf '%-34s %12s %8s\n' "--version" "$(millions "$ir")" "$(ratio "$ir" "$base")"
    for format in "${formats[@]}"; do
        # shellcheck disable=SC2046
        ir=$(instructions $(check 10000 "$format"))
        printf '%-34s %12s %8s   (target <= 2)\n' "--check --format $format" "$(millions "$ir")" "$(ratio "$ir" "$base")"
        # shellcheck disable=SC2046
        big=$(instructions $(check 32768 "$format"))
        printf '%-34s %12s %8s   (32,768 / 10,000, target <= 3.6)\n' "  at 32,768 entries" "$(millions "$big")" \
            "$(ratio "$big" "$ir")"
    done
    exit 0
fi

make_data 1000
make_data 10000

# The mean of command number $2 (from 0) of a hyperfine export, in milliseconds.
mean_ms() { jq -r ".results[$2].mean * 1000" "$1"; }

commands=()
for n in 1000 10000; do
    commands+=(-n "baseline, $n" "$(baseline $n)" -n "version, $n" "$program --version")
    for format in "${formats[@]}"; do
        commands+=(-n "$format, $n" "$(check $n "$format")")
    done
done
# A check that finds a problem ends with a non-zero code, which hyperfine must not take for a failure.
echo "== Whole process against the find baseline"
hyperfine -N -i --warmup 3 --min-runs 20 --export-json "$work/process.json" "${commands[@]}"

echo "== Whole process against check_file_age once per file, 1,000 files"
peer_runs=${STALEGUARD_PEER_RUNS:-3}
if [ -x "$peer" ]; then
    hyperfine -N -i --warmup 0 --runs "$peer_runs" --export-json "$work/peer.json" \
        -n "check_file_age x 1,000" "xargs -0 -n 1 -a $work/1000/paths0 $peer -w 604800 -c 1209600 -f" \
        -n "json, 1,000" "$(check 1000 json)"
fi

echo
echo "== Summary (hyperfine means)"
printf '%-34s %12s %12s %8s\n' "" "process" "baseline" "ratio"
per_size=$((2 + ${#formats[@]}))
for i in 0 1; do
    n=$([ $i = 0 ] && echo 1,000 || echo 10,000)
    first=$((i * per_size))
    b=$(mean_ms "$work/process.json" "$first")
    v=$(mean_ms "$work/process.json" $((first + 1)))
    printf '%-34s %12s %12s %8s\n' "--version, $n" "$(ms "$v")" "$(ms "$b")" "$(ratio "$v" "$b")"
    for k in "${!formats[@]}"; do
        c=$(mean_ms "$work/process.json" $((first + 2 + k)))
        target=$([ $i = 1 ] && echo "   (target <= 2)" || true)
        printf '%-34s %12s %12s %8s%s\n' "--check --format ${formats[$k]}, $n" "$(ms "$c")" "$(ms "$b")" \
            "$(ratio "$c" "$b")" "$target"
    done
done
# Peak memory (RSS), one run each at 10,000 entries: memory touched for the first time costs a page
# fault for every 4 KiB, on top of the work done in it.
peak() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1 | awk '{ printf "%.1f MB", $1 / 1024 }'; }
if [ -x /usr/bin/time ]; then
    printf '%-34s %12s\n' "peak memory, find, 10,000" "$(peak find -files0-from "$work/10000/paths0" -maxdepth 0 -printf '%T@\n')"
    printf '%-34s %12s\n' "peak memory, --version" "$(peak "$program" --version)"
    for format in "${formats[@]}"; do
        # shellcheck disable=SC2046
        printf '%-34s %12s\n' "peak memory, $format, 10,000" "$(peak $(check 10000 "$format"))"
    done
fi
if [ -f "$work/peer.json" ]; then
    p=$(mean_ms "$work/peer.json" 0)
    c=$(mean_ms "$work/peer.json" 1)
    printf '%-34s %12s %12s %8s   (check_file_age / check)\n' "check_file_age per file, 1,000" "$(ms "$c")" \
        "$(ms "$p")" "$(ratio "$p" "$c")"
fi
