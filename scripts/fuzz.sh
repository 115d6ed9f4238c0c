#!/usr/bin/env bash
# Builds the fuzz targets (preset `fuzz`: clang, libFuzzer, ASan + UBSan) and runs each of them
# in turn, one process at a time, and prints its executions and faults.
#   scripts/fuzz.sh [SECONDS] [RUNS]
# Each target runs SECONDS (default 30) or, with RUNS, until it has executed that many inputs,
# whichever comes first. FUZZ_TARGETS="reply date" runs only those. The checked-in corpus of a
# target (tests/fuzz/corpus/<target>) only seeds it: new inputs go to a scratch folder, or with
# FUZZ_CORPUS_DIR=DIR to DIR/<target>, kept, so that a long run split over several sessions
# goes on where it stopped (its executions are then the sum of the runs'). A fault
# (a crash, a sanitizer report, a broken property, a leak, a slow or swollen input) leaves its
# input as build/fuzz/<target>-crash-… (or -leak-, -timeout-, -oom-) and makes the script
# fail; `build/fuzz/tests/fuzz/<target>_fuzzer FILE` runs that input again. On a shared machine
# run it as `nice -n 10 scripts/fuzz.sh …`.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
seconds=${1:-30}
runs=${2:-}
targets=${FUZZ_TARGETS:-settings reply relay date}

# The longest input each target is given: a settings file past the key list's 16 KiB buffer;
# a datagram past the endpoint's 2048-byte receive area; series of relay steps; patterns.
declare -A max_len=([settings]=65536 [reply]=4096 [relay]=4096 [date]=1024)

# A smaller quarantine than ASan's 256 MB keeps the process small and about twice as fast;
# every input frees far less than it, so a use after free within one input is still caught.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=10}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2

if [ -n "${FUZZ_CORPUS_DIR:-}" ]; then
  scratch=$(realpath -m "$FUZZ_CORPUS_DIR")
  mkdir -p "$scratch"
else
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
fi

# Runs one target; prints "target executions faults seconds" and answers 1 on a fault.
run_target() {
  local target=$1 log=build/fuzz/$1_fuzzer.log
  local limits=(-max_total_time="$seconds")
  [ -n "$runs" ] && limits+=(-runs="$runs")
  mkdir -p "$scratch/$target"
  local before after started status=0
  before=$(find build/fuzz -maxdepth 1 -name "$target-*" | wc -l)
  started=$(date +%s)
  build/fuzz/tests/fuzz/"$target"_fuzzer "${limits[@]}" -max_len="${max_len[$target]}" \
    -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="build/fuzz/$target-" \
    "$scratch/$target" "tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  after=$(find build/fuzz -maxdepth 1 -name "$target-*" | wc -l)
  local executions faults=$((after - before))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$status" -ne 0 ] && [ "$faults" -eq 0 ]; then
    faults=1  # it failed without leaving an input: a fault all the same
  fi
  printf '%-9s %12s %7s %8s\n' "$target" "${executions:-?}" "$faults" "$(($(date +%s) - started))"
  if [ "$faults" -ne 0 ]; then
    grep -E 'property violated|ERROR:|runtime error|SUMMARY|^artifact_prefix|Test unit written' \
      "$log" | head -n 12 | sed 's/^/    /' >&2
    echo "    (whole output: $log)" >&2
    return 1
  fi
}

printf '%-9s %12s %7s %8s\n' target executions faults seconds
failed=0
for target in $targets; do
  run_target "$target" || failed=1
done
exit "$failed"
