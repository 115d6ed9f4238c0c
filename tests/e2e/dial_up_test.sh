#!/usr/bin/env bash
# The dial-up link with a scripted dialler and a real NTP server: the connection box lists the
# phone-book; a click on 接続 dials the chosen entry with the old record sizes, synchronises and
# hangs up what it dialled; under "-d" the line is hung up before the program ends; a failing
# dial shows the dialler's text and hangs up the handle it made.
set -euo pipefail
exe=$1 probe=$2 shots=$3
export TEMPIKO_DLL_OVERRIDES=rasapi32=n
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dial_lib.sh"

# --- A click dials, synchronises and hangs up ---
make_dial_sandbox "Entry=Office"
ras_script "entry=Office" "user=taro" "password=pw-secret" "entry=ホーム"
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
items=$(probe items TForm1 "Tempiko！" 164)
[ "$items" = $'LAN経由接続\nOffice\nホーム' ] || fail "the connection box lists '$items'"
[ "$(probe text TForm1 "Tempiko！" 164)" = "Office" ] || fail "the saved entry is not chosen"
probe click TForm1 "Tempiko！" 136  # 詳細: the options page is in view
probe dropdown TForm1 "Tempiko！" 164
screenshot "$shots/dial-up-entries.png"
probe dropdown TForm1 "Tempiko！" 164 || true
probe click TForm1 "Tempiko！" 131  # 接続
status=$(wait_text 140 '補正完了|応答|見つかりません|設定できません' 30) || fail "no ending: '$status'"
[ "$status" = "補正完了" ] || fail "the run ended with '$status'"
wait_log_line '^ダイアルアップ切断しました$' 10 || fail "no hang-up line:"$'\n'"$(log_text)"
order=$(log_text | grep -E '^(ダイアルアップ接続しました|ﾘｸｴｽﾄ送信|補正完了|ダイアルアップ切断しました)' \
  | sed 's/:.*//' | tr '\n' ' ')
[ "$order" = "ダイアルアップ接続しました ﾘｸｴｽﾄ送信 補正完了 ダイアルアップ切断しました " ] \
  || fail "the log's order: $order"
calls=$(ras_log | sed 's/ .*//' | uniq | tr '\n' ' ')
echo "dialler calls: $calls"
ras_log | grep -q '^RasEnumEntriesA reserved=null phonebook=null dwSize=264 cb=26400 ' \
  || fail "the phone-book was not listed with 100 old records:"$'\n'"$(ras_log)"
ras_log | grep -q '^RasEnumConnectionsA dwSize=416 cb=41600 ' \
  || fail "the connections were not listed with 100 old records:"$'\n'"$(ras_log)"
ras_log | grep -q '^RasGetEntryDialParamsA phonebook=null dwSize=1052 entry=Office zeroed=1 ' \
  || fail "the dial parameters were not read from a zeroed old record"
ras_log | grep -qE '^RasDialA extensions=null phonebook=null dwSize=1052 entry=Office .*user=1 password=1' \
  || fail "the dial did not get the saved credentials:"$'\n'"$(ras_log)"
ras_log | grep -q '^RasGetConnectStatusA .*dwSize=160' || fail "no status query with the old record"
[[ $calls == *"RasDialA RasGetConnectStatusA"*"RasHangUpA"* ]] || fail "dial, wait, hang-up order: $calls"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
if grep -q "pw-secret\|taro" <(log_text 2>/dev/null; settings_file; ras_log); then
  fail "a credential reached the log, the settings or the dialler's log"
fi
grep -q '^Entry=Office$' <(settings_file) || fail "the chosen entry was not saved"

# --- "-d": hung up before the program ends ---
make_dial_sandbox "Entry=Office"
ras_script "entry=Office" "user=taro" "password=pw"
start_program "$SANDBOX/tempiko.exe" -d
wait_program_exit 40 || fail "the -d run did not end by itself"
ras_log | grep -q '^RasHangUpA' || fail "-d did not hang up:"$'\n'"$(ras_log)"
[[ $(ras_log | sed 's/ .*//' | tail -1) == RasHangUpA ]] || fail "something ran after the hang-up"
grep -q '^LastTime=' <(settings_file) || fail "the -d run did not record its correction"

# --- A failing dial: the dialler's text, its handle hung up ---
make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "Entry=Office" "[Server]" "127.0.0.2="
cp "$fake_dialler" "$SANDBOX/rasapi32.dll"
export TEMPIKO_FAKE_RAS="Z:$SANDBOX/ras.txt"
ras_script "entry=Office" "user=taro" "password=pw" "dial_result=680" "dial_handle=0x99" \
  "error=680 ダイヤルトーンが検出されませんでした"
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
probe click TForm1 "Tempiko！" 131
status=$(wait_text 140 'ダイヤルトーン' 15) || fail "the dialler's text was not shown: '$status'"
ras_log | grep -qE '^RasHangUpA .*(0x99|153)' || fail "the failed dial's handle was not hung up:"$'\n'"$(ras_log)"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: the dial-up link dials, synchronises and hangs up what it dialled"
