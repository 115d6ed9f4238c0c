#!/usr/bin/env bash
# The relay answers standard NTP clients on another machine (a peer namespace) with the answer
# of its upstream server (chronyd -x in the peer): ntpdig (first byte 0xE3) and chrony as a
# client (0x23, -Q: it never sets the clock) each report an offset within 5 ms of zero, as every
# clock here is this machine's clock. Three clients asking at once are answered from one
# upstream request, with one log line for the forward. Ends with a picture of the log page.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/relay_lib.sh"

require_free_port_123
relay_peer_up
upstream_up
relay_program_up

# ntpdig: "DATE TIME (ZONE) OFFSET +/- ERROR SERVER sSTRATUM LEAP", the offset in seconds.
ntpdig_offset() {
  local answer
  answer=$(tempiko_peer timeout 30 ntpdig -t 5 "$TEMPIKO_PEER_LOCAL" 2>&1) || {
    echo "ntpdig: $answer" >&2
    return 1
  }
  echo "ntpdig: $answer" >&2
  awk '{ for (f = 1; f < NF; f++) if ($(f + 1) == "+/-") printf "%+.3f\n", $f * 1000 }' <<<"$answer"
}

# chrony as a client: one sample, then it prints the clock's error and ends (-t bounds it).
chronyd_offset() {
  local client=$RELAY_STATE/chrony-client seconds
  rm -rf "$client" && mkdir -p "$client"
  tempiko_peer chronyd -Q -t 30 -u root -l "$client/log" \
    "server $TEMPIKO_PEER_LOCAL iburst maxsamples 1" "pidfile $client/pid" \
    "driftfile $client/drift" "cmdport 0" "bindcmdaddress /" </dev/null || true
  seconds=$(grep -oP 'System clock wrong by \K[-+0-9.]+' "$client/log") || {
    cat "$client/log" >&2
    return 1
  }
  awk -v s="$seconds" 'BEGIN { printf "%+.3f\n", s * 1000 }'
}

offset_within_5_ms ntpdig_offset
offset_within_5_ms chronyd_offset

# Three clients at once, from three addresses, first bytes 0x23 and 0xE3: one upstream request
# answers them all, each in time, with one log line. "At once" is as this machine manages it: a
# busy machine may hold a client's send back past the relay's upstream request, and then that
# client rightly costs a second request, or joins a run that began before it asked. So the
# batch is tried up to three times; a relay that never batches fails all three.
three_clients_at_once() {
  local requests_before forwards_before answers requests forwards line
  requests_before=$(upstream_requests)
  forwards_before=$(forward_lines)
  answers=$(peer_ntp ask "$RELAY" --from "$(peer_addresses 3)" --first-byte 0x23,0xE3) \
    || fail "not every client was answered:"$'\n'"$answers"
  echo "$answers"
  # Every answer, in time or not, is the upstream's with the client's own timestamp.
  while read -r line; do check_relayed_answer "$line"; done <<<"$answers"
  requests=$(($(upstream_requests) - requests_before))
  forwards=$(($(forward_lines) - forwards_before))
  echo "three clients at once: $requests upstream request(s), $forwards forward line(s)"
  ((requests == 1)) || return 1
  ((forwards == 1)) || fail "one upstream answer forwarded to three clients logged $forwards lines"
  # One upstream answer for all: bytes 32-47 (the server's receive and transmit timestamps).
  [ "$(grep -oP 'bytes=.{64}\K.{32}' <<<"$answers" | sort -u | wc -l)" -eq 1 ] \
    || fail "the clients got different upstream answers"
  while read -r line; do
    (check_relayed_answer "$line" timely) 2>/dev/null || { echo "not in time: $line"; return 1; }
  done <<<"$answers"
}
batched=""
for try in 1 2 3; do
  if three_clients_at_once; then
    batched=1
    break
  fi
  echo "try $try: the three requests did not all reach the relay before its upstream request"
done
[ -n "$batched" ] || fail "three clients at once never shared one timely upstream request"

show_from_tray
probe click TForm1 "Tempiko！" 136  # 詳細 >>
probe click TForm1 "Tempiko！" 137  # the log page
[ "$(probe text TForm1 "Tempiko！" 137)" = "状態" ] || fail "the log page did not open"
screenshot "$shots/relay-log-page.png"
probe close TForm1 "Tempiko！"
wait_program_exit 30 || fail "the program did not end"
echo "PASS: ntpdig, chronyd -Q and three clients at once answered through the relay"
