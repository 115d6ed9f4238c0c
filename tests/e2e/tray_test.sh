#!/usr/bin/env bash
# In tray mode (a re-synchronisation period set) the program starts hidden with only its tray
# icon; the icon's right-button menu brings the window back with "設定".
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

make_sandbox "[Option]" "Timer=3"
start_program "$SANDBOX/tempiko.exe"
tray=""
for _ in $(seq 1 200); do
  tray=$(xdotool search --name "Wine System Tray" 2>/dev/null | head -1) && [ -n "$tray" ] && break
  sleep 0.1
done
[ -n "$tray" ] || fail "no tray icon appeared"
sleep 0.5
if probe visible TForm1 "Tempiko！"; then fail "the window is shown in tray mode"; fi
[ "$(probe text TForm1 "Tempiko！" 132)" = "閉じる" ] || fail "Button2 does not read 閉じる"

# The first icon sits at the top left of the tray window.
eval "$(xdotool getwindowgeometry --shell "$tray")"
xdotool mousemove $((X + 10)) $((Y + HEIGHT - 10)) click 3
sleep 1
screenshot "$shots/tray-menu.png"
# The menu opens at the pointer: 設定 is its third item, below two items and a separator.
xdotool mousemove_relative 30 52 click 1
probe wait TForm1 "Tempiko！" 20 || fail "設定 did not bring the window back"
screenshot "$shots/back-from-tray.png"
probe close TForm1 "Tempiko！"  # the close box ends the program in every mode
wait_program_exit 30 || fail "the program did not end"
echo "PASS: tray icon, its menu, and the window back"
