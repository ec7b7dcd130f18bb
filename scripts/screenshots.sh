#!/usr/bin/env bash
# Takes the user guide's pictures of every window (docs/*.png): builds the program, starts it in
# a folder of its own under a virtual display with a small window manager, gives it a register
# of a few acts and a history while it waits at the sign-in strip, and drives it with xdotool as
# a person would; ImageMagick's import takes the pictures. Not part of CI. Run as root on
# Debian 12 (or with sudo); installs what it lacks.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
docs=$root/docs

scripts/setup.sh
missing=()
for p in xdotool imagemagick openbox; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake --preset dev >/dev/null
cmake --build --preset dev --target dosarium dosarium-sql password_prompt_preview
build=$root/build/dev
sql=$build/tools/dosarium-sql

work=$(mktemp -d /tmp/dosarium-shots.XXXXXX)
pids=()
cleanup() {
    local status=$?
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [ "$status" -eq 0 ]; then
        rm -rf "$work"
    else
        echo "Failed; the program's folder and logs stay in $work" >&2
    fi
}
trap cleanup EXIT

# The virtual display, 1280 x 800, on the first free number; the window manager draws captions.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

step() { echo "== $*"; }

# Whether a window's size is the one asked for: WIDTHxHEIGHT, "big" (the register, opened
# maximised), or anything when empty.
size_fits() {
    local geometry
    geometry=$(xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/.*Geometry: //p')
    [ -n "$geometry" ] || return 1
    case "$2" in
        "") return 0 ;;
        big) [ "${geometry%x*}" -ge 800 ] && [ "${geometry#*x}" -ge 500 ] ;;
        *) [ "$geometry" = "$2" ] ;;
    esac
}
# The id of a visible window whose caption begins with this text (and of this size, when
# given), waiting for it. The captions are matched by their beginning: xdotool does not match
# the end of some of the program's captions.
find_window() {
    local id
    for _ in $(seq 150); do
        for id in $(xdotool search --onlyvisible --name "^$1" 2>/dev/null); do
            size_fits "$id" "${2:-}" && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    echo "no window \"$1\" ${2:-}" >&2
    return 1
}
# Waits until no such window is visible.
gone() {
    local id left
    for _ in $(seq 150); do
        left=""
        for id in $(xdotool search --onlyvisible --name "^$1" 2>/dev/null); do
            size_fits "$id" "${2:-}" && left=1
        done
        [ -z "$left" ] && return 0
        sleep 0.1
    done
    echo "window \"$1\" stays" >&2
    return 1
}
# A window with its frame and caption.
shoot() { sleep 0.4; import -window "$1" -frame "$docs/$2.png"; }
# A part of the screen: width x height + left + top.
shoot_area() { sleep 0.4; import -window root -crop "$1" +repage "$docs/$2.png"; }
# A click at a place inside a window (without its frame).
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
keys() { xdotool key --delay 80 "$@"; sleep 0.3; }
typed() { xdotool type --delay 60 "$1"; sleep 0.2; }

mkdir -p "$docs"
program=$work/program
mkdir -p "$program"
cp "$build/program/dosarium" "$program/"

step "first start: the splash, then the sign-in strip"
# A temporary folder of its own: a copy already running for this user (whose one-copy socket
# lives in the temporary folder) would otherwise be brought forward instead.
mkdir -p "$work/tmp"
(cd "$program" && TMPDIR="$work/tmp" exec ./dosarium >"$work/dosarium.log" 2>&1) &
dosarium=$!
pids+=($dosarium)
# The splash shows for less than a second here: the program is stopped while it is taken.
splash=""
for _ in $(seq 500); do
    for id in $(xdotool search --onlyvisible --pid "$dosarium" 2>/dev/null); do
        size_fits "$id" 395x187 && splash=$id
    done
    [ -n "$splash" ] && break
    sleep 0.02
done
[ -n "$splash" ] || { echo "no splash" >&2; exit 1; }
sleep 0.15
kill -STOP "$dosarium"
import -window "$splash" "$docs/splash.png"
kill -CONT "$dosarium"
main=$(find_window 'Dosarium v')
shoot "$main" signin

step "the register and its history, written while the program waits at the sign-in"
data=$program/Data
acte=$(ls "$data" | grep -i '^acte.dbf$')
log=$(ls "$data" | grep -i '^log.dbf$')
add_act() { # id date domain subdomain title series number code extension observation [size]
    local id=$1 date=$2 year=${2:6:4} month=$((10#${2:3:2}))
    "$sql" "INSERT INTO \"$data/$acte\" (IDACT, ANUL, LUNA, DATAACT, DOMENIUL, SUBDOM, TITLU, SERIA, NR, COD, EXTENSIE, OBS) VALUES ($id, $year, $month, \"$date\", \"$3\", \"$4\", \"$5\", \"$6\", \"$7\", \"$8\", \"$9\", \"${10}\")" >/dev/null
    mkdir -p "$data/$year/$3/$4"
    if [ -n "${11:-}" ]; then
        truncate -s "${11}" "$data/$year/$3/$4/$id"
    else
        head -c $((20000 + id * 1500)) /dev/urandom >"$data/$year/$3/$4/$id"
    fi
}
add_act 1 14.01.2025 CONTRACTE FURNIZORI "CONTRACT DE LIVRARE" AB 101 C-17 .pdf "Semnat de ambele parti"
add_act 2 03.02.2025 CONTRACTE CLIENTI "CONTRACT DE SERVICII" AB 102 C-18 .pdf ""
add_act 3 21.02.2025 ADRESE PRIMITE "ADRESA PRIMARIE" AD 15 "" .jpg "Raspuns in 30 de zile"
add_act 4 07.03.2025 ADRESE TRIMISE "CERERE AVIZ" AD 16 "" .pdf ""
add_act 5 18.03.2025 FACTURI FURNIZORI "FACTURA ENERGIE" FE 2231 F-01 .pdf ""
add_act 6 02.04.2025 FACTURI FURNIZORI "FACTURA APA" FA 771 F-02 .png ""
add_act 7 15.04.2025 PERSONAL DECIZII "DECIZIE ANGAJARE" DP 3 "" .pdf ""
add_act 8 30.04.2025 PERSONAL "CONTRACTE MUNCA" "CONTRACT INDIVIDUAL" CIM 12 "" .pdf ""
add_act 9 12.05.2025 "PROCESE VERBALE" RECEPTIE "PV RECEPTIE LUCRARI" PV 8 "" .jpg ""
add_act 10 26.05.2025 CONTRACTE FURNIZORI "ACT ADITIONAL" AB 101/1 C-17 .pdf "Prelungire un an"
add_act 11 09.06.2025 ADRESE PRIMITE "NOTIFICARE" AD 21 "" .pdf "Dosar scanat integral" 800M
add_act 12 20.11.2024 FACTURI CLIENTI "FACTURA SERVICII" FS 45 F-10 .pdf ""
history=(
    "14.01.2025|09:12:40|Acces in program.|BIROU1 - maria|MARIA"
    "14.01.2025|09:15:02|Adaugare Act 101/14.01.2025 - Domeniul: CONTRACTE|BIROU1 - maria|MARIA"
    "03.02.2025|10:01:17|Adaugare Act 102/03.02.2025 - Domeniul: CONTRACTE|BIROU1 - maria|MARIA"
    "21.02.2025|11:30:05|Adaugare Act 15/21.02.2025 - Domeniul: ADRESE|BIROU2 - ion|ION"
    "07.03.2025|08:47:51|Adaugare Act 16/07.03.2025 - Domeniul: ADRESE|BIROU2 - ion|ION"
    "18.03.2025|12:05:33|Adaugare Act 2231/18.03.2025 - Domeniul: FACTURI|BIROU1 - maria|MARIA"
    "02.04.2025|13:22:10|Adaugare Act 771/02.04.2025 - Domeniul: FACTURI|BIROU1 - maria|MARIA"
    "02.04.2025|13:40:44|Modificare Act 771/02.04.2025 - Domeniul: FACTURI|BIROU1 - maria|MARIA"
    "15.04.2025|09:02:19|Adaugare Act 3/15.04.2025 - Domeniul: PERSONAL|BIROU1 - maria|MARIA"
    "30.04.2025|15:18:27|Adaugare Act 12/30.04.2025 - Domeniul: PERSONAL|BIROU1 - maria|MARIA"
    "12.05.2025|10:44:08|Adaugare Act 8/12.05.2025 - Domeniul: PROCESE VERBALE|BIROU2 - ion|ION"
    "26.05.2025|14:10:55|Adaugare Act 101/1/26.05.2025 - Domeniul: CONTRACTE|BIROU1 - maria|MARIA"
    "09.06.2025|09:30:12|Adaugare Act 21/09.06.2025 - Domeniul: ADRESE|BIROU2 - ion|ION"
    "09.06.2025|16:55:01|Inchidere program.|BIROU2 - ion|ION"
)
n=0
for entry in "${history[@]}"; do
    IFS='|' read -r date time action user person <<<"$entry"
    n=$((n + 1))
    "$sql" "INSERT INTO \"$data/$log\" (IDLOG, DATAL, ORA, ACTIUNE, UTILIZATOR, NUMEUTIL) VALUES ($n, \"$date\", \"$time\", \"$action\", \"$user\", \"$person\")" >/dev/null
done
printf '[INDEX]\r\nIDACT=13\r\nIDLOG=%d\r\n' $((n + 1)) >"$data/Dsm.in"

step "a wrong password, then the sign-in and the menu"
typed admin
keys Return
typed gresit
keys Return
shoot_area 1280x200+0+0 signin-error
click_at "$main" 1100 36
keys ctrl+a BackSpace Return
sleep 0.5
shoot "$main" menu
click_at "$main" 174 30
shoot_area 640x160+0+0 menu-setari
click_at "$main" 700 30

step "the register, a pick list, a filter"
keys F1
sleep 0.5
register=$(find_window Dosarium big)
eval "$(xdotool getwindowgeometry --shell "$register")"
grow=$((WIDTH - 801))        # the window opens maximised; the lists and buttons move with it
panel=$((HEIGHT - 135))      # the filter panel is the bottom band
shoot "$register" register
click_at "$register" $((264 + (263 + grow) / 2)) $((panel + 8 + 48 + 10))
shoot_area 1280x520+0+280 register-lists
keys Down Down Return
shoot "$register" register-filter
click_at "$register" $((264 + (263 + grow) / 2)) $((panel + 8 + 48 + 10))
keys Home Return

step "the act dialog, the file chooser"
click_at "$register" 400 $((49 + 24 + 17 * 0 + 8))
click_at "$register" $((566 + grow + 44)) $((panel + 41 + 12))
act=$(find_window Dosarium 513x407)
shoot "$act" act
keys Escape
gone Dosarium 513x407
click_at "$register" $((566 + grow + 44)) $((panel + 16 + 12))
act=$(find_window Dosarium 513x407)
shoot "$act" act-new
click_at "$act" $((120 + 53)) $((316 + 12))
chooser=$(find_window 'Alege Fisierul de arhivat')
shoot "$chooser" file-chooser
keys Escape
gone 'Alege Fisierul de arhivat'
keys Escape
gone Dosarium 513x407

step "the deletion question"
click_at "$register" 400 $((49 + 24 + 17 * 2 + 8))
click_at "$register" $((566 + grow + 44)) $((panel + 66 + 12))
question=$(find_window Confirmare)
shoot "$question" message
keys Escape
gone Confirmare

step "the progress strip while an act's file is made readable"
click_at "$register" 400 $((49 + 24 + 17 * 11 + 8))
click_at "$register" $((670 + grow + 52)) $((panel + 16 + 12))
sleep 1.2
shoot_area 520x200+380+300 progress
for _ in $(seq 600); do
    [ "$(stat -c %s "$program/TEMP/11.pdf" 2>/dev/null || echo 0)" -ge 838860800 ] && break
    sleep 0.2
done
sleep 1
keys Escape
gone Dosarium big

step "the log window"
click_at "$main" 174 30
keys Down Down Return
logwindow=$(find_window 'Istoric modificari date')
shoot "$logwindow" log
keys Escape
gone 'Istoric modificari date'

step "the administrator window and the user dialog"
click_at "$main" 174 30
keys Down Return
admin=$(find_window 'Administrator program')
click_at "$admin" $((459 - 18 - 3 * 89 - 6 + 44)) $((4 + 176 + 12))
user=$(find_window 'Modificare utilizator')
typed ion
keys Return
typed parola
keys Return
typed parola
keys Return Up
shoot "$user" user
keys Return
gone 'Modificare utilizator'
shoot "$admin" admin
click_at "$admin" $((459 - 66 + 12)) $((226 + 12))
picker=$(find_window 'Indicati baza de date din retea')
shoot "$picker" server-picker
keys Escape
gone 'Indicati baza de date din retea'
keys Escape
gone 'Administrator program'

step "the password prompt"
"$build/tests/program/password_prompt_preview" >/dev/null 2>&1 &
prompt_pid=$!
pids+=($prompt_pid)
prompt=$(find_window Parola 260x96)
typed taina
shoot "$prompt" password
keys Escape
wait "$prompt_pid" || true

step "the exit question"
click_at "$main" $((3 + 2 * 115 + 56)) 30
question=$(find_window Confirmare)
shoot "$question" exit
click_at "$question" $((65 + 36)) $((144 + 12))
wait "$dosarium" || true
echo "Pictures in $docs:"
ls "$docs"/*.png
