#!/usr/bin/env bash
# Builds everything and runs every test: the native core with AddressSanitizer and
# UndefinedBehaviorSanitizer, then the Win32 adapter and end-to-end tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)
started=$(date +%s)
step_started=""
# Each step's duration, and the whole run's at the end (CI's limit is 90 minutes).
step() {
  local now
  now=$(date +%s)
  [ -z "$step_started" ] || echo "   (took $((now - step_started)) s)"
  step_started=$now
  echo "== $*"
}
trap 'echo "== test.sh ran $(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s"' EXIT

bash scripts/deps.sh

step format check
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

step "native build and tests (ASan + UBSan)"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --preset native-asan -j "$jobs"

step "fuzzing every outside input (30 s each target)"
bash scripts/fuzz.sh 30

step MinGW build
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

step "Win32 and end-to-end tests under Wine"
source scripts/lib/netns.sh
tempiko_isolated bash scripts/lib/wine-tests.sh
