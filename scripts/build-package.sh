#!/usr/bin/env bash
# Installs what is missing, builds the program and its Debian package (build/package/*.deb).
# Install it with: apt-get install ./build/package/dosarium_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
extra=()
for p in dpkg-dev desktop-file-utils file; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || extra+=("$p")
done
if [ ${#extra[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${extra[@]}"
fi
cmake --preset package >/dev/null
cmake --build --preset package
desktop-file-validate build/package/dosarium.desktop 2>/dev/null || true
(cd build/package && cpack -G DEB)
desktop-file-validate build/package/_CPack_Packages/Linux/DEB/*/usr/share/applications/dosarium.desktop
ls -l build/package/dosarium_*.deb
