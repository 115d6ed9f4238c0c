#!/usr/bin/env bash
# Settings that cannot be saved: an unattended start, "-d" after its run and "-s" after its
# correction, shows the error and still ends; a close by the user shows it and keeps the window,
# so that the program can still be moved somewhere writable. The settings file is held by
# another program that lets others read it but not write it.
set -euo pipefail
exe=$1 probe=$2 shots=$3
locker=$(dirname "$probe")/file_locker.exe
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

# Holds the sandbox's settings file while the token file exists (removed by release_settings,
# or when the script ends).
hold_settings() {
  LOCK_TOKEN=$(mktemp)
  LOCK_LOG=$(mktemp)
  on_exit "rm -f '$LOCK_TOKEN' '$LOCK_LOG'"
  wine "$locker" "$(winepath -w "$SANDBOX/tempiko.ini" 2>/dev/null)" \
    "$(winepath -w "$LOCK_TOKEN" 2>/dev/null)" </dev/null >"$LOCK_LOG" 2>/dev/null &
  LOCKER_PID=$!
  for ((i = 0; i < 200; i++)); do
    grep -q '^locked' "$LOCK_LOG" && return 0
    sleep 0.05
  done
  fail "the settings file could not be held"
}

release_settings() {
  rm -f "$LOCK_TOKEN"
  wait "$LOCKER_PID" || true
  grep -q '^unlocked' "$LOCK_LOG" || fail "the holder did not let the settings file go"
}

# The application's error box names the settings file; it is closed as a user would.
expect_write_error() {
  local shot=$1 message expected
  probe wait "#32770" "Tempiko！" 40 || fail "no error box"
  screenshot "$shot"
  message=$(probe statics "#32770" "Tempiko！")
  expected="$(winepath -w "$SANDBOX/tempiko.ini" 2>/dev/null) に書き込めません."
  [ "$message" = "$expected" ] || fail "the error box says '$message', expected '$expected'"
  probe close "#32770" "Tempiko！"
}

# An unattended start: the error, then the end.
unattended() {
  local switch=$1
  hold_settings
  local before
  before=$(md5sum <"$SANDBOX/tempiko.ini")
  start_program "$SANDBOX/tempiko.exe" "$switch"
  expect_write_error "$shots/unsaved-settings$switch.png"
  wait_program_exit 20 || fail "$switch stayed resident behind the error box"
  [ "$(md5sum <"$SANDBOX/tempiko.ini")" = "$before" ] || fail "the held file changed"
  release_settings
}

make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "[Server]" "127.0.0.1="
unattended -d
make_sandbox "[Option]" "HoseiMSec=1000"
unattended -s

# The user's close keeps the window; once the file is free the next close saves and ends.
make_sandbox "[Option]" "Timer=0"
hold_settings
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
probe close TForm1 "Tempiko！"
expect_write_error "$shots/unsaved-settings-user.png"
probe gone "#32770" "Tempiko！" 10 || fail "the error box stayed"
probe visible TForm1 "Tempiko！" || fail "the user's window closed with its settings unsaved"
release_settings
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end once its settings could be saved"
grep -q '^Start=' <(settings_file) || fail "the settings were not saved at the last close"
echo "PASS: unattended starts ended after the error; the user's window stayed until it could save"
