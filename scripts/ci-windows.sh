#!/usr/bin/env bash
# The Windows checks of CI, run by .ci/run after the Linux tests (it needs their build/ci):
# cross-builds the program and its tests without optimisation (preset windows-ci), runs the
# unit tests under Wine, walks the real dosarium.exe that its installer installs
# (scripts/windows-walk.sh), and lets the Linux and the Windows builds take turns on one data
# folder (scripts/two-platforms.sh). Ends with status 78 when the Qt for Windows is nowhere to be
# found: the checks could not run, which is neither a pass nor a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
took() { echo "-- $1: $((SECONDS - started)) s so far"; }

status=0
scripts/windows-toolchain.sh --find || status=$?
[ $status -eq 0 ] || exit $status
scripts/setup.sh windows
scripts/windows-toolchain.sh
took "packages and toolchain"

# One Wine prefix for the tests, made once before they start in parallel.
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-dosarium} WINEDEBUG=-all
if [ ! -d "$WINEPREFIX" ]; then
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1 || true
    wineserver -w
fi
took "Wine prefix"

[ -f build/windows-ci/CMakeCache.txt ] || cmake --preset windows-ci >/dev/null
cmake --build --preset windows-ci -j2
(cd build/windows-ci && cpack -G NSIS >/dev/null)
took "cross build and installer"

ctest --preset windows-ci
took "unit tests under Wine"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-ci/CMakeCache.txt)
scripts/windows-walk.sh "build/windows-ci/Dosarium-$version-setup.exe"
took "walk of the installed program"

WINDOWS_BUILD=$PWD/build/windows-ci scripts/two-platforms.sh
took "one data folder, two platforms"
echo "Windows checks passed."
