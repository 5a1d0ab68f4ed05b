# Shared by the end-to-end scripts that need desktop services: runs the sourcing script again on a
# session bus of its own that starts nothing on demand, so that the services the script starts
# are the ones the program reaches, whatever daemons the machine has installed.
# shellcheck shell=bash

if [ -z "${STALEGUARD_E2E_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
    exec env STALEGUARD_E2E_BUS=1 dbus-run-session \
        --config-file="$(dirname "${BASH_SOURCE[0]}")/../support/private-session-bus.conf" -- bash "${BASH_SOURCE[1]}" "$@"
fi
