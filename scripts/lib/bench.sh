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
  tempiko_bench_wine
  on_exit 'tests/harness/chronyd.sh stop "$state"; rm -rf "$state"'
  tests/harness/chronyd.sh start "$state" 127.0.0.1 123
}

# Inside the namespace, for the relay: the same Wine environment, with port 123 left to the
# program, and a peer namespace (scripts/lib/netns.sh) holding the program's upstream server
# (chronyd -x on 10.123.0.1:123) and the clients' addresses; the helpers of
# tests/e2e/relay_lib.sh (relay_program_up, peer_ntp, upstream_requests...).
tempiko_bench_relay_world() {
  tempiko_bench_wine
  source "$root/tests/e2e/relay_lib.sh"
  require_free_port_123
  tempiko_peer_up || { echo "no network namespace can be made here: nothing to measure" >&2; exit 1; }
  on_exit tempiko_peer_down
  RELAY_STATE=$state
  upstream_up
  on_exit 'rm -rf "$state"'
}

# The part both share: display, prefix, warm wineserver, helpers and a scratch folder (which
# each world removes after what it keeps there has stopped).
tempiko_bench_wine() {
  export TEMPIKO_BUILD=$root/build/mingw
  source "$root/scripts/lib/wine-env.sh"
  exe=$TEMPIKO_BUILD/src/win32/tempiko.exe
  probe=$TEMPIKO_BUILD/tests/e2e/probe.exe
  source "$root/tests/e2e/lib.sh"
  state=$(mktemp -d)
  unset DISPLAY
  tempiko_ensure_display
  on_exit 'tempiko_stop_wine; tempiko_stop_display'
  tempiko_prepare_prefix
  tempiko_start_wine
}
