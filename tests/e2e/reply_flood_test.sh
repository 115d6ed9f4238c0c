#!/usr/bin/env bash
# A flood at the program's own port 8263 from other addresses (10 000 datagrams a second, forged
# replies among them) does not cost the user the server's answer: ten clicks on 接続 during it
# end with 補正完了 ten times, and the program's memory stays bounded. The first run is the hard
# one: the flood has filled the socket's buffer before it, and the server answers within a
# millisecond. The upstream is a real chronyd in a peer namespace.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/relay_lib.sh"

runs=10
relay_peer_up
upstream_up
make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "[Server]" "$UPSTREAM="
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"

peer_ntp flood "$TEMPIKO_PEER_LOCAL:8263" --from "$(peer_addresses 10)" --rate 10000 \
  --seconds 60 >"$RELAY_STATE/flood" &
flood=$!
on_exit "kill $flood 2>/dev/null || true"
sleep 1
memory_before=$(program_memory_kb)

drops_before=$(receive_buffer_drops)
corrected() { probe text TForm1 "Tempiko！" 151 | grep -cx "補正完了" || true; }
for ((run = 1; run <= runs; run++)); do
  probe click TForm1 "Tempiko！" 131
  ended=""
  for _ in $(seq 1 150); do
    [ "$(corrected)" -ge "$run" ] && { ended=1; break; }
    status=$(probe text TForm1 "Tempiko！" 140)
    [[ $status =~ 応答|見つかりません|設定できません|ミリ秒以内 ]] && break
    sleep 0.1
  done
  echo "run $run: ${ended:+補正完了}; kernel drops so far: $(($(receive_buffer_drops) - drops_before))"
  if [ -z "$ended" ]; then
    probe text TForm1 "Tempiko！" 151 | tail -n 8
    fail "run $run during the flood ended with '$(probe text TForm1 "Tempiko！" 140)'"
  fi
done
kill -0 "$flood" 2>/dev/null || fail "the flood ended before the runs did"
kill "$flood" 2>/dev/null || true
echo "$runs of $runs runs ended with 補正完了 during the flood"
memory_after=$(program_memory_kb)
echo "VmRSS ${memory_before} kB after the flood's first second, ${memory_after} kB after the runs"
((memory_after <= memory_before + 32 * 1024)) \
  || fail "memory grew from $memory_before kB to $memory_after kB"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: a flood at port 8263 did not crowd out the server's answer"
