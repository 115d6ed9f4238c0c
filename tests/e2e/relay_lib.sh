# Helpers for the relay's end-to-end scripts: the program relays for the LAN in Wine's network
# namespace (RELAY = 10.123.0.2:123), its upstream is a real chronyd in a peer namespace
# (10.123.0.1:123), and the clients stand in the peer on addresses of their own. Expects
# wine-env.sh and lib.sh sourced and $probe set.

source "$TEMPIKO_ROOT/scripts/lib/netns.sh"
HARNESS=$TEMPIKO_ROOT/tests/harness
RELAY=$TEMPIKO_PEER_LOCAL:123
UPSTREAM=$TEMPIKO_PEER_ADDRESS
RELAY_LOG_LINE="クライアントにデータを送信しました"
PORT_123_TAKEN="ポート123を使用できないため代理サーバは動作しません"

# The sockets bound to UDP port 123 here (Wine's namespace), one a line.
port_123_holders() { ss -Hulpn 'sport = :123'; }

# The relay must be able to bind port 123: nothing else may hold it. (The Win32 tests' chronyd
# on 127.0.0.1:123 would; ctest orders these tests after it has stopped.)
require_free_port_123() {
  local holders
  holders=$(port_123_holders)
  [ -z "$holders" ] || fail "port 123 is already held here, so the relay could not bind it:
$holders"
}

# The peer namespace, or a SKIP where none can be made.
relay_peer_up() {
  if ! tempiko_peer_up; then
    echo "SKIP: no network namespace or veth pair can be made here"
    exit 0
  fi
  on_exit tempiko_peer_down
  RELAY_STATE=$(mktemp -d)
  on_exit 'rm -rf "$RELAY_STATE"'
}

# The real upstream server: chronyd -x in the peer, with a command socket that counts requests.
upstream_up() {
  "$HARNESS/chronyd.sh" start "$RELAY_STATE/upstream" "$UPSTREAM" 123 "$TEMPIKO_PEER_NS"
  on_exit '"$HARNESS/chronyd.sh" stop "$RELAY_STATE/upstream"'
}
upstream_requests() { "$HARNESS/chronyd.sh" requests "$RELAY_STATE/upstream"; }
upstream_pid() { cat "$RELAY_STATE/upstream/chronyd.pid"; }

# Starts the program with the relay on (it starts hidden, in the tray) and waits until its
# window exists and it has bound port 123. Extra settings lines go to [Option].
relay_program_up() {
  make_sandbox "[Option]" "Agent=1" "HoseiGosa=0" "Server=0" "$@" "[Server]" "$UPSTREAM="
  start_program "$SANDBOX/tempiko.exe"
  probe exists TForm1 "Tempiko！" 30 || fail "the main window was not made"
  local i
  for i in $(seq 1 100); do
    [ -n "$(port_123_holders)" ] && return 0
    sleep 0.1
  done
  fail "the program did not bind port 123"
}

# The Linux process of the running program (Wine names it by the exe's Windows path).
program_pid() { pgrep -f "^$SANDBOX/tempiko.exe" | head -1; }
# "VmRSS kB" and "Threads" of the program's process.
program_memory_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$(program_pid)/status"; }
program_threads() { awk '/^Threads:/ { print $2 }' "/proc/$(program_pid)/status"; }

# UDP datagrams the kernel of this namespace dropped for want of room in a socket's buffer.
receive_buffer_drops() {
  awk '/^Udp:/ { if (!n++) { for (i = 1; i <= NF; i++) if ($i == "RcvbufErrors") f = i } else print $f }' \
    /proc/net/snmp
}

# Runs the small NTP peer (tests/harness/ntp_peer.py) inside the peer namespace.
peer_ntp() { tempiko_peer python3 "$HARNESS/ntp_peer.py" "$@"; }

# N client addresses of the peer, comma-separated (taken in turn when N exceeds them).
peer_addresses() {
  local n=$1 i list=()
  for ((i = 0; i < n; i++)); do list+=("${TEMPIKO_PEER_EXTRA[i % ${#TEMPIKO_PEER_EXTRA[@]}]}"); done
  (IFS=,; echo "${list[*]}")
}

# The lines of the log (memo 151) that report a forward.
forward_lines() { probe text TForm1 "Tempiko！" 151 | grep -cxF "$RELAY_LOG_LINE" || true; }

# Checks one "answered" line of ntp_peer.py: the upstream's answer through the relay (stratum 8,
# never the forger's "FAKE"), carrying the client's own transmit timestamp as its originate
# timestamp. With "timely", also that the server's timestamps fall within the client's round
# trip: as every clock here is the same clock, |offset| <= round trip / 2 (0.1 ms allowed for
# reading the clocks), which a stale or misplaced timestamp breaks however busy the machine.
check_relayed_answer() {
  local line=$1 timely=${2:-}
  [[ $line == answered* ]] || fail "a client got no answer: $line"
  [[ $line != *46414b45* ]] || fail "a client got the forged datagram: $line"
  [[ $line == *" stratum=8 "* ]] || fail "not the upstream's answer (stratum 8): $line"
  [[ $line == *" originate=own "* ]] \
    || fail "the answer does not carry the client's own transmit timestamp: $line"
  [ "$timely" = timely ] || return 0
  local offset rtt
  offset=$(grep -oP 'offset_ms=\K[-+0-9.]+' <<<"$line")
  rtt=$(grep -oP 'rtt_ms=\K[0-9.]+' <<<"$line")
  awk -v o="$offset" -v r="$rtt" 'BEGIN { if (o < 0) o = -o; exit !(o <= r / 2 + 0.1) }' \
    || fail "the server's timestamps lie outside the client's round trip: $line"
}

# Whether a number of milliseconds lies strictly between -5 and 5.
within_5_ms() { awk -v ms="$1" 'BEGIN { exit !(ms != "" && ms + 0 < 5 && ms + 0 > -5) }'; }

# Runs a client (a shell function printing its offset in ms, or nothing without an answer) up
# to three times until its offset is within 5 ms. Prints each try; fails without an answer.
# A relayed answer's offset is half the difference between the relay's delays on the way up
# (it starts a run) and down; a busy machine stretches one way now and then.
offset_within_5_ms() {
  local name=$1 try offset
  for try in 1 2 3; do
    offset=$("$name") || fail "$name got no answer through the relay"
    echo "$name offset: $offset ms"
    within_5_ms "$offset" && return 0
  done
  fail "$name's offset was not within 5 ms in three tries"
}

# Brings the hidden window back as a user does: the tray icon's right-button menu, "設定".
show_from_tray() {
  local tray="" i
  for i in $(seq 1 100); do
    tray=$(xdotool search --name "Wine System Tray" 2>/dev/null | head -1) && [ -n "$tray" ] && break
    sleep 0.1
  done
  [ -n "$tray" ] || fail "no tray icon appeared"
  eval "$(xdotool getwindowgeometry --shell "$tray")"
  xdotool mousemove $((X + 10)) $((Y + HEIGHT - 10)) click 3
  sleep 1
  # The menu opens at the pointer: 設定 is its third item, below two items and a separator.
  xdotool mousemove_relative 30 52 click 1
  probe wait TForm1 "Tempiko！" 20 || fail "設定 did not bring the window back"
}
