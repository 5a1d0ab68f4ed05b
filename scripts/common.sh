# Shared by the scripts: installing what the project needs from Debian's packages.
# shellcheck shell=bash

STALEGUARD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

BUILD_PACKAGES=(build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
    qt6-qpa-plugins libqt6svg6 fonts-dejavu-core)
TEST_PACKAGES=(clang libclang-rt-14-dev clang-format xvfb xauth openbox trayer xdotool x11-utils imagemagick
    poppler-utils desktop-file-utils appstream cups cups-client cups-bsd printer-driver-cups-pdf dbus-daemon tzdata
    prometheus prometheus-node-exporter icinga2-bin curl python3 locales-all systemd groff-base dunst jq weston
    qt6-wayland fuse3 python3-fusepy procps python3-dbus python3-gi)
BENCH_PACKAGES=(libbenchmark-dev hyperfine valgrind monitoring-plugins-basic jq dbus-daemon git fuse3 python3-fusepy procps
    time xvfb openbox xdotool x11-utils)
PACKAGE_PACKAGES=(dpkg-dev file desktop-file-utils appstream)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Installs the named packages that are not installed yet; does nothing when all are there.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
