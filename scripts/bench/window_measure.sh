#!/usr/bin/env bash
# Measures the real program under Wine: the time from a click on 接続 to "補正完了" against a
# local chronyd, the CPU it uses over SECONDS (default 60) with the window shown and in the
# tray, and the size of tempiko.exe. Nothing is set: Wine never changes the host's clock.
#
# The shown window's CPU is measured side by side with a floor: a bare window whose 10 ms timer
# does nothing (tests/e2e/timer_floor.exe), which is what the clock label's tick costs before
# any work of the program's. Each line gives the process's own CPU and wineserver's during the
# same seconds (under Wine each tick is also a request the server answers). With
# TEMPIKO_BEFORE_EXE=path/to/an/older/tempiko.exe that build is measured in the same run too.
#   window_measure.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
seconds=${1:-60}
before_exe=${TEMPIKO_BEFORE_EXE:+$(realpath "$TEMPIKO_BEFORE_EXE")}
cd "$root"
source scripts/lib/bench.sh
tempiko_bench_build tempiko probe timer_floor

measure() {
  set -euo pipefail
  source "$root/scripts/lib/bench.sh"
  tempiko_bench_world

  ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  # The process whose command line starts with $1, once it exists (up to 30 s).
  process_of() {
    local pid i
    for i in $(seq 1 300); do
      pid=$(pgrep -f "^$1" | head -1) && [ -n "$pid" ] && { echo "$pid"; return; }
      sleep 0.1
    done
    echo "no process $1" >&2
    return 1
  }
  # "X% (wineserver Y%)" of one core over $seconds for process $1.
  cpu_percent() {
    local server before server_before after server_after hz
    server=$(pgrep -x wineserver64 || pgrep -x wineserver | head -1)
    hz=$(getconf CLK_TCK)
    before=$(ticks "$1")
    server_before=$(ticks "$server")
    sleep "$seconds"
    after=$(ticks "$1")
    server_after=$(ticks "$server")
    awk -v t=$((after - before)) -v w=$((server_after - server_before)) -v hz="$hz" \
      -v s="$seconds" 'BEGIN { printf "%.2f%% (wineserver %.2f%%)", 100 * t / hz / s, 100 * w / hz / s }'
  }

  # The program of $exe, shown, after one run: its CPU over the seconds.
  shown_program() {
    make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "[Server]" "127.0.0.1="
    start_program "$SANDBOX/tempiko.exe"
    probe wait TForm1 "Tempiko！" 30
    local start end
    start=$(date +%s%N)
    probe click TForm1 "Tempiko！" 131
    wait_text 140 '補正完了' 20 >/dev/null
    end=$(date +%s%N)
    echo "  click on 接続 to 補正完了: $(((end - start) / 1000000)) ms (probe calls of ~70 ms included)"
    echo "  CPU with the window shown: $(cpu_percent "$(process_of "$SANDBOX/tempiko.exe")")"
    probe close TForm1 "Tempiko！"
    wait_program_exit 30
  }

  echo "this build ($exe):"
  shown_program
  local floor=$TEMPIKO_BUILD/tests/e2e/timer_floor.exe
  start_program "$floor" 10
  local floor_process
  floor_process=$(process_of "$floor")
  sleep 3  # past its start
  echo "a bare window with a 10 ms timer, shown:"
  echo "  CPU: $(cpu_percent "$floor_process")"
  kill "$PROGRAM_PID" 2>/dev/null || true
  pkill -f "^$floor" || true
  if [ -n "$before_exe" ]; then
    echo "the build before ($before_exe):"
    exe=$before_exe shown_program
  fi

  rm -rf "$SANDBOX"
  make_sandbox "[Option]" "Timer=3"
  start_program "$SANDBOX/tempiko.exe"
  local tray_process
  tray_process=$(process_of "$SANDBOX/tempiko.exe")
  sleep 5  # past its start and the run it starts with
  echo "this build in the tray: $(cpu_percent "$tray_process")"
  probe close TForm1 "Tempiko！"
  wait_program_exit 30
  echo "tempiko.exe: $(stat -c %s "$exe") bytes"
}

tempiko_bench_isolated measure seconds=$seconds before_exe=$before_exe
