#!/usr/bin/env bash
# The Windows build's checks, run here under Wine: builds the program and its packages
# (scripts/build-windows.sh), then the unit tests, runs them through ctest with Wine as the
# cross-compiling emulator, walks the installed program (scripts/windows-walk.sh) and lets the
# Linux and the Windows builds take turns on one data folder (scripts/two-platforms.sh, which
# needs the ci build's workstation and console).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh
cmake --build --preset windows -j2
ctest --preset windows
scripts/windows-walk.sh
cmake --build --preset ci --target dosarium_workstation dosarium-sql
scripts/two-platforms.sh
