#!/usr/bin/env bash
# When Windows ends the log-on, the program agrees at once, saves its settings and ends.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

make_sandbox
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
probe logoff TForm1 "Tempiko！" || fail "the program refused the end of the log-on"
wait_program_exit 30 || fail "the program did not end with the log-on"
grep -qx 'Server=0' <(settings_file) || fail "the settings were not saved"
echo "PASS: the end of the log-on saved the settings and ended the program"
