#!/bin/sh
# Runs the program on the example report under a virtual screen with its own
# session bus and the accessibility bus, and has atspi_tree.py read its
# window as a screen reader would. Exit 77 (skipped) when the tools are missing.
# Usage: atspi_tree.sh <quillet> <folder with example.dat and example.fmt> [zh|en]
set -u
program=$1
examples=$2
language=${3:-zh}
here=$(dirname "$0")
for tool in Xvfb dbus-run-session; do
    command -v "$tool" >/dev/null 2>&1 || { echo "no $tool: skipped"; exit 77; }
done
# The system's Python has the distribution's pyatspi; another one first on
# the path may not.
python=
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import pyatspi' 2>/dev/null; then
        python=$candidate
        break
    fi
done
[ -n "$python" ] || { echo "no python3-pyatspi: skipped"; exit 77; }
[ -f /usr/libexec/at-spi-bus-launcher ] || { echo "no at-spi2-core: skipped"; exit 77; }

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }

export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    QUILLET_NONINTERACTIVE=1 XDG_CONFIG_HOME="$work" ASAN_OPTIONS=detect_leaks=0 \
    NO_AT_BRIDGE=0 GTK_MODULES=
cp "$examples/example.dat" "$examples/example.fmt" "$work/"
dbus-run-session -- sh -c '
    "$1" --lang "$5" "$2/example.dat" "$2/example.fmt" NotDef &
    app=$!
    "$4" "$3/atspi_tree.py" "$5"
    status=$?
    kill $app 2>/dev/null
    wait $app 2>/dev/null
    exit $status
' sh "$program" "$work" "$here" "$python" "$language"
