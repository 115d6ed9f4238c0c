#!/usr/bin/env bash
# 登録 and 削除 on the real shell: each failed check shows its message box and writes nothing;
# 登録 writes tempiko.lnk into the user's Startup folder, whose target, arguments and working
# folder read back through the shell link object; after a zero correction 登録 with the simple
# correction replaces it with " -s"; a link that cannot be saved says so; 削除 removes it, and
# with no link empties the status bar.
set -euo pipefail
exe=$1 probe=$2 shots=$3
reader=$(dirname "$probe")/link_reader.exe
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

# Controls: 詳細 136, 0 補正 135, 登録 133, 削除 134, status bar 140, connection box 164,
# simple-correction amount 166, start-up option "NTPｻｰﾊﾞに接続" 169 and "簡易補正" 170.
find_startup_folder
link=$STARTUP_FOLDER/tempiko.lnk
rm -rf "$link"
on_exit "rm -rf '$link'"

make_sandbox "[Option]" "Start=1" "HoseiMSec=0"
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
probe click TForm1 "Tempiko！" 136  # the options page

# The three checks, in their order; none writes a file.
expect_refusal "簡易補正時間を設定して下さい" "$shots/startup-refused-drift.png"
probe settext TForm1 "Tempiko！" 166 1000
expect_refusal "一度０補正をして下さい"
probe click TForm1 "Tempiko！" 180
probe settext TForm1 "Tempiko！" 164 ""
expect_refusal "電話帳ｴﾝﾄﾘを設定して下さい"
[ ! -e "$link" ] || fail "a refused registration wrote $link"

# The LAN pseudo-entry counts as an entry: the link starts a network run.
probe settext TForm1 "Tempiko！" 164 "LAN経由接続"
probe click TForm1 "Tempiko！" 133
wait_text 140 '^ｽﾀｰﾄｱｯﾌﾟにｼｮｰﾄｶｯﾄを作成しました$' 10 >/dev/null || fail "no creation text"
screenshot "$shots/startup-registered.png"
expect_link "$link" "$SANDBOX/tempiko.exe" " -d"
first=$(md5sum <"$link")

# The simple correction needs a zero correction in this run; the link stays as it was.
probe click TForm1 "Tempiko！" 181
expect_refusal "一度０補正をして下さい"
[ "$(md5sum <"$link")" = "$first" ] || fail "a refused registration changed the link"
zero_correction
probe click TForm1 "Tempiko！" 133
wait_text 140 '^ｽﾀｰﾄｱｯﾌﾟにｼｮｰﾄｶｯﾄを作成しました$' 10 >/dev/null || fail "no creation text"
expect_link "$link" "$SANDBOX/tempiko.exe" " -s"
links=$(find "$STARTUP_FOLDER" -maxdepth 1 -iname 'tempiko*.lnk' | wc -l)
[ "$links" -eq 1 ] || fail "$links links in the Startup folder, expected one"

probe click TForm1 "Tempiko！" 134
wait_text 140 '^ｽﾀｰﾄｱｯﾌﾟのｼｮｰﾄｶｯﾄを削除しました$' 10 >/dev/null || fail "no deletion text"
[ ! -e "$link" ] || fail "削除 left $link"
screenshot "$shots/startup-deleted.png"
probe click TForm1 "Tempiko！" 134
wait_text 140 '^$' 10 >/dev/null || fail "削除 without a link did not empty the status bar"

# A folder standing where the link should go: the link cannot be saved, and the status says so.
mkdir "$link"
probe click TForm1 "Tempiko！" 133
wait_text 140 '^ｼｮｰﾄｶｯﾄを作成できませんでした$' 10 >/dev/null || fail "no text for a failed save"
screenshot "$shots/startup-not-saved.png"
rmdir "$link"

probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: the checks refused in order, the link was written, replaced and deleted"
