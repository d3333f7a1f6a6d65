#!/usr/bin/env bash
# Builds the Debian package quillet_<version>_<arch>.deb in the repository's
# root folder: a Release build of its own in ./build-package (no sanitizers,
# no tests) with Debian's hardening flags, packed by CPack with the library
# packages worked out by dpkg-shlibdeps, the binary stripped, then checked by
# lintian (an error fails the script). Missing Debian packages are installed
# first. CMAKE_CXX_COMPILER_LAUNCHER from the environment (ccache) is used.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-package"

# shellcheck source=packages.sh
. "$root/scripts/packages.sh"
install_missing_packages dpkg-dev lintian file

# Dates in the changelog and the manual pages: the last commit's, so that the
# same sources give the same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
fi

# Debian's compiler and linker flags, with every hardening feature.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

launcher=()
if [ -n "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]; then
    launcher=("-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER")
fi
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLET_SANITIZE=OFF \
    -DQUILLET_TESTS=OFF -DQUILLET_BENCH=OFF -DQUILLET_FUZZ=OFF -DCMAKE_INSTALL_PREFIX=/usr \
    "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"

rm -rf "$build/package"
(cd "$build" && cpack -G DEB)
debs=("$build"/package/quillet_*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package.sh: CPack made no single quillet_*.deb in $build/package" >&2
    exit 1
fi
rm -f "$root"/quillet_*.deb
cp "${debs[0]}" "$root/"
deb="$root/$(basename "${debs[0]}")"

echo "package.sh: $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

# lintian: errors fail the build; warnings and notes are shown (README
# "Install" explains the ones that remain).
lintian_args=(--fail-on error --display-info)
if [ "$(id -u)" -eq 0 ]; then
    lintian_args+=(--allow-root)
fi
lintian "${lintian_args[@]}" "$deb"
echo "package.sh: lintian found no errors"
