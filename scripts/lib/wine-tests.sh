#!/usr/bin/env bash
# Runs the MinGW build's tests (Win32 adapters and end to end) under Wine: a virtual display,
# the build's own prefix and a warm wineserver. Meant to run inside a network namespace of the
# test run's own (see scripts/test.sh), so that its loopback and port 123 belong to the tests.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export TEMPIKO_BUILD=$root/build/mingw
source "$root/scripts/lib/wine-env.sh"

ip link set lo up 2>/dev/null || true
unset DISPLAY
tempiko_ensure_display
tempiko_prepare_prefix
tempiko_start_wine
status=0
(cd "$root" && ctest --preset mingw "$@") || status=$?
tempiko_stop_wine
tempiko_stop_display
exit $status
