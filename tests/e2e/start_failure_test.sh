#!/usr/bin/env bash
# A start that cannot make its windows says why once, in the application's error box, and ends
# with a nonzero exit code. The failure is real: the window station's atom table is full, so
# the system refuses the program's window classes. Once the atoms are free it starts again.
set -euo pipefail
exe=$1 probe=$2 shots=$3
filler=$(dirname "$probe")/atom_filler.exe
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

make_sandbox
# The filler holds the atoms until its input ends, which is at the latest when this script
# ends (and after 60 s in any case).
filler_log=$(mktemp)
filler_input=$(mktemp -u)
mkfifo "$filler_input"
wine "$filler" <"$filler_input" >"$filler_log" 2>/dev/null &
filler_pid=$!
exec {hold}>"$filler_input"
on_exit "exec {hold}>&-; wait $filler_pid 2>/dev/null || true; rm -f '$filler_input' '$filler_log'"

for ((i = 0; i < 200; i++)); do
  grep -q '^filled' "$filler_log" && break
  sleep 0.05
done
grep -q '^filled' "$filler_log" || fail "the atom table was not filled"

start_program "$SANDBOX/tempiko.exe"
probe wait "#32770" "Tempiko！" 30 || fail "no error box appeared"
screenshot "$shots/start-failure.png"
message=$(probe statics "#32770" "Tempiko！")
[[ $message == "ウィンドウを作成できません (エラー "* ]] || fail "the error box says '$message'"
probe visible TForm1 "Tempiko！" && fail "the main window appeared"
probe close "#32770" "Tempiko！"
# One box only: the program ends once it is closed.
wait_program_exit 20 || fail "the program did not end after its error box"
status=0
wait "$PROGRAM_PID" || status=$?
[ "$status" -ne 0 ] || fail "the failed start ended with exit code 0"

exec {hold}>&-
wait "$filler_pid" || true
grep -q '^freed' "$filler_log" || fail "the filler did not free the atoms"
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the program did not start once the atoms were free"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: a refused window was reported once (exit code $status); the next start worked"
