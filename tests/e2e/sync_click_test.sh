#!/usr/bin/env bash
# A click on 接続 synchronises with a real NTP server (chronyd on 127.0.0.1, sharing this
# machine's clock): the log shows the run's lines and the status line "補正完了". Under Wine
# the clock setting is accepted without changing the host's clock, as it is within 0.5 s.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "[Server]" "127.0.0.1="
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
probe click TForm1 "Tempiko！" 131  # Button1
status=$(wait_text 140 '補正完了|応答|見つかりません|設定できません' 20) || fail "no ending: '$status'"
[ "$status" = "補正完了" ] || fail "the run ended with '$status'"
probe click TForm1 "Tempiko！" 136  # Button6: details
probe click TForm1 "Tempiko！" 137  # Button7: the log page
log=$(probe text TForm1 "Tempiko！" 151)
for line in "NTPサーバ:127.0.0.1" "IPアドレス:127.0.0.1" "ﾘｸｴｽﾄ送信:ServerPort=123 LocalPort=8263" \
            "Stratum:8" "補正完了"; do
  grep -qxF "$line" <<<"$log" || fail "the log lacks '$line':"$'\n'"$log"
done
screenshot "$shots/after-sync-log-page.png"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
grep -q '^LastTime=' <(settings_file) || fail "LastTime was not saved"
echo "PASS: a click synchronised with the local server"
