#!/usr/bin/env bash
# Builds Quillet with AddressSanitizer and UndefinedBehaviorSanitizer in
# ./build and runs every test. Missing Debian packages are installed first.
# The exit status is ctest's.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(
    g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
    libbenchmark-dev fonts-arphic-uming fonts-arphic-ukai fonts-wqy-zenhei fonts-dejavu-core cups
    cups-client cups-bsd printer-driver-cups-pdf poppler-utils xvfb xauth clang
    libclang-rt-14-dev
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "$(basename "$0"): need root or sudo for: $*" >&2
        return 1
    fi
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "test.sh: installing ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A CUPS scheduler with a PDF queue, for the tests that print through CUPS.
if [ -f "$root/scripts/setup-cups.sh" ]; then
    if ! as_root sh "$root/scripts/setup-cups.sh"; then
        echo "test.sh: warning: CUPS could not be set up; tests that print through CUPS may fail" >&2
    fi
fi

cmake -G Ninja -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON
cmake --build "$root/build" -j "$(nproc)"

status=0
ctest --test-dir "$root/build" --output-on-failure || status=$?
exit "$status"
