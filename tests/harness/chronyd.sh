#!/usr/bin/env bash
# Starts or stops a real NTP server for a test: chronyd with -x, which never touches the
# clock, serving its own clock at stratum 8.
#   chronyd.sh start DIR [ADDRESS] [PORT]   state (config, pid, log) goes to DIR
#   chronyd.sh stop DIR
set -euo pipefail
cmd=${1:?start or stop}
dir=${2:?state folder}
address=${3:-127.0.0.1}
port=${4:-123}

stop() {
  [ -f "$dir/chronyd.pid" ] || return 0
  local pid
  pid=$(cat "$dir/chronyd.pid")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  rm -f "$dir/chronyd.pid"
}

case $cmd in
  start)
    mkdir -p "$dir"
    stop
    cat >"$dir/chrony.conf" <<CONF
local stratum 8
allow 127.0.0.0/8
allow $address/32
bindaddress $address
port $port
cmdport 0
pidfile $dir/chronyd.pid
driftfile $dir/chrony.drift
CONF
    chronyd -x -u root -f "$dir/chrony.conf" -l "$dir/chronyd.log" </dev/null
    # Ready once it has written its pid file and says it serves without the clock.
    for _ in $(seq 1 100); do
      [ -s "$dir/chronyd.pid" ] && grep -q "Disabled control of system clock" "$dir/chronyd.log" \
        && exit 0
      sleep 0.05
    done
    echo "chronyd did not start; its log:" >&2
    cat "$dir/chronyd.log" >&2 || true
    exit 1
    ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop DIR [ADDRESS] [PORT]" >&2; exit 2 ;;
esac
