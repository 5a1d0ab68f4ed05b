#!/usr/bin/env bash
# Prints "Print all my files" through the program's own printer path to the system's default
# printer, a CUPS queue that writes PDF files, and checks what arrives. Needs CUPS with cups-pdf;
# in CI (CI=true, as root) it sets the queue up and must run, elsewhere it skips when it cannot.
set -uo pipefail

SKIP=77
root="${STALEGUARD_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
build="${STALEGUARD_BUILD_DIR:-$root/build/test}"

unavailable() {
    if [ "${CI:-}" = "true" ]; then
        echo "e2e_printqueue: FAIL: $1" >&2
        exit 1
    fi
    echo "e2e_printqueue: skipped: $1"
    exit "$SKIP"
}

for tool in lpstat pdfinfo pdftotext pdftoppm; do
    command -v "$tool" >/dev/null || unavailable "$tool is missing (cups-client, poppler-utils)"
done

if ! lpstat -d 2>/dev/null | grep -q "system default destination:"; then
    if [ -x "$root/scripts/setup-printer" ]; then
        "$root/scripts/setup-printer" >/dev/null 2>&1 || true
    fi
fi
lpstat -d 2>/dev/null | grep -q "system default destination:" ||
    unavailable "no default printer; scripts/setup-printer (root or sudo) adds a cups-pdf queue"

default="$(lpstat -d | sed 's/^system default destination: //')"
lpstat -v "$default" 2>/dev/null | grep -q "cups-pdf:" ||
    unavailable "the default printer $default is not a cups-pdf queue, so its output cannot be checked"

# cups-pdf writes a job of a known user to that user's "Out" folder, ${HOME}/PDF by default.
conf=/etc/cups/cups-pdf.conf
out="$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' "$conf" 2>/dev/null | tail -n1)"
out="${out:-\${HOME\}/PDF}"
home="$(getent passwd "$(id -un)" | cut -d: -f6)"
out="${out//\$\{HOME\}/$home}"
mkdir -p "$out"

binary="$(find "$build" -name tst_printqueue -type f -perm -u+x -print -quit)"
[ -n "$binary" ] || {
    echo "e2e_printqueue: FAIL: tst_printqueue is not built under $build" >&2
    exit 1
}

echo "e2e_printqueue: printing to $default, expecting the PDF in $out"
QT_QPA_PLATFORM=offscreen STALEGUARD_PRINT_QUEUE_OUT="$out" STALEGUARD_BUILD_DIR="$build" "$binary"
