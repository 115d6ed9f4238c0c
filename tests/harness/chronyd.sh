#!/usr/bin/env bash
# Starts or stops a real NTP server for a test: chronyd with -x, which never touches the
# clock, serving its own clock at stratum 8.
#   chronyd.sh start DIR [ADDRESS] [PORT] [NETNS]   state (config, pid, log) goes to DIR;
#                                                   NETNS: run inside that network namespace
#   chronyd.sh stop DIR
#   chronyd.sh requests DIR                         prints how many NTP requests it received
# Besides the NTP port it listens only on a command socket, DIR/chronyd.sock (DIR is made
# private: chronyd refuses a socket in a folder others may enter), which `requests` asks.
set -euo pipefail
cmd=${1:?start, stop or requests}
dir=${2:?state folder}
address=${3:-127.0.0.1}
port=${4:-123}
netns=${5:-}

stop() {
  [ -f "$dir/chronyd.pid" ] || return 0
  local pid
  pid=$(cat "$dir/chronyd.pid")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  rm -f "$dir/chronyd.pid"
}

# "NTP packets received       : 12" in serverstats.
requests() {
  local stats
  stats=$(chronyc -h "$dir/chronyd.sock" serverstats) || {
    echo "chronyc could not ask the server in $dir" >&2
    return 1
  }
  awk -F: '/^NTP packets received/ { gsub(/ /, "", $2); print $2; found = 1 }
           END { exit !found }' <<<"$stats"
}

case $cmd in
  start)
    mkdir -p "$dir"
    chmod 700 "$dir"
    stop
    # The clients of a server in a namespace of the test's own come from its own subnet.
    cat >"$dir/chrony.conf" <<CONF
local stratum 8
allow 127.0.0.0/8
allow ${address%.*}.0/24
bindaddress $address
port $port
cmdport 0
bindcmdaddress $dir/chronyd.sock
pidfile $dir/chronyd.pid
driftfile $dir/chrony.drift
CONF
    rm -f "$dir/chronyd.log"
    run=()
    [ -n "$netns" ] && run=(ip netns exec "$netns")
    "${run[@]}" chronyd -x -u root -f "$dir/chrony.conf" -l "$dir/chronyd.log" </dev/null
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
  requests) requests ;;
  *) echo "usage: $0 start|stop|requests DIR [ADDRESS] [PORT] [NETNS]" >&2; exit 2 ;;
esac
