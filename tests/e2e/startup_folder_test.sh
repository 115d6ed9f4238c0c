#!/usr/bin/env bash
# A Startup folder the shell cannot name, and one whose link path would not fit the platform's
# 260-character paths: 登録 and 削除 show "ｽﾀｰﾄｱｯﾌﾟﾌｫﾙﾀﾞが見つかりません" in the error box and
# write nothing. The user's Startup folder is moved in the prefix's registry for the test and
# put back at its end.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
reg_startup() { wine reg "$@" </dev/null 2>/dev/null | iconv -f cp932 -t utf-8 | tr -d '\r'; }
original=$(reg_startup query "$key" /v Startup | sed -n 's/^ *Startup *REG_EXPAND_SZ *//p')
[ -n "$original" ] || fail "no Startup folder in the registry"
move_startup_folder() {
  reg_startup add "$key" /v Startup /t REG_EXPAND_SZ /d "$1" /f >/dev/null
}
on_exit "move_startup_folder '$original'"

# Presses the button and expects the error box; nothing appears in the folder.
expect_folder_error() {
  local button=$1 shot=$2 message clicker
  probe click TForm1 "Tempiko！" "$button" &
  clicker=$!
  probe wait "#32770" "Tempiko！" 10 || fail "no error box from $button"
  screenshot "$shot"
  message=$(probe statics "#32770" "Tempiko！")
  probe close "#32770" "Tempiko！"
  wait "$clicker" || true
  [ "$message" = "ｽﾀｰﾄｱｯﾌﾟﾌｫﾙﾀﾞが見つかりません." ] || fail "the error box says '$message'"
}

make_sandbox "[Option]" "Start=0"
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
probe click TForm1 "Tempiko！" 136

# No such folder: the shell names none.
move_startup_folder 'C:\tempiko-no-such-folder\StartUp'
expect_folder_error 133 "$shots/startup-folder-missing.png"
expect_folder_error 134 "$shots/startup-folder-missing-delete.png"
[ ! -e "$WINEPREFIX/drive_c/tempiko-no-such-folder" ] || fail "a folder was made for the link"

# Folders that exist, of 247 and 248 characters: with "\tempiko.lnk" the link's path takes 259,
# the most that fits, and 260.
folder_of_length() {
  local windows
  windows=$(winepath -w "$SANDBOX" 2>/dev/null)\\
  windows=$windows$(printf 'x%.0s' $(seq 1 $(($1 - ${#windows}))))
  winepath -u "$windows" 2>/dev/null
}
fits=$(folder_of_length 247)
too_long=$(folder_of_length 248)
mkdir -p "$fits" "$too_long"
move_startup_folder "$(winepath -w "$fits" 2>/dev/null)"
probe click TForm1 "Tempiko！" 133
wait_text 140 '^ｽﾀｰﾄｱｯﾌﾟにｼｮｰﾄｶｯﾄを作成しました$' 10 >/dev/null || fail "no link in 247 characters"
[ -f "$fits/tempiko.lnk" ] || fail "no link in $fits"
move_startup_folder "$(winepath -w "$too_long" 2>/dev/null)"
expect_folder_error 133 "$shots/startup-folder-too-long.png"
[ -z "$(ls -A "$too_long")" ] || fail "something was written into $too_long"

probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: a Startup folder that cannot be found or named within the path limit wrote nothing"
