#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Dosarium need, only those
# that are missing. Run as root (or with sudo). With "windows": also what the Windows build and
# its tests under Wine need (scripts/build-windows.sh).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format
    fonts-liberation2
    xvfb xauth
)
if [ "${1:-}" = windows ]; then
    packages+=(g++-mingw-w64-x86-64-posix wine wine64 nsis googletest ccache xz-utils xdotool python3)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
