#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the build's own prefix. CMake uses it as
# the emulator for the MinGW build (test discovery and ctest).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe=$1
shift
# The build folder is the one holding the program (or one of its parents).
if [ -z "${TEMPIKO_BUILD:-}" ]; then
  dir=$(cd "$(dirname "$exe")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  export TEMPIKO_BUILD=$dir
fi
source "$here/lib/wine-env.sh"
exec wine "$exe" "$@"
