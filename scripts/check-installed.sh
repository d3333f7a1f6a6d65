#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), installs it on this machine
# with apt-get and tries the installed program as a user would: --version and
# --help without a display, the example report into one PDF with --pdf
# (checked by qpdf), and, as the user nobody, the window under a private Xvfb
# saving the layout with Ctrl+S into nobody's data folder, which the next
# start then loads; and as root, who could write into /usr/bin, saving into
# root's data folder all the same. The package is removed again at the end,
# also on failure.
# Needs root or sudo.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# shellcheck source=packages.sh
. "$root/scripts/packages.sh"

"$root/scripts/package.sh"
debs=("$root"/quillet_*.deb)
deb=${debs[0]}

work=$(mktemp -d /tmp/quillet-check-XXXXXX)
xvfb_pid=
window_pid=
cleanup() {
    [ -z "$window_pid" ] || kill "$window_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y quillet >/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "check-installed.sh: $*" >&2
    exit 1
}

as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb"
program=/usr/bin/quillet
[ -x "$program" ] || fail "$program is not there after installing $deb"

echo "check-installed.sh: quillet --version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version | tee "$work/version.txt"
grep -q '^Quillet 1\.5\.0\.601$' "$work/version.txt" || fail "--version does not name version 1.5.0.601"
echo "check-installed.sh: quillet --help"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help >"$work/help.txt"
grep -q 'NotDefOnlyView' "$work/help.txt" || fail "--help does not list the modes"
grep -q 'QUILLET_PDF_DIR' "$work/help.txt" || fail "--help does not list the environment"
status=0
"$program" --no-such-option 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with status $status, not 2"
[ -f /usr/share/doc/quillet/Quillet.html ] || fail "the manual is not in /usr/share/doc/quillet"
[ -f /usr/share/doc/quillet/Quillet.en.html ] || fail "the English manual is not in /usr/share/doc/quillet"
# The English texts are built into the installed program.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --lang en --help >"$work/help-en.txt"
grep -q 'Quillet.en.html' "$work/help-en.txt" || fail "--lang en --help does not name the English manual"
if LC_ALL=C.UTF-8 grep -qP '[\x{4e00}-\x{9fff}]' "$work/help-en.txt"; then
    fail "--lang en --help still holds Chinese"
fi
[ -f /usr/share/man/man1/quillet.1.gz ] || fail "the manual page is not in /usr/share/man/man1"

# The example, readable by nobody.
mkdir -p "$work/example" "$work/home"
cp "$root/build-package/examples/example.dat" "$root/build-package/examples/example.fmt" "$work/example/"
chmod 755 "$work" "$work/example"
chmod 644 "$work/example/"*
data="$work/example/example.dat"
format="$work/example/example.fmt"

echo "check-installed.sh: quillet --pdf"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --pdf "$work/out.pdf" "$data" "$format"
qpdf --check "$work/out.pdf" >/dev/null || fail "qpdf rejects the PDF"
pdftotext "$work/out.pdf" "$work/out.txt"
grep -q '2024年3月销售明细账' "$work/out.txt" || fail "the PDF lacks the report's title"
echo "check-installed.sh: $(pdfinfo "$work/out.pdf" | grep '^Pages:')"

# As nobody: the program folder /usr/bin cannot be written, so layouts go to
# nobody's data folder.
if [ "$(id -u)" -ne 0 ]; then
    echo "check-installed.sh: not root: the run as nobody is left out"
    exit 0
fi
chown nobody:nogroup "$work/home"
as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -u XDG_DATA_HOME HOME="$work/home" QUILLET_NONINTERACTIVE=1 "$@"
}
saved="$work/home/.local/share/quillet/Format/example.PFD"
as_nobody "$program" --help >"$work/help-nobody.txt"
grep -qF "保存到 $work/home/.local/share/quillet/Format" "$work/help-nobody.txt" \
    || fail "--help as nobody does not name nobody's data folder"

# A private X server: QUILLET_CHECK_DISPLAY, else the first free display from :90 on.
display=${QUILLET_CHECK_DISPLAY:-90}
while [ -z "${QUILLET_CHECK_DISPLAY:-}" ] && [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.2
done
export DISPLAY=":$display"
# Opens the window on the example as the given user (nobody or root) with
# HOME set to home, saves the layout with Ctrl+S and closes it again; the
# layout must land in that user's data folder, never beside /usr/bin/quillet.
save_in_window() {
    local user=$1 home=$2
    local saved_file="$home/.local/share/quillet/Format/example.PFD"
    # Started directly (not through a shell function) so that $! is the
    # program itself: setpriv and env replace themselves with it.
    if [ "$user" = root ]; then
        env -u XDG_DATA_HOME -u QT_QPA_PLATFORM HOME="$home" QUILLET_NONINTERACTIVE=1 DISPLAY=":$display" \
            "$program" "$data" "$format" &
    else
        setpriv --reuid=nobody --regid=nogroup --clear-groups env -u XDG_DATA_HOME -u QT_QPA_PLATFORM \
            HOME="$home" QUILLET_NONINTERACTIVE=1 DISPLAY=":$display" "$program" "$data" "$format" &
    fi
    window_pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$window_pid" --name '^打印预览$' | head -n 1) \
        || fail "the window did not open under Xvfb as $user"
    sleep 2
    # Without a window manager the window takes keys only after a click.
    xdotool mousemove --window "$window" 400 400 click 1
    sleep 0.5
    xdotool key --window "$window" ctrl+s
    for _ in $(seq 100); do
        [ -f "$saved_file" ] && break
        sleep 0.2
    done
    if command -v import >/dev/null 2>&1; then
        import -display ":$display" -window root "$work/window.png" 2>/dev/null \
            && cp "$work/window.png" "$root/build-package/installed-window-$user.png" || true
    fi
    kill "$window_pid" 2>/dev/null || true
    wait "$window_pid" 2>/dev/null || true
    window_pid=
    [ -f "$saved_file" ] || fail "Ctrl+S as $user saved nothing in $saved_file"
    [ "$(stat -c %U "$saved_file")" = "$user" ] || fail "$saved_file is not $user's"
    [ ! -e /usr/bin/Format ] || fail "a Format folder appeared in /usr/bin (window run as $user)"
    echo "check-installed.sh: the window as $user saved $saved_file"
}
save_in_window nobody "$work/home"
# Root could write into /usr/bin, but an installed program never writes beside itself.
mkdir -p "$work/roothome"
save_in_window root "$work/roothome"

# The next start loads it: spoilt on purpose, it is what --pdf complains of.
printf 'not a layout' >"$saved"
status=0
as_nobody "$program" --pdf "$work/home/again.pdf" "$data" "$format" 2>"$work/again.err" || status=$?
[ "$status" -eq 1 ] && grep -qF "$saved" "$work/again.err" \
    || fail "start-up as nobody did not load $saved (status $status: $(cat "$work/again.err"))"
as_nobody "$program" --pdf "$work/home/notdef.pdf" "$data" "$format" NotDef \
    || fail "NotDef as nobody did not pass over the saved layout"
echo "check-installed.sh: the installed program works"
