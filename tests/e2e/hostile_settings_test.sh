#!/usr/bin/env bash
# A settings file anyone may have edited: numbers at the ends of 32 bits, far past their
# fields' bounds; texts longer than the read buffer, ending in half a double-byte character;
# more server names than the key list's buffer holds; a LastTime and a pattern of garbage; and
# then random bytes (zero bytes, lone line ends, lead bytes) to the end. The real program starts
# on it with the fields in their bounds and saves on close; it starts again on what it saved,
# with its clock running in the garbage pattern, and saves the same values once more.
set -euo pipefail
exe=$1 probe=$2 shots=$3
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
source "$(dirname "$0")/lib.sh"

make_sandbox
python3 - "$SANDBOX/tempiko.ini" <<'EOF'
import random, sys
random.seed(12)
# Random bytes but for line ends, which would end the value.
garbage = bytes(b for b in (random.randrange(1, 256) for _ in range(4000)) if b not in b"\r\n")
lines = [
    b"[Option]",
    b"Start=0x7FFFFFFF",
    b"Entry=" + b"\x83\x41x" * 1500 + b"\x83",
    b"HoseiGosa=2147483647",
    b"HoseiMSec=-2147483648",
    b"LastTime=" + garbage,
    b"Agent=0x",
    b"Timer=0x7fffffff",
    b"delay=-2147483648",
    b"Server=2147483647",
    b"Format=\"yyyy'" + b"zzz\"ampm" * 400 + b"\x81",
    b"[Server]",
    b"x" * 3000 + b"=",
    b"\x83=",
]
lines += [b"host%04d.example.org=" % i for i in range(3000)]
text = b"\r\n".join(lines) + b"\r\n"
text += bytes(random.randrange(256) for _ in range(65536))
open(sys.argv[1], "wb").write(text)
EOF

# The fields of the options page (tolerance, drift, delay, period) until they read as
# expected, for up to 20 s; prints what they read last.
expect_fields() {
  local expected=$1 shown id
  for _ in $(seq 1 100); do
    shown=""
    for id in 169 166 162 172; do shown+="$(probe text TForm1 "Tempiko！" "$id") "; done
    [ "$shown" = "$expected" ] && return 0
    sleep 0.2
  done
  echo "$shown"
  return 1
}

# The values the close saved, as the next start reads them.
saved() {
  tr -d '\r' <"$SANDBOX/tempiko.ini" |
    grep -aE '^(Start|HoseiGosa|HoseiMSec|Agent|Timer|delay|Server)=' | sort | tr '\n' ' '
}

# A period of 2^31 - 1 hours: the program starts in the tray, its window hidden.
start_program "$SANDBOX/tempiko.exe"
for _ in $(seq 1 600); do probe exists TForm1 "Tempiko！" && break; sleep 0.1; done
probe exists TForm1 "Tempiko！" || fail "no main window"
shown=$(expect_fields "10000 -2147483648 0 2147483647 ") || fail "the fields read '$shown'"
if probe visible TForm1 "Tempiko！"; then fail "the window is shown in tray mode"; fi
probe close TForm1 "Tempiko！"
wait_program_exit 60 || fail "the program did not end"
first=$(saved)
expected="Agent=0 HoseiGosa=10000 HoseiMSec=-2147483648 Server=0 Start=1 Timer=2147483647 delay=0 "
[ "$first" = "$expected" ] || fail "saved: $first"

# The period off (the least number), so that the window shows, with the garbage pattern on its
# clock, which must still run.
sed -i 's/^Timer=2147483647\r$/Timer=-2147483648\r/' "$SANDBOX/tempiko.ini"
start_program "$SANDBOX/tempiko.exe"
probe wait TForm1 "Tempiko！" 60 || fail "the main window did not appear"
shown=$(expect_fields "10000 -2147483648 0 -2147483648 ") ||
  fail "the fields read '$shown' after the save"
clock=$(probe text TForm1 "Tempiko！" 123)
for _ in $(seq 1 30); do
  [ "$(probe text TForm1 "Tempiko！" 123)" != "$clock" ] && break
  sleep 0.1
done
[ "$(probe text TForm1 "Tempiko！" 123)" != "$clock" ] || fail "the clock stood at '$clock'"
screenshot "$shots/hostile-settings.png"
probe close TForm1 "Tempiko！"
wait_program_exit 60 || fail "the program did not end after the save"
[ "$(saved)" = "${expected/Timer=2147483647/Timer=-2147483648}" ] || fail "saved again: $(saved)"
echo "PASS: started on a hostile settings file and on its own save: fields in bounds, saved alike"
