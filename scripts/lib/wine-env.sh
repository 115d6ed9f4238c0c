# Sourced by the scripts that run Windows programs under Wine. It gives the build a Wine prefix
# of its own (Japanese locale, font replacements, no window manager stalls), a virtual display
# when there is none, and helpers to start and stop Wine cleanly.
#
# Inputs: TEMPIKO_BUILD (the MinGW build folder). Everything Wine writes stays below it.

TEMPIKO_ROOT=${TEMPIKO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
TEMPIKO_BUILD=${TEMPIKO_BUILD:-$TEMPIKO_ROOT/build/mingw}
export WINEPREFIX=${WINEPREFIX:-$TEMPIKO_BUILD/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# Keep Wine from writing menus and desktop files, and from asking for Mono or Gecko. A test
# adds its own choices in TEMPIKO_DLL_OVERRIDES ("rasapi32=n" takes the DLL beside the program).
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml=${TEMPIKO_DLL_OVERRIDES:+;$TEMPIKO_DLL_OVERRIDES}"
export HOME=$TEMPIKO_BUILD/winehome
# A Japanese locale generated into the build folder, without touching the system: Wine then
# has ANSI code page 932 and locale 0x411.
export LOCPATH=$TEMPIKO_BUILD/locale
if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
  mkdir -p "$LOCPATH"
  LC_ALL=C localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" 2>/dev/null || true
fi
{ export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null  # bash itself may not load it
# ...and Japan's time zone, 9 hours ahead of UTC, as on the program's home machines.
export TZ=${TEMPIKO_TZ:-Asia/Tokyo}

tempiko_log() { echo "[wine-env] $*" >&2; }

# Starts Xvfb on a free display number unless DISPLAY already answers.
tempiko_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    TEMPIKO_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.05
    done
    tempiko_log "no display was available: started a virtual one (Xvfb $DISPLAY)"
    return
  done
  echo "no free X display number" >&2
  return 1
}

tempiko_stop_display() {
  if [ -n "${TEMPIKO_XVFB_PID:-}" ]; then kill "$TEMPIKO_XVFB_PID" 2>/dev/null || true; fi
}

# Creates the prefix once; later runs reuse it.
tempiko_prepare_prefix() {
  mkdir -p "$HOME"
  [ -f "$WINEPREFIX/.tempiko-ready" ] && return
  tempiko_log "preparing the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  local replacements='HKCU\Software\Wine\Fonts\Replacements'
  local face
  for face in "MS PGothic" "MS UI Gothic" "ＭＳ Ｐゴシック"; do
    wine reg add "$replacements" /v "$face" /d IPAPGothic /f </dev/null >/dev/null 2>&1
  done
  for face in "MS Gothic" "ＭＳ ゴシック"; do
    wine reg add "$replacements" /v "$face" /d IPAGothic /f </dev/null >/dev/null 2>&1
  done
  # Without a window manager hiding a window stalls; unmanaged windows get Wine's own frames.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
  touch "$WINEPREFIX/.tempiko-ready"
}

# Starts the wineserver persistently with its output detached: Wine's background services
# would otherwise inherit the callers' pipes (ctest then hangs).
# A wineserver left by an earlier run would serve this one from that run's network namespace
# (its socket is a file, shared by all namespaces): end it first.
tempiko_start_wine() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  (wineserver -p; wine cmd /c exit) </dev/null >/dev/null 2>&1
}

tempiko_stop_wine() {
  wineserver -k 2>/dev/null || true
}
