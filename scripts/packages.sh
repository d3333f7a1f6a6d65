# Sourced by the build scripts: installs the Debian packages Quillet needs
# when some are missing, with sudo when not run as root.

quillet_packages=(
    g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
    libbenchmark-dev fonts-arphic-uming fonts-arphic-ukai fonts-wqy-zenhei fonts-dejavu-core cups
    cups-client cups-bsd printer-driver-cups-pdf poppler-utils xvfb xauth xdotool imagemagick x11-utils openbox clang
    oxygen-icon-theme qt6-translations-l10n
    libclang-rt-14-dev
    libfreetype-dev libfontconfig-dev zlib1g-dev libdeflate-dev qpdf libcups2-dev
    libxlsxwriter-dev unzip libreoffice-calc-nogui fonts-crosextra-carlito
    libqt6sql6-sqlite libqt6sql6-psql postgresql
    python3-pyatspi at-spi2-core dbus
    qt6-l10n-tools qt6-tools-dev
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

# Extra package names given as arguments are installed too (the packaging
# tools for scripts/package.sh).
install_missing_packages() {
    local missing=() p
    for p in "${quillet_packages[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "$(basename "$0"): installing ${missing[*]}"
        as_root apt-get update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}
