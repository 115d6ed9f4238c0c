# Helpers for the end-to-end scripts. Expects wine-env.sh sourced and $probe set.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

probe() { wine "$probe" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

start_program() {
  wine "$1" "${@:2}" </dev/null >/dev/null 2>&1 &
  PROGRAM_PID=$!
  trap 'kill $PROGRAM_PID 2>/dev/null || true' EXIT
}

wait_program_exit() {
  local seconds=$1 i
  for ((i = 0; i < seconds * 20; i++)); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || return 0
    sleep 0.05
  done
  return 1
}

screenshot() {
  mkdir -p "$(dirname "$1")"
  import -window root "$1"
  echo "screenshot: $1"
}
