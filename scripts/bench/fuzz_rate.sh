#!/usr/bin/env bash
# Compares the cost of the fuzz targets' inputs between this tree's fuzz build and another's,
# side by side: each round runs every input of a target's corpus once (libFuzzer's -runs=0)
# with one build and then the other, and the CPU seconds of all rounds are summed per build.
# The same inputs go through both, so the ratio is that of the code they run, whatever the
# machine's load. BEFORE is the root of another checkout whose `fuzz` preset is built.
#   fuzz_rate.sh BEFORE [ROUNDS]
# FUZZ_TARGETS="relay settings" picks the targets (default: all four); FUZZ_CORPUS_DIR=DIR
# takes the corpus from DIR/<target> (a long run's) instead of the checked-in one.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
before=$(realpath "${1:?usage: fuzz_rate.sh BEFORE [ROUNDS]}")
rounds=${2:-3}
targets=${FUZZ_TARGETS:-settings reply relay date}
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=10}
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

# The CPU seconds (user + system) of one pass of the build's target over the corpus.
cpu_seconds() {
  local binary=$1 corpus=$2 TIMEFORMAT='%U %S' times
  times=$({ time "$binary" -runs=0 -max_len=65536 "$corpus" >/dev/null 2>&1; } 2>&1)
  awk '{print $1 + $2}' <<<"$times"
}

printf '%-9s %7s %10s %10s %7s\n' target inputs 'this s' 'before s' ratio
for target in $targets; do
  corpus=tests/fuzz/corpus/$target
  [ -n "${FUZZ_CORPUS_DIR:-}" ] && corpus=$FUZZ_CORPUS_DIR/$target
  now=0 then=0
  for _ in $(seq 1 "$rounds"); do
    now=$(awk -v a="$now" -v b="$(cpu_seconds "build/fuzz/tests/fuzz/${target}_fuzzer" "$corpus")" 'BEGIN {print a + b}')
    then=$(awk -v a="$then" -v b="$(cpu_seconds "$before/build/fuzz/tests/fuzz/${target}_fuzzer" "$corpus")" 'BEGIN {print a + b}')
  done
  printf '%-9s %7d %10.2f %10.2f %7s\n' "$target" "$(find "$corpus" -type f | wc -l)" "$now" "$then" \
    "$(awk -v a="$now" -v b="$then" 'BEGIN {printf "%.2fx", b / a}')"
done
echo "ratio: the other build's CPU seconds over this one's (above 1: this build is cheaper)"
