#!/usr/bin/env bash
# The full soak: 10,000 random editing actions against the real window (CI runs 1,000).
#   bash tools/soak.sh [ACTIONS] [SEED]
# Builds like tools/test.sh (into build/, or JOTWELL_BUILD_DIR) and runs the soak test
# program under Wine directly: ctest's per-test time limit is too short for the full count.
# A failure prints the seed and the action; pass that seed to replay it.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${JOTWELL_BUILD_DIR:-build}"

bash tools/setup.sh >/dev/null
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build"

export JOTWELL_SOAK_ACTIONS="${1:-10000}"
if [ -n "${2:-}" ]; then export JOTWELL_SOAK_SEED="$2"; fi
status=0
tools/wine-run.sh --state "$build/wine" "$build/bin/integration_tests.exe" --gtest_filter='SoakTest.*' || status=$?
tools/wine-run.sh --state "$build/wine" --stop
exit "$status"
