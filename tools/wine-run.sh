#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's private prefix.
#
#   wine-run.sh --state DIR PROGRAM [ARGS...]   run PROGRAM, creating what is missing first
#   wine-run.sh --state DIR --start             only make sure prefix, display and server are up
#   wine-run.sh --state DIR --stop              stop the server and the virtual display
#   wine-run.sh --state DIR --env               print the environment as shell assignments
#
# The prefix lives in DIR/prefix and is made once. When DISPLAY is not set, a
# virtual display (Xvfb) is started once and reused until --stop. One persistent
# wineserver is kept for the run, so that each program starts in a fraction of a second.
set -euo pipefail

[ "${1:-}" = "--state" ] && [ -n "${2:-}" ] || { echo "usage: $0 --state DIR (PROGRAM ARGS... | --start | --stop | --env)" >&2; exit 2; }
state=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2

export WINEPREFIX="$state/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$state/xvfb.pid" "$state/display"
  fi
}

if [ "${1:-}" = "--stop" ]; then
  stop_all
  exit 0
fi

exec 9>"$state/lock"
flock 9

if [ -z "${DISPLAY:-}" ] || [ -n "${JOTWELL_OWN_DISPLAY:-}" ]; then
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null && [ -s "$state/display" ]; then
    export DISPLAY=":$(cat "$state/display")"
  else
    rm -f "$state/display"
    Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$state/display" </dev/null >/dev/null 2>&1 9>&- &
    echo $! > "$state/xvfb.pid"
    for _ in $(seq 1 100); do [ -s "$state/display" ] && break; sleep 0.05; done
    [ -s "$state/display" ] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(tr -d '\n' < "$state/display")"
    echo "$DISPLAY" | tr -d ':' > "$state/display"
  fi
fi

if [ ! -f "$WINEPREFIX/.jotwell-ready-3" ]; then
  fresh=
  if [ ! -f "$WINEPREFIX/.jotwell-ready" ]; then
    echo "wine-run: creating the Wine prefix in $WINEPREFIX (once per build folder)" >&2
    wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
    wineserver -w
    fresh=1
  fi
  # Without a window manager Wine waits about 2 s on every hide or destroy of a
  # top-level window; unmanaged windows make that wait go away.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 9>&-
  # A crashing test must end, not wait on the crash dialog until its timeout.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1 9>&-
  # Debian's Wine 8 looks for its own fonts under "<data dir>\../fonts", which never
  # resolves, so nothing in /usr/share/wine/fonts is seen. The window caption's buttons
  # are Marlett glyphs and came out as the letters "0 1 r"; the prefix's Fonts folder is
  # always searched.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  [ -n "$fresh" ] && wineserver -w
  touch "$WINEPREFIX/.jotwell-ready" "$WINEPREFIX/.jotwell-ready-3"
fi

server_running() {
  local p
  for p in $(pgrep -f wineserver || true); do
    { tr '\0' '\n' < "/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

# One persistent server for the whole run, with the prefix's services started here, so
# that no daemon holds on to the output of the program that happens to run first.
if ! server_running; then
  wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
  wineboot </dev/null >/dev/null 2>&1 9>&- || true
fi

flock -u 9
exec 9>&-

case "${1:-}" in
  --start) exit 0 ;;
  --env)
    printf 'export WINEPREFIX=%q WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES=%q DISPLAY=%q\n' \
      "$WINEPREFIX" "$WINEDLLOVERRIDES" "$DISPLAY"
    exit 0 ;;
  "") echo "wine-run: no program given" >&2; exit 2 ;;
esac

exec wine "$@"
