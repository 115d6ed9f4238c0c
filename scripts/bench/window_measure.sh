#!/usr/bin/env bash
# Measures the real program under Wine: the time from a click on 接続 to "補正完了" against a
# local chronyd, the CPU it uses over SECONDS (default 60) with the window shown and in the
# tray, and the size of tempiko.exe. Nothing is set: Wine never changes the host's clock.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
seconds=${1:-60}
cd "$root"
source scripts/lib/bench.sh
tempiko_bench_build tempiko probe

measure() {
  set -euo pipefail
  source "$root/scripts/lib/bench.sh"
  tempiko_bench_world

  cpu_ticks() { awk '{print $14 + $15}' "/proc/$(pgrep -f "^$SANDBOX/tempiko.exe" | head -1)/stat"; }
  cpu_percent() {
    local before after
    before=$(cpu_ticks)
    sleep "$seconds"
    after=$(cpu_ticks)
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
      'BEGIN { printf "%.2f%% of one core (%d ticks in %d s)", 100 * t / hz / s, t, s }'
  }

  make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "[Server]" "127.0.0.1="
  start_program "$SANDBOX/tempiko.exe"
  probe wait TForm1 "Tempiko！" 30
  start=$(date +%s%N)
  probe click TForm1 "Tempiko！" 131
  wait_text 140 '補正完了' 20 >/dev/null
  end=$(date +%s%N)
  echo "click on 接続 to 補正完了: $(((end - start) / 1000000)) ms (probe calls of ~70 ms included)"
  echo "CPU with the window shown: $(cpu_percent)"
  probe close TForm1 "Tempiko！"
  wait_program_exit 30

  rm -rf "$SANDBOX"
  make_sandbox "[Option]" "Timer=3"
  start_program "$SANDBOX/tempiko.exe"
  sleep 3
  echo "CPU in the tray: $(cpu_percent)"
  probe close TForm1 "Tempiko！"
  wait_program_exit 30
  echo "tempiko.exe: $(stat -c %s "$exe") bytes"
}

tempiko_bench_isolated measure seconds=$seconds
