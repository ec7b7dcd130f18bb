#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS seconds (default 60) from the corpus kept in
# tests/fuzz/corpus/<target> (and, for the table reader, the damaged-table corpus), and prints
# a table of executions and crashes. New inputs go to a scratch folder; with "merge" as the
# second argument the ones that reach new code are merged, minimised, into the kept corpus.
#   scripts/run-fuzzers.sh [SECONDS] [merge]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
merge=${2:-}
targets="fuzz_table_header fuzz_statement fuzz_record_filter fuzz_user_file fuzz_settings"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target $targets >/dev/null

# The user-file target writes a file per input: memory is faster than the disk where it has room.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
status=0
echo "| target | time | executions | crashes |"
echo "|---|---|---|---|"
for target in $targets; do
    kept="tests/fuzz/corpus/$target"
    mkdir -p "$work/$target" "$kept"
    seeds=("$kept")
    if [ "$target" = fuzz_table_header ]; then
        seeds+=("tests/data/damaged")
    fi
    log="$work/$target.log"
    if ! "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/$target-" "$work/$target" "${seeds[@]}" >"$log" 2>&1; then
        status=1
    fi
    executions=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    crashes=$(find "$work" -maxdepth 1 -name "$target-*" | wc -l)
    echo "| $target | ${seconds} s | ${executions:-?} | $crashes |"
    if [ "$crashes" -gt 0 ]; then
        mkdir -p fuzz-findings
        cp "$work/$target"-* fuzz-findings/
        tail -40 "$log" >&2
    fi
    if [ "$merge" = merge ]; then
        "build/fuzz/tests/fuzz/$target" -merge=1 "$kept" "$work/$target" >/dev/null 2>&1 || true
    fi
done
if [ "$status" -ne 0 ]; then
    echo "A target failed; its inputs are in fuzz-findings/." >&2
fi
exit "$status"
