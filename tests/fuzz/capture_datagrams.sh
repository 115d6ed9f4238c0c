#!/usr/bin/env bash
# Captures the real datagrams the fuzz corpus is made from, inside a network namespace of its
# own: a reply of chronyd -x (which never touches the clock) to the program's request, with
# the instants it left and arrived, and the requests of two real clients, ntpdig and chronyd
# -Q (which only prints the offset), as the relay's port 123 receives them.
#   capture_datagrams.sh OUT_DIR
# Writes chronyd_reply.bin, chronyd_reply.times (T1 and T4 in ns since 1970, UTC),
# ntpdig_request.bin and chrony_request.bin. make_corpus.py turns them into corpus inputs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=$(mkdir -p "${1:?output folder}" && cd "$1" && pwd)

if [ -z "${TEMPIKO_CAPTURE_ISOLATED:-}" ]; then
  source "$root/scripts/lib/netns.sh"
  TEMPIKO_CAPTURE_ISOLATED=1 tempiko_isolated bash "${BASH_SOURCE[0]}" "$out"
  exit
fi

state=$(mktemp -d)
trap 'bash "$root/tests/harness/chronyd.sh" stop "$state/server"; rm -rf "$state"' EXIT

# The program's request from port 8263: 0x23 and 47 zero bytes, then the reply.
bash "$root/tests/harness/chronyd.sh" start "$state/server" 127.0.0.1 123
python3 - "$out" <<'PY'
import socket, sys, time
out = sys.argv[1]
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 8263))
s.settimeout(5)
for attempt in range(20):  # chronyd serves its local clock once it has selected it
    t1 = time.time_ns()
    s.sendto(bytes([0x23]) + bytes(47), ("127.0.0.1", 123))
    reply, sender = s.recvfrom(2048)
    t4 = time.time_ns()
    if reply[0] >> 6 != 3:
        break
    time.sleep(0.5)
open(f"{out}/chronyd_reply.bin", "wb").write(reply)
open(f"{out}/chronyd_reply.times", "w").write(f"{t1} {t4}\n")
PY
bash "$root/tests/harness/chronyd.sh" stop "$state/server"

# A client's first request to port 123, as the relay receives it.
capture_request() {
  local name=$1
  shift
  python3 - "$out/$name" <<'PY' &
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 123))
s.settimeout(10)
request, sender = s.recvfrom(2048)
open(sys.argv[1], "wb").write(request)
PY
  local listener=$!
  for _ in $(seq 1 100); do ss -Hlun 'sport = :123' | grep -q . && break; sleep 0.05; done
  timeout 5 "$@" >/dev/null 2>&1 || true
  wait "$listener"
}
capture_request ntpdig_request.bin ntpdig -t 1 127.0.0.1
capture_request chrony_request.bin chronyd -Q -u root -f /dev/null \
  "server 127.0.0.1 port 123 iburst maxsamples 1"
ls -l "$out"
