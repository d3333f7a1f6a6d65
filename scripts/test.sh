#!/usr/bin/env bash
# Builds Quillet with AddressSanitizer and UndefinedBehaviorSanitizer in
# ./build and runs every test. Missing Debian packages are installed first.
# The exit status is ctest's.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# shellcheck source=packages.sh
. "$root/scripts/packages.sh"
install_missing_packages

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
