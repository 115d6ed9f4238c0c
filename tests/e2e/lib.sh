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

# --- The Startup folder and its links ---

# The link reader beside the probe: prints a link's fields, names the Startup folder, starts a
# link as the shell does.
link_reader() {
  wine "$(dirname "$probe")/link_reader.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# Sets STARTUP_FOLDER (a Unix path) to the current user's Startup folder.
find_startup_folder() {
  local windows
  windows=$(link_reader startup) || fail "the shell named no Startup folder"
  STARTUP_FOLDER=$(winepath -u "$windows" 2>/dev/null)
  mkdir -p "$STARTUP_FOLDER"
}

# The field of the link reader's output.
link_field() { sed -n "s/^$2=//p" <<<"$1"; }

# The link, read back through the shell link object, starts the program with these arguments
# in its own folder, and sets nothing else. With "raw", the raw path is checked too (Wine keeps
# it only in the ANSI code page).
expect_link() {
  local link=$1 program=$2 arguments=$3 raw=${4:-} fields target folder
  [ -f "$link" ] || fail "no link at $link"
  fields=$(link_reader "$(winepath -w "$link" 2>/dev/null)") || fail "$link does not read as a link"
  target=$(winepath -w "$program" 2>/dev/null)
  folder=$(winepath -w "$(dirname "$program")" 2>/dev/null)\\
  [ "$(link_field "$fields" target)" = "$target" ] || fail "link target: $fields"
  [ -z "$raw" ] || [ "$(link_field "$fields" raw_target)" = "$target" ] || fail "raw path: $fields"
  [ "$(link_field "$fields" arguments)" = "$arguments" ] || fail "link arguments: $fields"
  [ "$(link_field "$fields" directory)" = "$folder" ] || fail "link folder: $fields"
  [ "$(link_field "$fields" description)" = "" ] || fail "link description: $fields"
  [ "$(link_field "$fields" icon)" = ",0" ] || fail "link icon: $fields"
  [ "$(link_field "$fields" hotkey)" = "0" ] || fail "link hot key: $fields"
  [ "$(link_field "$fields" show)" = "1" ] || fail "link show command: $fields"
}

# Presses 登録 and expects its message box with this text, which it then closes. The optional
# screenshot shows the box.
expect_refusal() {
  local text=$1 shot=${2:-} message clicker
  probe click TForm1 "Tempiko！" 133 &  # answers once the box is closed
  clicker=$!
  probe wait "#32770" "Tempiko！" 10 || fail "no message box for '$text'"
  [ -z "$shot" ] || screenshot "$shot"
  message=$(probe statics "#32770" "Tempiko！")
  probe close "#32770" "Tempiko！"
  wait "$clicker" || true
  probe gone "#32770" "Tempiko！" 10 || fail "the message box stayed"
  [ "$message" = "$text" ] || fail "the box says '$message', expected '$text'"
}

# Presses 0 補正 (135) so that the zero correction is accepted: Wine lets a program set the
# clock only to within 0.5 s of the host's time, so the press comes just after a minute begins.
# A machine too busy to press in time gets up to three minutes.
zero_correction() {
  local try refusals before
  refusals() { probe text TForm1 "Tempiko！" 151 | grep -c '時刻を設定できませんでした' || true; }
  for try in 1 2 3; do
    before=$(refusals)
    python3 -c 'import time; time.sleep(60 - time.time() % 60 + 0.05)'
    probe click TForm1 "Tempiko！" 135
    [ "$(refusals)" = "$before" ] && return 0
    echo "zero correction refused (try $try): pressed too late after the minute" >&2
  done
  fail "the zero correction was refused three times"
}
