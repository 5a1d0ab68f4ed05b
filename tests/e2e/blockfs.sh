# Shared by the end-to-end scripts that need a share which stops answering: a FUSE view of a folder
# (tests/support/blockfs.py) where everything under hang/ waits until it is released, and denied/,
# ioerror... and gone... fail at once. Call blockfs_stop before removing the folders: removing a
# mount point that is still mounted would walk into the share and wait with it.
# shellcheck shell=bash

BLOCKFS_SCRIPT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../support" && pwd)/blockfs.py"

# The machine may have no FUSE at all, or refuse it to a container: that is the machine's problem,
# not the program's, so the script is skipped.
blockfs_start() {
    local backing=$1 mountpoint=$2 control=$3 python end
    { : <>/dev/fuse; } 2>/dev/null || { echo "SKIP: /dev/fuse cannot be opened"; exit 77; }
    command -v fusermount3 >/dev/null || { echo "SKIP: fusermount3 is not installed"; exit 77; }
    # Debian's module is only seen by Debian's interpreter, which another on PATH can hide.
    for python in python3 /usr/bin/python3 ""; do
        [ -n "$python" ] && "$python" -c $'try:\n import fusepy\nexcept ImportError:\n from fuse import FUSE' 2>/dev/null &&
            break
    done
    [ -n "$python" ] || { echo "SKIP: no python3 with fusepy (python3-fusepy)"; exit 77; }

    mkdir -p "$mountpoint" "$control"
    mountpoint=$(realpath "$mountpoint")
    BLOCKFS_CONTROL=$control
    "$python" "$BLOCKFS_SCRIPT" "$backing" "$mountpoint" "$control" >"$control/blockfs.log" 2>&1 &
    BLOCKFS_PID=$!
    end=$((SECONDS + 10))
    until grep -qx 'blockfs: ready' "$control/blockfs.log" && blockfs_mounted "$mountpoint"; do
        if [ $SECONDS -ge $end ] || ! kill -0 "$BLOCKFS_PID" 2>/dev/null; then
            sed 's/^/  blockfs: /' "$control/blockfs.log"
            kill "$BLOCKFS_PID" 2>/dev/null
            echo "SKIP: the FUSE share could not be mounted on $mountpoint"
            exit 77
        fi
        sleep 0.1
    done
}

blockfs_mounted() {
    awk -v mp="$1" '$5 == mp { found = 1 } END { exit !found }' /proc/self/mountinfo
}

blockfs_release() {
    : >"$1/release"
}

blockfs_block() {
    rm -f "$1/release"
}

# Every step is bounded: a share that does not go away must not hold up the script's end.
blockfs_stop() {
    local mountpoint
    mountpoint=$(realpath -m "$1")
    [ -n "${BLOCKFS_CONTROL:-}" ] && blockfs_release "$BLOCKFS_CONTROL"
    timeout -s KILL 5 fusermount3 -u -z "$mountpoint" 2>/dev/null
    if [ -n "${BLOCKFS_PID:-}" ]; then
        kill "$BLOCKFS_PID" 2>/dev/null
        for _ in $(seq 50); do
            kill -0 "$BLOCKFS_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$BLOCKFS_PID" 2>/dev/null
        wait "$BLOCKFS_PID" 2>/dev/null
        BLOCKFS_PID=
    fi
    blockfs_mounted "$mountpoint" && timeout -s KILL 5 fusermount3 -u -z "$mountpoint" 2>/dev/null
    return 0
}
