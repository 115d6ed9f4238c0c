# Helpers of the dial-up end-to-end scripts: a sandbox whose program loads the scripted dialler
# of tests/win32/fake_ras (rasapi32.dll beside it, WINEDLLOVERRIDES rasapi32=n), the dialler's
# script and its log. Expects lib.sh sourced and TEMPIKO_BUILD set.

fake_dialler=$TEMPIKO_BUILD/tests/win32/fake_ras/rasapi32.dll

# make_dial_sandbox INI-LINES...: the program's settings (the server is the fixture's chronyd)
# and an empty dialler script.
make_dial_sandbox() {
  make_sandbox "[Option]" "HoseiGosa=0" "Server=0" "$@" "[Server]" "127.0.0.1="
  cp "$fake_dialler" "$SANDBOX/rasapi32.dll"
  export TEMPIKO_FAKE_RAS="Z:$SANDBOX/ras.txt"
  : >"$SANDBOX/ras.txt"
}

# Replaces the dialler's script at once (it reads it anew at every call). Lines in UTF-8.
ras_script() {
  printf '%s\r\n' "$@" | iconv -f utf-8 -t cp932 >"$SANDBOX/ras.tmp"
  mv "$SANDBOX/ras.tmp" "$SANDBOX/ras.txt"
}

# The dialler's call log, one call a line.
ras_log() { iconv -f cp932 -t utf-8 "$SANDBOX/ras.txt.log" 2>/dev/null | tr -d '\r'; }

# Waits until the log memo holds a line matching the pattern (grep -E).
wait_log_line() {
  local pattern=$1 seconds=$2 i
  for ((i = 0; i < seconds * 10; i++)); do
    probe text TForm1 "Tempiko！" 151 | grep -qE "$pattern" && return 0
    sleep 0.1
  done
  return 1
}

log_text() { probe text TForm1 "Tempiko！" 151; }
