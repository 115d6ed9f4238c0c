#!/usr/bin/env bash
# The real program starts, shows its window with the running clock, is photographed, and ends
# when its window is closed.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

make_sandbox
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
clock=$(probe text TForm1 "Tempiko！" 123)
[[ $clock =~ ^[0-9]{4}/[0-9]{2}/[0-9]{2}\ (午前|午後)\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] \
  || fail "the clock label reads '$clock'"
screenshot "$shots/main-window.png"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end after its window was closed"
echo "PASS: main window shown, clock '$clock', closed cleanly"
