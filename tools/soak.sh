#!/usr/bin/env bash
# The full soak: 10,000 random editing actions against the real window (CI runs 1,500 on each
# of several seeds).
#   bash tools/soak.sh [ACTIONS] [SEED]
# Without a seed it takes a random one and prints it; pass that seed to replay a failure.
# Builds like tools/test.sh (into build/, or JOTWELL_BUILD_DIR) and runs the soak test
# program under Wine directly: ctest's per-test time limit is too short for the full count.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${JOTWELL_BUILD_DIR:-build}"

bash tools/setup.sh >/dev/null
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build"

export JOTWELL_SOAK_ACTIONS="${1:-10000}"
export JOTWELL_SOAK_SEED="${2:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}"
echo "soak: seed $JOTWELL_SOAK_SEED, $JOTWELL_SOAK_ACTIONS actions"
status=0
tools/wine-run.sh --state "$build/wine" "$build/bin/integration_tests.exe" --gtest_filter='SoakTest.*' || status=$?
tools/wine-run.sh --state "$build/wine" --stop
exit "$status"
