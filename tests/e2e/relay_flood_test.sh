#!/usr/bin/env bash
# A bounded flood at the relay (10 000 datagrams a second for 10 s, from ten addresses and
# forty ports changing every second: short, long and 48-byte requests of every first byte
# mixed). The program lives through it, its window answers the probe during it, its threads
# come back to what they were and its memory stays bounded, and a client asking afterwards is
# answered. (scripts/bench/relay_flood.sh is the longer run, with timings.)
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/relay_lib.sh"

seconds=10
# Headroom over the start: a few synchronisation workers may still be ending, and memory may
# grow by the log's lines, but not by what the flood brought.
thread_headroom=4
memory_headroom_kb=$((32 * 1024))

require_free_port_123
relay_peer_up
upstream_up
relay_program_up

answers=$(peer_ntp ask "$RELAY" --from "$(peer_addresses 1)") || fail "no answer before the flood: $answers"
threads_before=$(program_threads)
memory_before=$(program_memory_kb)
echo "before the flood: VmRSS ${memory_before} kB, ${threads_before} threads"

peer_ntp flood "$RELAY" --from "$(peer_addresses 10)" --rate 10000 --seconds "$seconds" \
  >"$RELAY_STATE/flood" &
flood=$!
on_exit "kill $flood 2>/dev/null || true"
# The window keeps answering during the flood (the bound only keeps a hang from stalling CI).
answered=0
while kill -0 "$flood" 2>/dev/null; do
  timeout 60 wine "$probe" text TForm1 "Tempiko！" 140 </dev/null >/dev/null 2>&1 \
    || fail "the window did not answer the probe during the flood"
  answered=$((answered + 1))
  sleep 1
done
wait "$flood" || fail "the flood generator failed"
cat "$RELAY_STATE/flood"
echo "the window answered the probe $answered times during the flood"
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program did not survive the flood"

answer=$(tempiko_peer timeout 30 ntpdig -t 5 "$TEMPIKO_PEER_LOCAL" 2>&1) \
  || fail "ntpdig got no answer after the flood: $answer"
echo "after the flood, ntpdig: $answer"
# The workers of the flood's runs end on their own; wait for them (a bounded wait).
for _ in $(seq 1 100); do
  (($(program_threads) <= threads_before + thread_headroom)) && break
  sleep 0.1
done
threads_after=$(program_threads)
memory_after=$(program_memory_kb)
echo "after the flood: VmRSS ${memory_after} kB, ${threads_after} threads"
((threads_after <= threads_before + thread_headroom)) \
  || fail "threads grew from $threads_before to $threads_after"
((memory_after <= memory_before + memory_headroom_kb)) \
  || fail "memory grew from $memory_before kB to $memory_after kB"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: the relay lived through the flood and answers afterwards"
