#!/usr/bin/env bash
# The dial-up link's prompts and watcher with a scripted dialler, and the program with Wine's
# own dialler: missing credentials are asked for (the password masked, Cancel dials with the
# field empty); an entry brought online by another program starts one run, and no second one
# while it stays; without a dialler of ours only "LAN経由接続" is listed and runs work.
set -euo pipefail
exe=$1 probe=$2 shots=$3
export TEMPIKO_DLL_OVERRIDES=rasapi32=n
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dial_lib.sh"

# --- The prompts ---
make_dial_sandbox "Entry=Office"
ras_script "entry=Office" "password_retrieved=1" "accept_user=hanako" "accept_password="
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
probe click TForm1 "Tempiko！" 131
probe wait "#32770" "ユーザ名" 20 || fail "no user name prompt"
probe statics "#32770" "ユーザ名" | grep -qx "Enter new UserName" || fail "the user name prompt's text"
probe masked "#32770" "ユーザ名" 101 && fail "the user name is masked"
probe settext "#32770" "ユーザ名" 101 "hanako"
probe click "#32770" "ユーザ名" 1  # OK
probe wait "#32770" "パスワード" 20 || fail "no password prompt"
probe statics "#32770" "パスワード" | grep -qx "Enter new PassWord" || fail "the password prompt's text"
probe masked "#32770" "パスワード" 101 || fail "the password field shows what is typed"
probe settext "#32770" "パスワード" 101 "typed-secret"
screenshot "$shots/dial-up-password-prompt.png"
probe click "#32770" "パスワード" 2  # キャンセル: the dial goes ahead with the field empty
status=$(wait_text 140 '補正完了|応答|見つかりません|設定できません' 30) || fail "no ending: '$status'"
[ "$status" = "補正完了" ] || fail "the run ended with '$status'"
ras_log | grep -qE '^RasDialA .*user=1 password=0 .*-> 0 ' \
  || fail "the dial did not go with the typed name and an empty password:"$'\n'"$(ras_log)"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
grep -q "hanako\|typed-secret" <(settings_file; ras_log) && fail "a credential was kept"

# --- The watcher ---
make_dial_sandbox "Entry=Office" "Timer=24"
ras_script "entry=Office" "entry=Home"
start_program "$SANDBOX/tempiko.exe"
for _ in $(seq 1 300); do probe text TForm1 "Tempiko！" 151 >/dev/null 2>&1 && break; sleep 0.1; done
probe visible TForm1 "Tempiko！" && fail "a resident start showed its window"
sleep 3
[ "$(log_text | grep -c '^Request:')" = 0 ] || fail "a run started with no entry online"
ras_script "entry=Office" "entry=Home" "connection=0x500 Home"
wait_log_line '^補正完了$' 10 || fail "no run when Home came online:"$'\n'"$(log_text)"
sleep 5
[ "$(log_text | grep -c '^Request:')" = 1 ] || fail "more than one run while Home stayed online"
ras_log | grep -qE '^Ras(Dial|HangUp)A' && fail "the watcher's run dialled or hung up:"$'\n'"$(ras_log)"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"

# --- Wine's own dialler ---
make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "[Server]" "127.0.0.1="
WINEDLLOVERRIDES=${WINEDLLOVERRIDES//rasapi32=n/rasapi32=b} start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
[ "$(probe items TForm1 "Tempiko！" 164)" = "LAN経由接続" ] || fail "Wine's dialler listed entries"
probe click TForm1 "Tempiko！" 131
status=$(wait_text 140 '補正完了|応答|見つかりません|設定できません' 20) || fail "no ending: '$status'"
[ "$status" = "補正完了" ] || fail "the run ended with '$status'"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: prompts, the watcher, and Wine's own dialler"
