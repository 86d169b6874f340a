#!/usr/bin/env bash
# Builds Jotwell and runs the benchmarks under Wine; prints each figure's median and its
# ratio to a bare RichEdit control doing the same work in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset mingw >/dev/null
cmake --build --preset mingw --target jotwell_bench
state=build/wine
tools/wine-run.sh --state "$state" --start
status=0
tools/wine-run.sh --state "$state" build/bin/jotwell_bench.exe "$@" || status=$?
tools/wine-run.sh --state "$state" --stop
exit "$status"
