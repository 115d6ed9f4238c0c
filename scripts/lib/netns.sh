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
