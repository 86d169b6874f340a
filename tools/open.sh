#!/usr/bin/env bash
# Builds Jotwell and opens it. On a display (DISPLAY set) the editor runs until you close
# it. Without one it runs on a virtual display, saves a screenshot, prints its path and ends.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh >/dev/null

cmake --preset mingw >/dev/null
cmake --build --preset mingw --target jotwell
exe=build/bin/jotwell.exe
state=build/wine

if [ -n "${DISPLAY:-}" ]; then
  exec tools/wine-run.sh --state "$state" "$exe"
fi

tools/wine-run.sh --state "$state" --start
eval "$(tools/wine-run.sh --state "$state" --env)"
wine "$exe" </dev/null >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 100); do
  xdotool search --name "Jotwell" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
shot="$PWD/build/jotwell-screenshot.png"
import -window root "PNG24:$shot"
echo "Jotwell ran on the virtual display $DISPLAY; screenshot: $shot"
# Close it the way a user would (Alt+F4); the document is empty, so nothing is asked.
wid=$(xdotool search --name "Jotwell" | head -n 1 || true)
if [ -n "$wid" ]; then
  xdotool windowactivate --sync "$wid" key alt+F4 >/dev/null 2>&1 || true
fi
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
tools/wine-run.sh --state "$state" --stop
