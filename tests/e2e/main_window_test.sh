#!/usr/bin/env bash
# The real program starts, shows its window with the running clock, is photographed, and ends
# when its window is closed. The clock follows the system's: each second it shows is the
# current one (give or take the turn of a second), however few of its ticks wake the window.
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
# The label's second against the system's (zones differ by whole minutes, so seconds agree);
# the label may lag a tick behind the second's turn, and round up in its last half millisecond.
label_second() { grep -oP '[0-9]{2}$' <<<"$1" | sed 's/^0//'; }
for _ in 1 2 3 4 5; do
  before=$(date +%s)
  shown=$(probe text TForm1 "Tempiko！" 123)
  after=$(date +%s)
  second=$(label_second "$shown")
  ((second == (before + 59) % 60 || second == before % 60 || second == after % 60 ||
    second == (after + 1) % 60)) \
    || fail "the clock label shows '$shown' at $(date -u -d @"$after" +%T) UTC"
  sleep 0.7
done
screenshot "$shots/main-window.png"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end after its window was closed"
echo "PASS: main window shown, clock '$clock', closed cleanly"
