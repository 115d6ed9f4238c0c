# Helpers for the end-to-end scripts. Expects wine-env.sh sourced and $probe set.

# Commands to run when the script ends, in the order they were added: each helper adds its
# own clean-up instead of replacing another's.
TEMPIKO_CLEANUPS=()
on_exit() {
  TEMPIKO_CLEANUPS+=("$1")
  trap 'for c in "${TEMPIKO_CLEANUPS[@]}"; do eval "$c"; done' EXIT
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

probe() { wine "$probe" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

start_program() {
  wine "$1" "${@:2}" </dev/null >/dev/null 2>&1 &
  PROGRAM_PID=$!
  on_exit 'kill $PROGRAM_PID 2>/dev/null || true'
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

# A folder of the test's own holding a copy of the program, so that its settings file (beside
# the exe) belongs to this test alone. Optional settings lines (UTF-8) become the INI file.
make_sandbox() {
  SANDBOX=$(mktemp -d)
  cp "$exe" "$SANDBOX/tempiko.exe"
  if [ $# -gt 0 ]; then printf '%s\r\n' "$@" | iconv -f utf-8 -t cp932 >"$SANDBOX/tempiko.ini"; fi
  # The Windows process may outlive its wine launcher: end it by its own path too. (The
  # folder is named now, as a later sandbox replaces $SANDBOX.)
  on_exit "pkill -f '^$SANDBOX/tempiko.exe' || true; rm -rf '$SANDBOX'"
}

settings_file() { iconv -f cp932 -t utf-8 "$SANDBOX/tempiko.ini" | tr -d '\r'; }

# Waits until the control's text matches the pattern (bash regex); prints the last text read.
wait_text() {
  local id=$1 pattern=$2 seconds=$3 text i
  for ((i = 0; i < seconds * 10; i++)); do
    text=$(probe text TForm1 "Tempiko！" "$id") || true
    [[ $text =~ $pattern ]] && { echo "$text"; return 0; }
    sleep 0.1
  done
  echo "$text"
  return 1
}
