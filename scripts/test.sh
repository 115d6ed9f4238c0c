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

echo "== fuzzing every outside input (30 s each target)"
bash scripts/fuzz.sh 30

echo "== MinGW build"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

echo "== Win32 and end-to-end tests under Wine"
source scripts/lib/netns.sh
tempiko_isolated bash scripts/lib/wine-tests.sh
