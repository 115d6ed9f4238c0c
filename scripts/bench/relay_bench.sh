#!/usr/bin/env bash
# The relay of the real program under Wine, its upstream chronyd -x in a peer namespace and
# its clients there too (scripts/lib/netns.sh), side by side in one run:
#   (a) clients answered per upstream request: N clients ask at once (N = 1, 3, 10, 100, 300),
#       the server's request count (chronyc serverstats) before and after, and what the kernel
#       dropped as the relay's socket buffer was full;
#   (b) the delay a client sees: the median round trip of COUNT requests (default 50), one
#       after the other, through the relay and straight to chronyd, their ratio and the delay
#       the relay adds.
# Nothing sets the clock: chronyd runs with -x and the clients only ask.
# Usage: relay_bench.sh [COUNT]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
count=${1:-50}
cd "$root"
source scripts/lib/bench.sh
tempiko_bench_build tempiko probe

measure() {
  set -euo pipefail
  source "$root/scripts/lib/bench.sh"
  tempiko_bench_relay_world
  relay_program_up
  peer_ntp ask "$RELAY" --from "$(peer_addresses 1)" >/dev/null  # the first run warms up

  echo "(a) clients asking at once: answered (with their own originate timestamp) per upstream request"
  local n before dropped answers answered requests
  for n in 1 3 10 100 300; do
    before=$(upstream_requests)
    dropped=$(receive_buffer_drops)
    answers=$(peer_ntp ask "$RELAY" --from "$(peer_addresses "$n")" --timeout 8 || true)
    answered=$(grep -c '^answered .* originate=own ' <<<"$answers" || true)
    requests=$(($(upstream_requests) - before))
    dropped=$(($(receive_buffer_drops) - dropped))
    awk -v n="$n" -v a="$answered" -v r="$requests" -v d="$dropped" 'BEGIN {
      per = (r > 0) ? sprintf("%.1f", a / r) : "-"
      lost = (d > 0) ? sprintf(" (%d dropped by the full socket buffer)", d) : ""
      printf "  %3d clients: %3d answered, %d upstream request(s), %s answered per request%s\n",
             n, a, r, per, lost }'
  done

  echo "(b) round trip seen by a client, median of $count"
  local relay direct
  direct=$(peer_ntp rtt "$UPSTREAM:123" --from "$(peer_addresses 1)" --count "$count" \
    | awk '/^median/ { print $2 }')
  relay=$(peer_ntp rtt "$RELAY" --from "$(peer_addresses 1)" --count "$count" \
    | awk '/^median/ { print $2 }')
  awk -v r="$relay" -v d="$direct" 'BEGIN {
    printf "  straight to chronyd: %.3f ms   through the relay: %.3f ms\n", d, r
    printf "  relay/direct = %.1f, added by the relay: %+.3f ms\n", r / d, r - d }'

  probe close TForm1 "Tempiko！"
  wait_program_exit 30
}

tempiko_bench_isolated measure count=$count
