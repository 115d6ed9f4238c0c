# Sourced by the scripts whose tests and measurements talk to a real NTP server on port 123.

# Runs a command inside a network namespace of its own, so that its loopback, port 123
# included, belongs to it alone (and Wine's sockets live there, as its wineserver starts
# there). Where no namespace can be made, the command runs on this machine's loopback.
tempiko_isolated() {
  local ns status=0
  ns=tempiko-$$-$RANDOM
  if ! ip netns add "$ns" 2>/dev/null; then
    echo "(no network namespace could be made: using this machine's loopback)" >&2
    "$@"
    return
  fi
  ip netns exec "$ns" ip link set lo up
  ip netns exec "$ns" "$@" || status=$?
  ip netns del "$ns" 2>/dev/null || true
  return $status
}

# A peer: a second network namespace of the caller's own, joined to the current one by a veth
# pair, standing for "another machine on the LAN". The current namespace (where Wine's sockets
# live when the caller runs inside tempiko_isolated) gets TEMPIKO_PEER_LOCAL, the peer
# TEMPIKO_PEER_ADDRESS (for a server) and the TEMPIKO_PEER_EXTRA addresses (for clients and
# forgers, each a distinct sender). Works from inside a namespace made by tempiko_isolated.
TEMPIKO_PEER_LOCAL=10.123.0.2
TEMPIKO_PEER_ADDRESS=10.123.0.1
TEMPIKO_PEER_EXTRA=(10.123.0.11 10.123.0.12 10.123.0.13 10.123.0.14 10.123.0.15
                    10.123.0.16 10.123.0.17 10.123.0.18 10.123.0.19 10.123.0.20)
TEMPIKO_PEER_NS=""

# Makes the peer; sets TEMPIKO_PEER_NS. Returns 1 (and says why) when no namespace or veth can
# be made here; nothing is left behind then.
tempiko_peer_up() {
  local ns=tempiko-peer-$$-$RANDOM
  # Interface names are at most 15 bytes and must be unique in the current namespace only.
  local local_if=tpk$((($$ * 32768 + RANDOM) % 100000000))
  if ! ip netns add "$ns" 2>/dev/null; then
    echo "no network namespace can be made here" >&2
    return 1
  fi
  if ! ip link add "$local_if" type veth peer name lan0 netns "$ns" 2>/dev/null; then
    echo "no veth pair can be made here" >&2
    ip netns del "$ns" 2>/dev/null || true
    return 1
  fi
  TEMPIKO_PEER_NS=$ns
  TEMPIKO_PEER_IF=$local_if
  ip addr add "$TEMPIKO_PEER_LOCAL/24" dev "$local_if"
  ip link set "$local_if" up
  ip netns exec "$ns" ip link set lo up
  ip netns exec "$ns" ip addr add "$TEMPIKO_PEER_ADDRESS/24" dev lan0
  local address
  for address in "${TEMPIKO_PEER_EXTRA[@]}"; do
    ip netns exec "$ns" ip addr add "$address/24" dev lan0
  done
  ip netns exec "$ns" ip link set lan0 up
  # A veth end passes traffic once both ends report a carrier.
  local i
  for i in $(seq 1 100); do
    # (ip may complain that it cannot name the other end's namespace: that does not matter.)
    ip link show "$local_if" 2>/dev/null | grep -q LOWER_UP \
      && ip netns exec "$ns" ip link show lan0 2>/dev/null | grep -q LOWER_UP && return 0
    sleep 0.02
  done
  echo "the veth pair did not come up" >&2
  tempiko_peer_down
  return 1
}

# Runs a command inside the peer.
tempiko_peer() { ip netns exec "$TEMPIKO_PEER_NS" "$@"; }

# Ends what still runs in the peer (processes the caller started there), removes the
# namespace and with it both ends of the veth pair. Safe to call twice.
tempiko_peer_down() {
  [ -n "$TEMPIKO_PEER_NS" ] || return 0
  local pids pid i
  pids=$(ip netns pids "$TEMPIKO_PEER_NS" 2>/dev/null || true)
  # (A process a test held still with SIGSTOP ends only once continued.)
  for pid in $pids; do kill -TERM "$pid" 2>/dev/null && kill -CONT "$pid" 2>/dev/null || true; done
  for i in $(seq 1 100); do
    [ -z "$(ip netns pids "$TEMPIKO_PEER_NS" 2>/dev/null)" ] && break
    sleep 0.05
  done
  # Removing the peer's end takes the current side's end with it.
  ip netns exec "$TEMPIKO_PEER_NS" ip link del lan0 2>/dev/null || true
  ip link del "$TEMPIKO_PEER_IF" 2>/dev/null || true
  ip netns del "$TEMPIKO_PEER_NS" 2>/dev/null || true
  TEMPIKO_PEER_NS=""
}
