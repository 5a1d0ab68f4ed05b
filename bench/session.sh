# Sourced by the benchmarks that run the program as on a desktop: a private session bus as a
# desktop has one, a work folder, and the processes started into `pids`, all ended (and the folder
# removed) when the benchmark ends.
if [ -z "${STALEGUARD_BENCH_BUS:-}" ]; then
    exec env STALEGUARD_BENCH_BUS=1 dbus-run-session -- bash "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
