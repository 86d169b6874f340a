#!/usr/bin/env bash
# Builds Jotwell and runs the whole test suite under Wine (the print tests use a local CUPS queue).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh >/dev/null

bash tools/print-queue.sh start
cmake --preset mingw
cmake --build --preset mingw
ctest --preset mingw "$@"
