#!/usr/bin/env bash
# Makes sure the Qt for Windows (MinGW-w64) is unpacked under /opt, from the toolchain archive
# found in the folder DOSARIUM_TOOLCHAINS names, in ../shared/toolchains beside the project's
# folder, or in /work/shared/toolchains. Ends with status 78 (and says why) when the archive is
# in none of them. With --find it only looks, and unpacks nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
qt=/opt/qt-6.8.0-mingw-w64
name=qt-6.8.0-mingw-w64.tar.xz
[ -f "$qt/mingw-toolchain.cmake" ] && exit 0

places=()
[ -n "${DOSARIUM_TOOLCHAINS:-}" ] && places+=("$DOSARIUM_TOOLCHAINS")
places+=("$(pwd)/../shared/toolchains" /work/shared/toolchains)
for place in "${places[@]}"; do
    if [ -f "$place/$name" ]; then
        [ "${1:-}" = --find ] && exit 0
        SUDO=""
        [ "$(id -u)" -ne 0 ] && SUDO="sudo"
        $SUDO tar -xJf "$place/$name" -C /opt
        exit 0
    fi
done
echo "The Qt for Windows is not under $qt and its archive $name is in none of: ${places[*]}" >&2
echo "(set DOSARIUM_TOOLCHAINS to the folder that holds it)." >&2
exit 78
