#!/usr/bin/env bash
# "-d" runs once and ends by itself, leaving the settings file with the program's keys; a
# second instance started while one runs ends at once without a window.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "[Server]" "127.0.0.1="
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
timeout 20 wine "$SANDBOX/tempiko.exe" -d </dev/null >/dev/null 2>&1 \
  || fail "a second instance did not end at once"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the first instance did not end"

start_program "$SANDBOX/tempiko.exe" -d
wait_program_exit 40 || fail "the -d run did not end by itself"
grep -q '^LastTime=' <(settings_file) || fail "the -d run did not record its correction"

# From scratch: the built-in first server does not resolve here, and -d still ends, leaving
# a settings file with the program's keys in their order of first writing.
rm -rf "$SANDBOX"
make_sandbox
start_program "$SANDBOX/tempiko.exe" -d
wait_program_exit 40 || fail "the -d run without a server did not end by itself"
keys=$(settings_file | sed -n '1,/^\[Server\]/s/=.*//p' | tr '\n' ' ')
expected="Start Entry HoseiGosa HoseiMSec Agent Timer delay Server "
[ "$keys" = "$expected" ] || fail "settings keys: '$keys', expected '$expected'"
[ "$(settings_file | sed -n '/^\[Server\]/{n;p}')" = "ntp.nict.jp=" ] || fail "server list not saved"
echo "PASS: -d ran once and ended; a second instance ended at once"
