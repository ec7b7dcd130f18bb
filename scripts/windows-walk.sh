#!/usr/bin/env bash
# One walk of the real Windows program under Wine and Xvfb, driven with xdotool as a person
# would: the installer installs silently (/S) to C:\Dosarium; the installed program starts for
# the first time (and makes Data, TEMP and TMPSQL), ADMIN signs in, the register opens, an act is
# added with a file, viewed (its readable copy in TEMP has the file's bytes) and deleted (its
# file leaves the archive); a second start ends at once, leaving the first copy alone.
#   scripts/windows-walk.sh [INSTALLER]   (default: build/windows/Dosarium-<version>-setup.exe)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(Dosarium VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
installer=$(realpath "${1:-build/windows/Dosarium-$version-setup.exe}")
command -v xdotool >/dev/null || { echo "xdotool lipseste (apt-get install xdotool)" >&2; exit 1; }

work=$(mktemp -d /tmp/dosarium-walk.XXXXXX)
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
pids=()
cleanup() {
    local status=$?
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    [ $status -eq 0 ] && rm -rf "$work" || echo "Failed; everything stays in $work" >&2
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    echo "windows on screen:" $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|') >&2
    exit 1
}
step() { echo "== $*"; }

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

# The id of a visible window whose caption begins with the text (and of the size, if given),
# waiting up to 60 s for it.
find_window() {
    local id
    for _ in $(seq 600); do
        for id in $(xdotool search --onlyvisible --name "^$1" 2>/dev/null); do
            if [ -z "${2:-}" ] || xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "$2"; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no window \"$1\" ${2:-}"
}
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.5; }
typed() { xdotool type --delay 60 "$1"; sleep 0.3; }
keys() { xdotool key --delay 80 "$@"; sleep 0.3; }
# Up to 60 s: under load, Wine can take long to show a window or write a file.
wait_for() { for _ in $(seq 600); do eval "$1" && return 0; sleep 0.1; done; fail "$2"; }

step "silent installation"
wineboot --init >/dev/null 2>&1
wine "$installer" /S
wineserver -w
program=$WINEPREFIX/drive_c/Dosarium
[ -f "$program/dosarium.exe" ] || fail "nothing installed in C:\\Dosarium"
grep -rqi '"DisplayName"="Dosarium"' "$WINEPREFIX/system.reg" || fail "not among installed programs"

step "first start"
(cd "$program" && exec wine ./dosarium.exe >"$work/dosarium.log" 2>&1) &
pids+=($!)
main=$(find_window 'Dosarium v')
for folder in Data TEMP TMPSQL; do wait_for "[ -d '$program/$folder' ]" "no $folder"; done

step "sign-in and the register"
xdotool windowfocus "$main" 2>/dev/null || true
typed admin
keys Return Return
sleep 1
keys F1
register=$(find_window 'Dosarium$')
eval "$(xdotool getwindowgeometry --shell "$register")"
grow=$((WIDTH - 801))
panel=$((HEIGHT - 135))

step "an act added with a file"
printf '%%PDF-1.4 scanare de proba\n' >"$work/scan.pdf"
click_at "$register" $((566 + grow + 44)) $((panel + 16 + 12))
act=$(find_window 'Dosarium$' 513x407)
click_at "$act" $((120 + 53)) $((316 + 12))
chooser=$(find_window 'Alege Fisierul de arhivat')
sleep 1.5
xdotool windowfocus "$chooser" 2>/dev/null || true
typed "Z:${work//\//\\}\\scan.pdf"
keys Return
wait_for "! xdotool search --onlyvisible --name '^Alege Fisierul' >/dev/null" "the chooser stays open"
sleep 1
click_at "$act" 170 130
typed 17
click_at "$act" 170 186
typed CONTRACTE
click_at "$act" 170 210
typed FURNIZORI
click_at "$act" 85 385
# The copy is written under a temporary name ("<name>.~dsm-...") and then renamed: only the
# finished copy counts, once the dialog has closed.
archived_file() { find "$program/Data" -path '*/CONTRACTE/FURNIZORI/*' -type f ! -name '*.~dsm-*'; }
wait_for "! xdotool search --onlyvisible --name '^Dosarium\$' | grep -qx '$act'" "the act's dialog stays open"
wait_for '[ -n "$(archived_file)" ]' "no archived file"
archived=$(archived_file | head -1)

step "the act viewed"
click_at "$register" 400 $((49 + 24 + 8))
click_at "$register" $((670 + grow + 52)) $((panel + 16 + 12))
wait_for "[ -f '$program/TEMP/$(basename "$archived").pdf' ]" "no readable copy"
cmp "$work/scan.pdf" "$program/TEMP/$(basename "$archived").pdf" || fail "the readable copy differs"

step "the act deleted"
click_at "$register" 400 $((49 + 24 + 8))
click_at "$register" $((566 + grow + 44)) $((panel + 66 + 12))
question=$(find_window Confirmare)
click_at "$question" $((65 + 36)) $((144 + 12))
wait_for "[ ! -e '$archived' ]" "the act's file stays in the archive"

step "a second start ends at once"
(cd "$program" && timeout 60 wine ./dosarium.exe) || fail "the second copy did not end"
xdotool search --onlyvisible --name '^Dosarium v' >/dev/null || fail "the first copy is gone"
echo "Walk done: installed, started, signed in, an act added, viewed and deleted."
