#!/usr/bin/env bash
# Pictures of the program's windows for a person to look at: the main window with the details
# area closed and open on each page, and the about box opened from the system menu.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

make_sandbox
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
screenshot "$shots/main-window.png"
probe click TForm1 "Tempiko！" 136
[ "$(probe text TForm1 "Tempiko！" 136)" = "<< 詳細" ] || fail "Button6 did not open the details"
screenshot "$shots/details-options-page.png"
probe click TForm1 "Tempiko！" 137
[ "$(probe text TForm1 "Tempiko！" 137)" = "状態" ] || fail "Button7 did not switch to the log"
screenshot "$shots/details-log-page.png"
probe syscmd TForm1 "Tempiko！" 0x110  # the system menu's バージョン情報
probe wait - "バージョン情報" 20 || fail "the about box did not open"
screenshot "$shots/about-box.png"
probe close - "バージョン情報"
probe gone - "バージョン情報" 20 || fail "the about box did not close"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: windows photographed"
