#!/usr/bin/env bash
# Measures how close to the true UTC a synchronisation run would set the clock: RUNS complete
# runs (default 20) of the real Win32 program logic under Wine against chronyd -x on the same
# machine (so the server's time is this machine's), each error being the time the run would
# have set minus the host's UTC at that moment. Nothing is set. Prints each error and the median.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-20}
cd "$root"
source scripts/lib/bench.sh
tempiko_bench_build sync_accuracy

measure() {
  set -euo pipefail
  source "$root/scripts/lib/bench.sh"
  tempiko_bench_world
  wine "$TEMPIKO_BUILD/tests/win32/sync_accuracy.exe" 127.0.0.1 "$runs" </dev/null | tr -d '\r'
}

tempiko_bench_isolated measure runs=$runs
