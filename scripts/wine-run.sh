#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, finding the Qt and MinGW libraries it
# needs, in a Wine prefix of the project's own (made on first use). Used by ctest as the
# cross-compiling emulator and by the scripts that walk the Windows program.
#   scripts/wine-run.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail

QT_WINDOWS=${DOSARIUM_WINDOWS_QT:-/opt/qt-6.8.0-mingw-w64}/windows
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-dosarium}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
dirs=("$QT_WINDOWS/bin" "$gcc_runtime" /usr/x86_64-w64-mingw32/lib)
winepath=""
for d in "${dirs[@]}"; do
    winepath+="Z:${d//\//\\};"
done
export WINEPATH="$winepath${WINEPATH:-}"
export QT_PLUGIN_PATH=${QT_PLUGIN_PATH:-Z:${QT_WINDOWS//\//\\}\\plugins}

if [ ! -d "$WINEPREFIX" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
fi
# Wine brings no fonts of its own here: the programs draw their texts with the Liberation fonts
# (package fonts-liberation2), put where Windows keeps its fonts.
fonts=$WINEPREFIX/drive_c/windows/Fonts
for font in /usr/share/fonts/truetype/liberation2/*.ttf; do
    if [ -e "$font" ] && [ ! -e "$fonts/${font##*/}" ]; then cp "$font" "$fonts/"; fi
done
exec wine "$@"
