# Sourced by the benchmarks in scripts/bench: what each builds, and the world each measures in.

# Builds the MinGW targets a benchmark measures (after installing what is missing).
tempiko_bench_build() {
  bash scripts/deps.sh
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j2 --target "$@" >/dev/null
}

# Runs the shell function MEASURE inside a network namespace of its own, with the variables
# named after it (NAME=value) set there. MEASURE starts with tempiko_bench_world.
tempiko_bench_isolated() {
  local measure=$1
  shift
  source "$root/scripts/lib/netns.sh"
  tempiko_isolated bash -c "$(declare -f "$measure"); root=$root $*; $measure"
}

# Inside the namespace: the Wine environment on a virtual display of its own, the end-to-end
# helpers (make_sandbox, start_program, probe), a real NTP server on 127.0.0.1:123 (chronyd -x,
# which never touches the clock) and a warm wineserver, all ended when the shell exits. Sets
# exe, probe and state (a scratch folder).
tempiko_bench_world() {
  export TEMPIKO_BUILD=$root/build/mingw
  source "$root/scripts/lib/wine-env.sh"
  exe=$TEMPIKO_BUILD/src/win32/tempiko.exe
  probe=$TEMPIKO_BUILD/tests/e2e/probe.exe
  source "$root/tests/e2e/lib.sh"
  state=$(mktemp -d)
  unset DISPLAY
  tempiko_ensure_display
  on_exit 'tests/harness/chronyd.sh stop "$state"; tempiko_stop_wine; tempiko_stop_display; rm -rf "$state"'
  tests/harness/chronyd.sh start "$state" 127.0.0.1 123
  tempiko_prepare_prefix
  tempiko_start_wine
}
