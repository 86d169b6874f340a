#!/usr/bin/env bash
# Builds Jotwell and runs the whole test suite under Wine (the print tests use a local CUPS queue).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh >/dev/null

bash tools/print-queue.sh start
cmake --preset mingw
cmake --build --preset mingw
# The prefix is made, and its server and services started, before ctest lists the tests:
# making a fresh prefix inside the listing once ran past the listing's time limit.
tools/wine-run.sh --state build/wine --start
ctest --preset mingw "$@"
