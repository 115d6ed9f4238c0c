#!/usr/bin/env bash
# Only the awaited reply is forwarded. While two clients wait (the upstream server is held
# still with SIGSTOP, so the relay's request waits in its socket), datagrams shaped like a
# server's reply reach the program's port 8263 from senders other than the server's port 123.
# None of them reaches a client and none logs a forward; once the server resumes, the clients
# get its real answer.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/relay_lib.sh"

# Forgers: another address, another address from port 123, the server's own address from
# another port.
forgers=("${TEMPIKO_PEER_EXTRA[2]}:5000" "${TEMPIKO_PEER_EXTRA[3]}:123" "$UPSTREAM:5001")

# The length of the receive queue of the UDP socket bound to PORT (in the peer with "peer").
receive_queue() {
  local port=$1 where=${2:-}
  local run=()
  [ "$where" = peer ] && run=(tempiko_peer)
  "${run[@]}" ss -Huln "sport = :$port" | awk '{ s += $2 } END { print s + 0 }'
}

# Waits up to 10 s until the receive queue of PORT is (empty) or (not empty).
wait_queue() {
  local port=$1 want=$2 where=${3:-} i n
  for ((i = 0; i < 100; i++)); do
    n=$(receive_queue "$port" "$where")
    if [ "$want" = empty ]; then ((n == 0)) && return 0; else ((n > 0)) && return 0; fi
    sleep 0.1
  done
  return 1
}

require_free_port_123
relay_peer_up
upstream_up
relay_program_up

server=$(upstream_pid)
kill -STOP "$server"
on_exit "kill -CONT $server 2>/dev/null || true"
sent=$RELAY_STATE/sent
peer_ntp ask "$RELAY" --from "$(peer_addresses 2)" --timeout 20 --sent-file "$sent" \
  >"$RELAY_STATE/answers" &
clients=$!
for _ in $(seq 1 100); do [ -e "$sent" ] && break; sleep 0.1; done
[ -e "$sent" ] || fail "the clients did not send"
wait_queue 123 filled peer || fail "the relay sent no request upstream"

# The server's reply must come within the program's 5 s: what follows is kept short.
peer_ntp forge "$TEMPIKO_PEER_LOCAL:8263" --from "$(IFS=,; echo "${forgers[*]}")"
# Once the program has taken them from its socket they are ahead of the server's reply, which
# is only now released. (Had one been forwarded, the clients would hold its "FAKE" bytes.)
wait_queue 8263 empty || fail "the program did not read its port 8263"
kill -CONT "$server"
wait "$clients" || true
answers=$(cat "$RELAY_STATE/answers")
echo "$answers"
[ "$(wc -l <<<"$answers")" -eq 2 ] || fail "expected two clients' lines"
while read -r line; do check_relayed_answer "$line" timely; done <<<"$answers"
forwards=$(forward_lines)
[ "$forwards" -eq 1 ] || fail "expected one forward, of the real answer; the log has $forwards"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: forged datagrams to port 8263 reached no client; the real answer did"
