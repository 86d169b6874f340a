#!/usr/bin/env bash
# The full soak: 10,000 random editing actions against the real window (CI runs 800).
#   bash tools/soak.sh [ACTIONS] [SEED]
# Builds into build/ like tools/test.sh and runs the soak test program under Wine directly:
# ctest's per-test time limit (120 s) is too short for the full count.
# A failure prints the seed and the action; pass that seed to replay it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh >/dev/null
cmake --preset mingw >/dev/null
cmake --build --preset mingw

export JOTWELL_SOAK_ACTIONS="${1:-10000}"
[ -n "${2:-}" ] && export JOTWELL_SOAK_SEED="$2"
state=build/wine
status=0
tools/wine-run.sh --state "$state" build/bin/integration_tests.exe --gtest_filter='SoakTest.*' || status=$?
tools/wine-run.sh --state "$state" --stop
exit "$status"
