#!/usr/bin/env bash
# One data folder, two platforms: workstations of the Linux build and of the Windows build (under
# Wine) take turns on one data folder, then work on it at once. Checks that
#   - acts added on one are changed and deleted on the other,
#   - both consoles (dosarium-sql) print identical rows, and reading changes no byte,
#   - two Windows workstations adding at once hand out no id twice, nor do a Linux and a Windows
#     workstation adding at once (when Wine puts Windows locks on the host's files),
#   - whether a lock held on Linux keeps a Windows workstation out (Wine mapping Windows locks
#     onto the host's locks); the answer is printed.
# Needs the ci build (Linux) and the windows build with its tests configured:
#   cmake --build --preset ci --target dosarium_workstation dosarium-sql
#   cmake --build --preset windows --target dosarium_workstation dosarium-sql
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_station=${LINUX_BUILD:-$root/build/ci}/tests/proof/dosarium_workstation
linux_sql=${LINUX_BUILD:-$root/build/ci}/tools/dosarium-sql
windows_station=${WINDOWS_BUILD:-$root/build/windows-release}/tests/proof/dosarium_workstation.exe
windows_sql=${WINDOWS_BUILD:-$root/build/windows-release}/tools/dosarium-sql.exe
wine=$root/scripts/wine-run.sh
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

work=$(mktemp -d /tmp/dosarium-two-platforms.XXXXXX)
trap 'status=$?; [ $status -eq 0 ] && rm -rf "$work" || echo "Failed; everything stays in $work" >&2' EXIT
data=$work/statia0/Data

fail() { echo "FAILED: $*" >&2; exit 1; }
step() { echo "== $*"; }
# station NAME PLATFORM COMMANDS...: one workstation's run; its lines go to $work/NAME.out.
station() {
    local name=$1 platform=$2
    shift 2
    local args=(--home "$work/$name" --station "${name^^}")
    [ "$name" != statia0 ] && args+=(--server "$data")
    if [ "$platform" = linux ]; then
        "$linux_station" "${args[@]}" "$@" >"$work/$name.out"
    else
        "$wine" "$windows_station" "${args[@]}" "$@" | tr -d '\r' >"$work/$name.out"
    fi
    ! grep -q '^ERROR' "$work/$name.out" || fail "$name: $(grep '^ERROR' "$work/$name.out")"
}
added() { awk -F'\t' '$1 == "DONE" && $2 == "add" { print $NF }' "$work/$1.out"; }
# add_at_once NAME PLATFORM NAME PLATFORM: two workstations add 10 acts each at the same time;
# no id may be handed out twice.
add_at_once() {
    station "$1" "$2" start signin ADMIN "" add 10 &
    local first=$!
    station "$3" "$4" start signin ADMIN "" add 10 &
    local second=$!
    wait $first && wait $second || fail "a workstation failed"
    ids=$(cat <(added "$1") <(added "$3"))
    [ "$(sort <<<"$ids" | uniq -d)" = "" ] || fail "an id handed out twice: $(sort <<<"$ids" | uniq -d)"
    [ "$(wc -l <<<"$ids")" -eq 20 ] || fail "expected 20 acts added"
}
acts_table() { find "$data" -maxdepth 1 -iname acte.dbf | head -1; }
rows() { # PLATFORM: every act, as the console of that platform prints it
    local query="SELECT IDACT, DATAACT, DOMENIUL, SUBDOM, TITLU, SERIA, NR, COD, EXTENSIE, OBS FROM \"$(acts_table)\""
    if [ "$1" = linux ]; then
        "$linux_sql" "$query" </dev/null
    else
        "$wine" "$windows_sql" "$query" </dev/null | tr -d '\r'
    fi
}

step "Linux makes the data folder and adds three acts"
station statia0 linux start signin ADMIN "" add 3
mapfile -t linux_ids < <(added statia0)
[ ${#linux_ids[@]} -eq 3 ] || fail "Linux added ${#linux_ids[@]} acts"

step "Windows adds three, changes one of Linux's and deletes another"
station statia1 windows start signin ADMIN "" add 3 modify "${linux_ids[0]}" obs \
    delete "${linux_ids[1]}"
mapfile -t windows_ids < <(added statia1)
[ ${#windows_ids[@]} -eq 3 ] || fail "Windows added ${#windows_ids[@]} acts"

step "Linux changes one of Windows's and deletes another"
station statia2 linux start signin ADMIN "" modify "${windows_ids[0]}" file \
    delete "${windows_ids[1]}"

step "both consoles print the same rows, and reading changes no byte"
before=$(sha256sum "$(acts_table)")
rows linux >"$work/linux.rows"
rows windows >"$work/windows.rows"
[ "$(sha256sum "$(acts_table)")" = "$before" ] || fail "reading changed the table"
diff "$work/linux.rows" "$work/windows.rows" || fail "the consoles differ"
[ "$(($(wc -l <"$work/linux.rows") - 1))" -eq 4 ] || fail "expected 4 acts"
for gone in "${linux_ids[1]}" "${windows_ids[1]}"; do
    ! cut -f1 "$work/linux.rows" | grep -qx "$gone" || fail "act $gone was not deleted"
done

step "two Windows workstations add at once"
add_at_once statia3 windows statia4 windows

step "a lock held on Linux, seen from Windows"
table=$(acts_table)
python3 - "$table" <<'PY' &
import fcntl, os, sys, time
fd = os.open(sys.argv[1], os.O_RDWR)
fcntl.lockf(fd, fcntl.LOCK_EX, 1, 999_999_999)  # the table's open lock, taken exclusively
open(sys.argv[1] + ".held", "w").close()
time.sleep(25)
PY
holder=$!
for _ in $(seq 100); do [ -e "$table.held" ] && break; sleep 0.1; done
if rows windows >"$work/locked.rows" 2>"$work/locked.err"; then
    shares=no
else
    grep -q "ocupat" "$work/locked.err" || fail "Windows console: $(cat "$work/locked.err")"
    shares=yes
fi
kill $holder 2>/dev/null || true
wait $holder 2>/dev/null || true
rm -f "$table.held"
if [ $shares = yes ]; then
    echo "Wine puts Windows locks on the host's files: a Linux lock keeps Windows out."
    step "a Linux and a Windows workstation add at once"
    add_at_once statia5 linux statia6 windows
else
    echo "Wine does not put Windows locks on the host's files: Linux and Wine processes do not" \
        "exclude each other (real Windows and Linux workstations on a share do)."
fi
rows linux >"$work/linux.rows"
rows windows >"$work/windows.rows"
diff "$work/linux.rows" "$work/windows.rows" || fail "the consoles differ at the end"
echo "One data folder, two platforms: $(($(wc -l <"$work/linux.rows") - 1)) acts, identical on both."
