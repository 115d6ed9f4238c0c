#!/usr/bin/env bash
# Builds everything and runs every test: the native core with AddressSanitizer and
# UndefinedBehaviorSanitizer, then the Win32 adapter and end-to-end tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)

bash scripts/deps.sh

echo "== format check"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== native build and tests (ASan + UBSan)"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --preset native-asan -j "$jobs"

echo "== fuzzing the settings loader (60 s)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
# New inputs go to a scratch folder; the checked-in corpus only seeds the run.
fuzz_corpus=$(mktemp -d)
fuzz_log=build/fuzz/settings_fuzzer.log
if ! build/fuzz/tests/fuzz/settings_fuzzer -max_total_time=60 -max_len=65536 -rss_limit_mb=2048 \
    -timeout=10 -artifact_prefix=build/fuzz/ "$fuzz_corpus" tests/fuzz/corpus >"$fuzz_log" 2>&1; then
  tail -n 60 "$fuzz_log"
  rm -rf "$fuzz_corpus"
  echo "the settings fuzzer found a fault; the input is saved under build/fuzz/" >&2
  exit 1
fi
grep -E '^Done [0-9]+ runs' "$fuzz_log" || true
rm -rf "$fuzz_corpus"

echo "== MinGW build"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

echo "== Win32 and end-to-end tests under Wine"
source scripts/lib/netns.sh
tempiko_isolated bash scripts/lib/wine-tests.sh
