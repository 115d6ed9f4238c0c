#!/usr/bin/env bash
# Builds tempiko.exe and starts it under Wine (on Windows, start build\mingw\src\win32\tempiko.exe
# directly). Without a display it starts a virtual one, says so, saves a screenshot of the
# window, and ends the program; TEMPIKO_KEEP_RUNNING=1 leaves it running there instead.
# Arguments are passed to the program (for example -d).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target tempiko probe -j "$(nproc)"

export TEMPIKO_BUILD=$root/build/mingw
source scripts/lib/wine-env.sh
exe=$TEMPIKO_BUILD/src/win32/tempiko.exe
# Started in its own folder, as the Startup shortcut starts it, so "ヘルプ" finds Tempiko.htm.
cd "$(dirname "$exe")"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  tempiko_prepare_prefix
  exec wine "$exe" "$@"
fi

tempiko_ensure_display
trap 'tempiko_stop_wine; tempiko_stop_display' EXIT
tempiko_prepare_prefix
probe() { wine "$TEMPIKO_BUILD/tests/e2e/probe.exe" "$@" </dev/null >/dev/null 2>&1; }
wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
pid=$!
if probe wait TForm1 "Tempiko！" 60; then
  sleep 1  # let the clock label tick once before the picture
  shot=$TEMPIKO_BUILD/screenshots/run.png
  mkdir -p "$(dirname "$shot")"
  import -window root "$shot"
  echo "Tempiko is running on the virtual display $DISPLAY; screenshot of its window: $shot"
else
  echo "the Tempiko window did not appear within 60 s" >&2
fi
if [ "${TEMPIKO_KEEP_RUNNING:-0}" = 1 ]; then
  echo "Leaving it running (Ctrl-C ends it)."
  wait "$pid"
else
  probe close TForm1 "Tempiko！" || true
  wait "$pid" || true
fi
