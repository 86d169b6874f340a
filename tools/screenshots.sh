#!/usr/bin/env bash
# Regenerates the README's pictures, docs/jotwell-light.png and docs/jotwell-dark.png, from the
# real program: a short note opened through File > Open on a virtual display, shown under
# View > Theme > Light and then Dark, each captured as the Jotwell window alone, caption included.
#   bash tools/screenshots.sh        (builds into build/, or JOTWELL_BUILD_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${JOTWELL_BUILD_DIR:-build}"

bash tools/setup.sh >/dev/null
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" --target jotwell

state="$build/wine"
# Always the virtual display: on a desktop the window manager would draw a caption of its own.
export JOTWELL_OWN_DISPLAY=1
# A session already up (a test run in this build folder) is left as it was found.
own_session=1
if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then own_session=; fi
tools/wine-run.sh --state "$state" --start
eval "$(tools/wine-run.sh --state "$state" --env)"

note_dir="$state/screenshot-note"
pid=
finish() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  [ -n "$pid" ] && { wait "$pid" 2>/dev/null || true; }
  rm -rf "$note_dir"
  if [ -n "$own_session" ]; then tools/wine-run.sh --state "$state" --stop; fi
}
trap finish EXIT

# Something a user would really keep: a few lines, a list, and a pound sign to show UTF-8.
mkdir -p "$note_dir"
printf '%s\r\n' \
  "Saturday" \
  "" \
  "Market, before it closes at one:" \
  "- sourdough and a dozen eggs" \
  "- apples for Anna's cake" \
  "- coffee beans, the medium roast" \
  "" \
  "Take the bike in: the back brake squeaks." \
  "Ask Priya whether the book club moved to Thursday." \
  "Pay the window cleaner (£15, in the envelope by the door)." \
  > "$note_dir/saturday.txt"
note_path="Z:$(cd "$note_dir" && pwd)/saturday.txt"
note_path="${note_path//\//\\}"

# Waits until `xdotool search ARGS...` finds a window and prints the first one.
wait_window() {
  local found
  for _ in $(seq 1 100); do
    found=$(xdotool search "$@" 2>/dev/null | head -n 1 || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  echo "screenshots: no window for: $*" >&2
  return 1
}

wine "$build/bin/jotwell.exe" </dev/null >/dev/null 2>&1 &
pid=$!
wid=$(wait_window --onlyvisible --name '^Untitled - Jotwell$')
xdotool windowfocus --sync "$wid"
sleep 0.5

xdotool key ctrl+o
wait_window --onlyvisible --name '^Open$' >/dev/null
sleep 0.5
xdotool type --delay 20 "$note_path"
xdotool key Return
wait_window --onlyvisible --name '^saturday\.txt - Jotwell$' >/dev/null

mkdir -p docs
# Keyboard through the menus, as a user would: View > Theme > (Light | Dark).
shoot() {
  xdotool key alt+v
  sleep 0.3
  xdotool key t
  sleep 0.3
  xdotool key "$1"
  sleep 1
  # A palette without dithering keeps flat faces flat and the files small.
  import -window "$wid" +dither -colors 256 -define png:compression-level=9 "PNG8:docs/jotwell-$2.png"
  echo "screenshots: docs/jotwell-$2.png ($(stat -c %s "docs/jotwell-$2.png") bytes)"
}
shoot l light
shoot d dark

# The note is unchanged, so Alt+F4 closes without a question.
xdotool key alt+F4
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
