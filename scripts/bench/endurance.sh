#!/usr/bin/env bash
# Weeks in the tray, compressed: the real program under Wine, started in the tray with the relay
# on, goes through RUNS synchronisation runs (default 1000) against chronyd -x in a peer
# namespace, as fast as they come. Relay clients ask throughout (each request starts a run
# when none is in progress, and every client waiting is answered from it), and random
# datagrams from other addresses hit its own port 8263 at RATE a second (default 200).
#
# Prints the process's kernel handles (as Windows counts them), threads and memory (VmRSS and
# the private bytes, RssAnon) after the first run, after 100 runs and at the end, with the
# runs per second (and a line at each thousand runs on the way). Nothing of these may grow with
# the number of runs: the script fails when one grows from 100 runs to the end by more than a
# little headroom (a thread of the worker pool, a few handles, the log's 2000 lines). From
# 3000 runs on, the log has filled and been trimmed, so the stretch from 2000 runs to the end
# is held to less: what grows there grows with the runs. The runs are counted by the upstream
# server (chronyc serverstats), the clients' answers by the clients. Everything stops by itself
# within LIMIT seconds (default 1800). Nothing sets the clock: chronyd runs with -x.
#   endurance.sh [RUNS] [RATE] [LIMIT]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-1000}
rate=${2:-200}
limit=${3:-1800}
cd "$root"
source scripts/lib/bench.sh
tempiko_bench_build tempiko probe

measure() {
  set -euo pipefail
  source "$root/scripts/lib/bench.sh"
  tempiko_bench_relay_world
  relay_program_up

  # "handles fds threads rss_kb private_kb" of the program: its kernel handles as Windows
  # counts them, the Linux file descriptors of its process, and /proc's figures.
  resources() {
    local pid handles
    pid=$(program_pid)
    handles=$(probe resources TForm1 "Tempiko！" | grep -oP 'handles=\K[0-9]+')
    echo "$handles $(find "/proc/$pid/fd" -mindepth 1 | wc -l) $(program_threads)" \
      "$(program_memory_kb) $(awk '/^RssAnon:/ { print $2 }' "/proc/$pid/status")"
  }
  report() {
    local label=$1 done_runs=$2 seconds=$3
    read -r handles fds threads rss private <<<"$4"
    awk -v l="$label" -v n="$done_runs" -v s="$seconds" -v h="$handles" -v f="$fds" \
      -v t="$threads" -v r="$rss" -v p="$private" 'BEGIN {
        rate = s > 0 ? sprintf("%.1f runs/s", n / s) : "-"
        printf "%-14s %5d runs %5d s (%s): handles %d, fds %d, threads %d, VmRSS %d kB, private %d kB\n",
               l, n, s, rate, h, f, t, r, p }'
  }

  peer_ntp ask "$RELAY" --from "$(peer_addresses 1)" >/dev/null || fail "the relay did not answer"
  local first_requests start now done_runs at_start at_100 at_2000="" at_end
  first_requests=$(upstream_requests)
  at_start=$(resources)
  report "after 1 run" 1 0 "$at_start"

  # The clients: three loops of requests one after the other, each from an address of its
  # own; and the junk at port 8263. All bounded by the limit.
  local clients=() address count=$((runs * 10))
  for address in $(peer_addresses 3 | tr , ' '); do
    timeout "$limit" ip netns exec "$TEMPIKO_PEER_NS" python3 "$HARNESS/ntp_peer.py" rtt "$RELAY" --from "$address" \
      --count "$count" --timeout 2 >"$RELAY_STATE/clients.$address" 2>&1 &
    clients+=($!)
  done
  ip netns exec "$TEMPIKO_PEER_NS" python3 "$HARNESS/ntp_peer.py" flood \
    "$TEMPIKO_PEER_LOCAL:8263" --from "$(peer_addresses 10)" --rate "$rate" --seconds "$limit" \
    >"$RELAY_STATE/junk" 2>&1 &
  local junk=$!
  on_exit "kill ${clients[*]} $junk 2>/dev/null || true"

  start=$(date +%s)
  at_100=""
  local reported_thousands=0
  while :; do
    sleep 0.2
    now=$(date +%s)
    done_runs=$(($(upstream_requests) - first_requests))
    kill -0 "$(program_pid)" 2>/dev/null || fail "the program ended after $done_runs runs"
    if [ -z "$at_100" ] && ((done_runs >= 100)); then
      at_100=$(resources)
      report "after 100 runs" "$done_runs" $((now - start)) "$at_100"
    fi
    ((done_runs >= runs)) && break
    # A line at each thousand on the way, for longer runs.
    if ((done_runs / 1000 > reported_thousands)); then
      reported_thousands=$((done_runs / 1000))
      local on_the_way
      on_the_way=$(resources)
      report "on the way" "$done_runs" $((now - start)) "$on_the_way"
      ((reported_thousands != 2)) || at_2000=$on_the_way
    fi
    ((now - start < limit)) || fail "only $done_runs runs in $limit s"
  done
  at_end=$(resources)
  report "at the end" "$done_runs" $((now - start)) "$at_end"
  kill "${clients[@]}" "$junk" 2>/dev/null || true  # the flood reports what it sent
  wait "${clients[@]}" "$junk" 2>/dev/null || true

  local answered lost
  answered=$(cat "$RELAY_STATE"/clients.* | grep -c '^rtt [0-9]' || true)
  lost=$(cat "$RELAY_STATE"/clients.* | grep -c '^rtt lost' || true)
  echo "relay clients: $answered answered, $lost unanswered within 2 s"
  echo "junk at port 8263: $(tail -n 1 "$RELAY_STATE/junk" 2>/dev/null || echo -)"
  echo "log lines shown: $(probe text TForm1 "Tempiko！" 151 | wc -l)"

  # Growth between two points, printed, and held to headroom for handles and descriptors,
  # threads and private kB: fails with what grew.
  check_growth() {
    local from=$1 handle_room=$2 thread_room=$3 private_room=$4 h1 f1 t1 r1 p1 h2 f2 t2 r2 p2
    read -r h1 f1 t1 r1 p1 <<<"$5"
    read -r h2 f2 t2 r2 p2 <<<"$at_end"
    echo "from $from to the end: handles $((h2 - h1)), fds $((f2 - f1)), threads $((t2 - t1))," \
      "VmRSS $((r2 - r1)) kB, private $((p2 - p1)) kB"
    ((h2 - h1 <= handle_room)) || fail "handles grew with the runs (from $from)"
    ((f2 - f1 <= handle_room)) || fail "file descriptors grew with the runs (from $from)"
    ((t2 - t1 <= thread_room)) || fail "threads grew with the runs (from $from)"
    ((p2 - p1 <= private_room)) || fail "private memory grew with the runs (from $from)"
  }
  check_growth "100 runs" 8 2 8192 "$at_100"
  # Once the log has filled, room only for the pool's second thread (its stack, handles and
  # descriptors), should the workers first overlap this late, and for the log between its
  # trim and its limit.
  if [ -n "$at_2000" ] && ((runs >= 3000)); then check_growth "2000 runs" 4 1 2048 "$at_2000"; fi

  probe close TForm1 "Tempiko！"
  wait_program_exit 30 || fail "the program did not end"
  echo "PASS: nothing grew with the number of runs"
}

tempiko_bench_isolated measure runs=$runs rate=$rate limit=$limit
