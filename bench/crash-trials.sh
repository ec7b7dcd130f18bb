#!/usr/bin/env bash
# The crash trials at length, not part of the test run: every writing operation of the program in
# turn (adding, the four kinds of modification, deleting, log entries, ids from the settings file,
# the user file, the pack, the password change with the archive's re-coding), each run by a
# workstation process that is killed (SIGKILL) at a random moment and started again; then the
# data folder must be whole and the operation wholly there or wholly absent. Prints a line per
# trial and a table per operation.
#   bench/crash-trials.sh [TRIALS] [SEED] [OPERATION,...]
set -euo pipefail
cd "$(dirname "$0")/.."
trials=${1:-220}
seed=${2:-1}
only=()
if [ -n "${3:-}" ]; then
    only=(--only "$3")
fi
cmake --preset dev >/dev/null
cmake --build --preset dev --target dosarium_crash_trials dosarium_workstation >/dev/null
build/dev/tests/proof/dosarium_crash_trials --trials "$trials" --seed "$seed" "${only[@]}"
