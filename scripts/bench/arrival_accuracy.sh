#!/usr/bin/env bash
# How close to the true offset the program comes against a server on this machine's own clock
# (chronyd -x on 127.0.0.1, in a network namespace of its own), where every true offset is 0:
#   (a) the real tempiko.exe under Wine and Xvfb, its window shown (the clock label repainted
#       every 10 ms; with TEMPIKO_BENCH_LOG_PAGE=1 the log page is open as well): RUNS clicks
#       on 接続, each run's "誤差:" line read from the log;
#   (b) the recording-clock rig (sync_accuracy.exe): RUNS runs, the error of the time each
#       would set, and (b') the offset each measured before the new time is rounded to the
#       whole milliseconds that SetSystemTime takes (a rounding worth up to 0.5 ms alone);
#   (c) ntpdig 127.0.0.1 RUNS times (it only queries), its offset.
# Prints each source's values, how many runs of (a) logged 誤差 00:00:00.000, the medians of the
# absolute errors in ms, and (b) against (c). Nothing is set: Wine never changes the host clock.
# Usage: arrival_accuracy.sh [RUNS]   (default 20)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-20}
cd "$root"
source scripts/lib/bench.sh
tempiko_bench_build tempiko probe sync_accuracy

measure() {
  set -euo pipefail
  source "$root/scripts/lib/bench.sh"
  tempiko_bench_world

  # (a) The real program. A run has ended once its status text stands in the log.
  local endings='^(補正完了|サーバからの応答がありませんでした|応答時間が長いため補正しませんでした|サーバーが見つかりません|.*設定できません.*|[0-9]+ms以内誤差のため補正しませんでした)$'
  make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "[Server]" "127.0.0.1="
  start_program "$SANDBOX/tempiko.exe"
  probe wait TForm1 "Tempiko！" 30 >/dev/null
  if [ -n "${TEMPIKO_BENCH_LOG_PAGE:-}" ]; then
    probe click TForm1 "Tempiko！" 136  # 詳細 >>: the details area
    probe click TForm1 "Tempiko！" 137  # the log page, so that every log line is drawn too
  fi
  local i log ended
  for ((i = 1; i <= runs; i++)); do
    probe click TForm1 "Tempiko！" 131  # 接続
    for ((ended = 0; ended < i;)); do
      sleep 0.1
      log=$(probe text TForm1 "Tempiko！" 151)
      ended=$(grep -cE "$endings" <<<"$log" || true)
    done
  done
  grep -oP '^誤差:\K.*' <<<"$log" >"$state/exe"
  probe close TForm1 "Tempiko！"
  wait_program_exit 30

  # (b) The rig: the same run on the real adapters, with a clock that records the setting.
  wine "$TEMPIKO_BUILD/tests/win32/sync_accuracy.exe" 127.0.0.1 "$runs" </dev/null | tr -d '\r' \
    | sed -nE 's/^run +[0-9]+: error ([-+0-9.]+) ms \(offset ([-+0-9.]+) ms\)$/\1 \2/p' >"$state/rig"

  # (c) ntpdig: "DATE TIME (ZONE) OFFSET +/- ERROR SERVER ...", the offset in seconds.
  for ((i = 1; i <= runs; i++)); do
    ntpdig 127.0.0.1 2>/dev/null | awk '{ for (f = 1; f < NF; f++) if ($(f + 1) == "+/-") print $f * 1000 }'
  done >"$state/ntpdig"

  python3 - "$runs" "$state/exe" "$state/rig" "$state/ntpdig" <<'PY'
import statistics, sys

runs = int(sys.argv[1])
def read(path):
    with open(path, encoding="utf-8") as f:
        return [line.strip() for line in f if line.strip()]

def ms_of_duration(text):  # hh:mm:ss.zzz
    h, m, s = text.split(":")
    return (int(h) * 3600 + int(m) * 60 + float(s)) * 1000

exe = read(sys.argv[2])
rig = [[float(v) for v in line.split()] for line in read(sys.argv[3])]
dig = [float(v) for v in read(sys.argv[4])]
print("(a) tempiko.exe 誤差:", " ".join(exe))
print("(b) rig errors (ms):", " ".join(f"{e:+.4f}" for e, _ in rig))
print("(b') rig offsets (ms):", " ".join(f"{o:+.4f}" for _, o in rig))
print("(c) ntpdig offsets (ms):", " ".join(f"{v:+.3f}" for v in dig))
if not (exe and rig and dig):
    sys.exit("a source gave no values")
exact = sum(1 for v in exe if v == "00:00:00.000")
a = statistics.median(abs(ms_of_duration(v)) for v in exe)
b = statistics.median(abs(e) for e, _ in rig)
b_offset = statistics.median(abs(o) for _, o in rig)
c = statistics.median(abs(v) for v in dig)
print(f"(a) 誤差 00:00:00.000 in {exact} of {runs} runs ({len(exe)} logged)")
print(f"median |error|: (a) tempiko.exe {a:.3f} ms, (b) rig {b:.4f} ms, "
      f"(b') rig before rounding {b_offset:.4f} ms, (c) ntpdig {c:.4f} ms")
def versus(name, value):
    ratio = f"{value / c:.2f}" if c > 0 else "inf"
    print(f"{name}/(c) = {ratio}, {name}-(c) = {value - c:+.4f} ms")
versus("(b)", b)
versus("(b')", b_offset)
PY
}

tempiko_bench_isolated measure runs=$runs TEMPIKO_BENCH_LOG_PAGE=${TEMPIKO_BENCH_LOG_PAGE:-}
