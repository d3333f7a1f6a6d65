#!/usr/bin/env bash
# Builds Quillet in ./build-release and opens the bundled example report (a
# monthly sales ledger) in the preview window. Without a display it prints
# the example to PDF files instead and lists them.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-release"
pdf_dir="$build/example-pdf"

# shellcheck source=packages.sh
. "$root/scripts/packages.sh"
install_missing_packages

# The example files are written by the build into build-release/examples.
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_SANITIZE=OFF \
    -DQUILLET_TESTS=OFF -DQUILLET_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target quillet example_report

program="$build/shell/quillet"
data="$build/examples/example.dat"
format="$build/examples/example.fmt"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "run-example.sh: opening $data with $format"
    exec "$program" "$data" "$format"
fi

echo "run-example.sh: no display (DISPLAY and WAYLAND_DISPLAY are not set);"
echo "run-example.sh: printing the example to PDF files in $pdf_dir instead"
mkdir -p "$pdf_dir"
rm -f "$pdf_dir"/*.pdf
status=0
QT_QPA_PLATFORM=offscreen QUILLET_PDF_DIR="$pdf_dir" QUILLET_NONINTERACTIVE=1 \
    "$program" "$data" "$format" Print || status=$?

shopt -s nullglob
pdfs=("$pdf_dir"/*.pdf)
if [ "${#pdfs[@]}" -eq 0 ]; then
    echo "run-example.sh: no PDF was written" >&2
    [ "$status" -ne 0 ] || status=1
else
    echo "run-example.sh: ${#pdfs[@]} PDF file(s):"
    ls -lv "${pdfs[@]}"
fi
exit "$status"
