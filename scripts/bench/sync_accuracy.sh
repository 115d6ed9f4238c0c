#!/usr/bin/env bash
# Measures how close to the true UTC a synchronisation run would set the clock: RUNS complete
# runs (default 20) of the real Win32 program logic under Wine against chronyd -x on the same
# machine (so the server's time is this machine's), each error being the time the run would
# have set minus the host's UTC at that moment. Nothing is set. Prints each error and the median.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-20}
cd "$root"
bash scripts/deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target sync_accuracy >/dev/null

measure() {
  set -euo pipefail
  export TEMPIKO_BUILD=$root/build/mingw
  source "$root/scripts/lib/wine-env.sh"
  state=$(mktemp -d)
  trap 'tests/harness/chronyd.sh stop "$state"; tempiko_stop_wine; rm -rf "$state"' EXIT
  tests/harness/chronyd.sh start "$state" 127.0.0.1 123
  tempiko_prepare_prefix
  tempiko_start_wine
  wine "$TEMPIKO_BUILD/tests/win32/sync_accuracy.exe" 127.0.0.1 "$runs" </dev/null | tr -d '\r'
}

source "$root/scripts/lib/netns.sh"
tempiko_isolated bash -c "$(declare -f measure); root=$root runs=${runs:-} seconds=${seconds:-} measure"
