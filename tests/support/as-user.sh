#!/bin/sh
# Runs a test program as an ordinary user. CI starts every test as root, for whom permissions stop
# no write: a test of a folder that cannot be written would prove nothing there, or skip. Started as
# root, this drops to the user `nobody` (and its group) with no capabilities, in a home and a
# temporary folder of its own that it removes afterwards. It skips (77) only where that user does
# not exist; where the test program cannot be run as that user (a build tree in a folder only root
# may read), it runs as root as before, with its own skips.
#
# Usage: as-user.sh [--also] PROGRAM [ARGUMENT...]
#   --also  the program runs as it was started under a test entry of its own (for what only root
#           can test), so this one is wanted only as the ordinary user: without root it skips.
# STALEGUARD_TEST_USER names another user than nobody.
set -u
also=false
if [ "${1:-}" = --also ]; then
    also=true
    shift
fi
if [ "$(id -u)" != 0 ]; then
    if $also; then
        echo "Already an ordinary user: the program's own test entry is this run"
        exit 77
    fi
    exec "$@"
fi
user=${STALEGUARD_TEST_USER:-nobody}
if ! id -u "$user" >/dev/null 2>&1; then
    echo "There is no user $user to run the test as"
    exit 77
fi
group=$(id -gn "$user")
as_user() { setpriv --reuid="$user" --regid="$group" --clear-groups --inh-caps=-all -- "$@"; }
if ! as_user test -x "$1"; then
    echo "$1 cannot be run as $user (no setpriv, or a build tree only root may read): it runs as root"
    $also && exit 77
    exec "$@"
fi
home=$(mktemp -d "/tmp/staleguard-as-$user.XXXXXX") || exit 1
trap 'rm -rf "$home"' EXIT
mkdir "$home/config" "$home/data" "$home/cache" "$home/runtime" "$home/tmp"
chmod 700 "$home/runtime"
chown -R "$user:$group" "$home"
echo "Running as $user ($(id -u "$user")), in $home"
HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
    XDG_RUNTIME_DIR=$home/runtime TMPDIR=$home/tmp as_user "$@"
status=$?
exit $status
