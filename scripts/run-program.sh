#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it; its data folder "Data" is created
# beside the executable (build/release/program/Data).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target dosarium
exec build/release/program/dosarium "$@"
