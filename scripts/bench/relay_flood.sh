#!/usr/bin/env bash
# Floods the relay of the real program under Wine: RATE datagrams a second (default 10 000) for
# SECONDS (default 30) at its port 123, from ten addresses of a peer namespace and forty ports
# changing every second, short (1-47 bytes), long (49-1500 bytes) and 48-byte requests (0x23,
# 0xE3, 0x1B, 0xDB) mixed. The generator stops by itself (never more than RATE*SECONDS
# datagrams, never past SECONDS+2 s). Prints the program's VmRSS and thread count before,
# at their highest during and after the flood, how long the window took to answer the probe
# during it, what the upstream server received, and whether ntpdig asking afterwards is
# answered. The relay's upstream is chronyd -x in the peer; nothing sets the clock.
# Usage: relay_flood.sh [SECONDS] [RATE]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
seconds=${1:-30}
rate=${2:-10000}
cd "$root"
source scripts/lib/bench.sh
tempiko_bench_build tempiko probe

measure() {
  set -euo pipefail
  source "$root/scripts/lib/bench.sh"
  tempiko_bench_relay_world
  relay_program_up

  peer_ntp ask "$RELAY" --from "$(peer_addresses 1)" >/dev/null
  local threads_before memory_before requests_before start end
  threads_before=$(program_threads)
  memory_before=$(program_memory_kb)
  requests_before=$(upstream_requests)
  echo "before: VmRSS ${memory_before} kB, ${threads_before} threads"

  # The probe's own time, without a flood, to compare with.
  local quiet=()
  for _ in 1 2 3; do
    start=$(date +%s%N)
    probe text TForm1 "Tempiko！" 140 >/dev/null
    end=$(date +%s%N)
    quiet+=($(((end - start) / 1000000)))
  done
  echo "probe answered without a flood in (ms): ${quiet[*]}"

  peer_ntp flood "$RELAY" --from "$(peer_addresses 10)" --rate "$rate" --seconds "$seconds" \
    >"$state/flood" &
  local flood=$! threads_peak=$threads_before memory_peak=$memory_before
  on_exit "kill $flood 2>/dev/null || true"
  : >"$state/probe-ms"
  while kill -0 "$flood" 2>/dev/null; do
    start=$(date +%s%N)
    timeout 60 wine "$probe" text TForm1 "Tempiko！" 140 </dev/null >/dev/null 2>&1 \
      || echo "the probe got no answer" >&2
    end=$(date +%s%N)
    echo $(((end - start) / 1000000)) >>"$state/probe-ms"
    threads_peak=$(($(program_threads) > threads_peak ? $(program_threads) : threads_peak))
    memory_peak=$(($(program_memory_kb) > memory_peak ? $(program_memory_kb) : memory_peak))
    sleep 1
  done
  wait "$flood"
  cat "$state/flood"
  kill -0 "$PROGRAM_PID" 2>/dev/null && echo "the program is still running" \
    || echo "THE PROGRAM ENDED during the flood"
  sort -n "$state/probe-ms" | awk '{ v[NR] = $1; s = s " " $1 }
    END { printf "probe answered in (ms, sorted):%s\nprobe median %d ms, max %d ms\n", s, v[int((NR + 1) / 2)], v[NR] }'
  echo "highest during the flood: VmRSS ${memory_peak} kB, ${threads_peak} threads"
  # (The log keeps only its latest lines, so the forwards are not counted there.)
  echo "upstream requests during the flood: $(($(upstream_requests) - requests_before))"

  if answer=$(tempiko_peer timeout 30 ntpdig -t 5 "$TEMPIKO_PEER_LOCAL" 2>&1); then
    echo "after the flood ntpdig is answered: $answer"
  else
    echo "after the flood ntpdig is NOT answered: $answer"
  fi
  sleep 5
  echo "after (5 s later): VmRSS $(program_memory_kb) kB, $(program_threads) threads"
  # Right after the flood the request may wait behind what the flood left in the socket.
  echo "ntpdig 5 s later: $(tempiko_peer timeout 30 ntpdig -t 5 "$TEMPIKO_PEER_LOCAL" 2>&1 || true)"
  probe close TForm1 "Tempiko！"
  wait_program_exit 30
}

tempiko_bench_isolated measure seconds=$seconds rate=$rate
