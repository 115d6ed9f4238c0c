#!/usr/bin/env bash
# When another program holds port 123 the relay cannot work, and says so while its option is
# on: at start-up, and when the option is ticked. The rest of the program works as before: a
# click on 接続 still synchronises with the upstream server (in a peer namespace).
#   holder: "any" (a socket on 0.0.0.0:123) or "loopback" (chronyd on 127.0.0.1:123, as the
#           Win32 tests' server)
#   relay:  "on" at start-up, or "ticked" after a start with it off
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/relay_lib.sh"

cases=(
  "any on"
  "loopback on"
  "any ticked"
)

hold_port_123() {
  case $1 in
    any)
      python3 "$HARNESS/ntp_peer.py" hold 123 >"$RELAY_STATE/holder" &
      HOLDER_PID=$!
      on_exit "kill $HOLDER_PID 2>/dev/null || true"
      for _ in $(seq 1 100); do grep -q held "$RELAY_STATE/holder" && return; sleep 0.05; done
      fail "could not hold port 123"
      ;;
    loopback) "$HARNESS/chronyd.sh" start "$RELAY_STATE/loopback" 127.0.0.1 123 ;;
  esac
}

release_port_123() {
  case $1 in
    any) kill "$HOLDER_PID"; wait "$HOLDER_PID" 2>/dev/null || true ;;
    loopback) "$HARNESS/chronyd.sh" stop "$RELAY_STATE/loopback" ;;
  esac
}

# The status bar shows the text, and the log holds it as a line.
says_port_taken() {
  wait_text 140 "^$PORT_123_TAKEN\$" 10 >/dev/null \
    && probe text TForm1 "Tempiko！" 151 | grep -qxF "$PORT_123_TAKEN"
}

require_free_port_123
relay_peer_up
upstream_up
on_exit '"$HARNESS/chronyd.sh" stop "$RELAY_STATE/loopback"'

for case_line in "${cases[@]}"; do
  read -r holder relay <<<"$case_line"
  echo "-- port 123 held by $holder, relay $relay"
  hold_port_123 "$holder"
  if [ "$relay" = on ]; then
    make_sandbox "[Option]" "Agent=1" "HoseiGosa=0" "Server=0" "[Server]" "$UPSTREAM="
    start_program "$SANDBOX/tempiko.exe"
    probe exists TForm1 "Tempiko！" 30 || fail "the main window was not made"
    says_port_taken || fail "no word that port 123 is taken: '$(probe text TForm1 "Tempiko！" 140)'"
  else
    make_sandbox "[Option]" "Agent=0" "HoseiGosa=0" "Server=0" "[Server]" "$UPSTREAM="
    start_program "$SANDBOX/tempiko.exe"
    probe wait TForm1 "Tempiko！" 30 || fail "the main window did not appear"
    probe click TForm1 "Tempiko！" 136  # 詳細 >>: the options page
    if probe text TForm1 "Tempiko！" 151 | grep -qF "$PORT_123_TAKEN"; then
      fail "the relay is off, yet the log says port 123 is taken"
    fi
    probe click TForm1 "Tempiko！" 171  # 代理サーバとして利用
    says_port_taken || fail "ticking the relay did not say port 123 is taken"
    screenshot "$shots/relay-port-123-taken.png"
  fi
  # The program's own synchronisation does not need port 123.
  probe click TForm1 "Tempiko！" 131  # 接続
  status=$(wait_text 140 '補正完了|応答|見つかりません|設定できません' 20) \
    || fail "the run did not end: '$status'"
  [ "$status" = "補正完了" ] || fail "the run ended with '$status'"
  probe close TForm1 "Tempiko！"
  wait_program_exit 30 || fail "the program did not end"
  release_port_123 "$holder"
done
echo "PASS: port 123 taken is reported while the relay is on; synchronising still works"
