#!/usr/bin/env bash
# The link 登録 writes starts the program as the log-on would: it runs once against the local
# NTP server, ends by itself and leaves LastTime in its settings. Also from a program folder
# whose name the ANSI code page (932) cannot spell: "ü" and the ohm sign "Ω" are not in it.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

find_startup_folder
link=$STARTUP_FOLDER/tempiko.lnk
rm -rf "$link"
on_exit "rm -rf '$link'"
settings=("[Option]" "Start=0" "HoseiGosa=0" "Server=0" "[Server]" "127.0.0.1=")

# Starts the program at this path, registers it with 登録 and closes it again.
register() {
  start_program "$1"
  probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
  probe click TForm1 "Tempiko！" 136
  probe click TForm1 "Tempiko！" 133
  wait_text 140 '^ｽﾀｰﾄｱｯﾌﾟにｼｮｰﾄｶｯﾄを作成しました$' 10 >/dev/null || fail "no creation text"
  probe close TForm1 "Tempiko！"
  wait_program_exit 30 || fail "the program did not end"
}

# The Windows shell starts the link itself. Its start does not wait for a link's program, which
# is no child of this script: the run has ended once LastTime is saved and the window is gone.
make_sandbox "${settings[@]}"
register "$SANDBOX/tempiko.exe"
expect_link "$link" "$SANDBOX/tempiko.exe" " -d" raw
wine start "$(winepath -w "$link" 2>/dev/null)" </dev/null >/dev/null 2>&1 \
  || fail "the shell did not start the link"
for ((i = 0; i < 400; i++)); do
  grep -q '^LastTime=' <(settings_file) && break
  sleep 0.1
done
grep -q '^LastTime=' <(settings_file) || fail "the link's run did not save LastTime"
probe gone TForm1 "Tempiko！" 30 || fail "the link's run did not end by itself"

# A folder outside code page 932. Wine's shell keeps a link's raw path only in that code page,
# so the run is started as the shell starts it from the link's item list, which holds UTF-16.
make_sandbox
folder=$SANDBOX/$(printf 'Zeit\xc3\xbcberpr\xc3\xbcfung \xe2\x84\xa6')
mkdir "$folder"
cp "$exe" "$folder/tempiko.exe"
printf '%s\r\n' "${settings[@]}" | iconv -f utf-8 -t cp932 >"$folder/tempiko.ini"
on_exit "probe close TForm1 'Tempiko！' 2>/dev/null || true"
register "$folder/tempiko.exe"
expect_link "$link" "$folder/tempiko.exe" " -d"
ended=$(link_reader start "$(winepath -w "$link" 2>/dev/null)" 60) \
  || fail "the link's run from $folder did not end by itself"
[ "$ended" = "exit=0" ] || fail "the link's run ended with '$ended'"
grep -q '^LastTime=' <(iconv -f cp932 -t utf-8 "$folder/tempiko.ini") \
  || fail "the link's run from $folder did not save LastTime"
echo "PASS: the registered link ran the program once, also from a folder outside code page 932"
