#!/usr/bin/env bash
# Builds Dosarium for Windows (64-bit) on Debian 12 and makes its two packages:
#   build/windows/Dosarium-<version>-win64.zip    a portable folder, runs from anywhere
#   build/windows/Dosarium-<version>-setup.exe    the installer (C:\Dosarium; /S installs silently)
# Installs what is missing, unpacks the Qt for Windows under /opt when it is not there yet
# (scripts/windows-toolchain.sh says where it looks) and builds with the
# CMake preset "windows" (build/windows-release), reusing what an earlier build left.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh windows
scripts/windows-toolchain.sh

[ -f build/windows-release/CMakeCache.txt ] || cmake --preset windows >/dev/null
# The programs first, then what the packages hold besides them (the icon is drawn under Wine).
cmake --build --preset windows -j2 --target dosarium dosarium-sql dosarium-arhiva
cmake --build --preset windows -j2 --target dosarium-icon
(cd build/windows-release && cpack -G ZIP && cpack -G NSIS)
mkdir -p build/windows
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-release/CMakeCache.txt)
cp build/windows-release/Dosarium-"$version"-win64.zip build/windows-release/Dosarium-"$version"-setup.exe \
    build/windows/
ls -l build/windows/Dosarium-"$version"-*
