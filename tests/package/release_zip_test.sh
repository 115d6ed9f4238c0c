#!/usr/bin/env bash
# The release zip as CPack makes it from this build: named with the version as the program
# shows it (1.41), holding exactly tempiko.exe and Tempiko.htm at its top, as built.
set -euo pipefail
build=$1 source=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$out" && cpack --config "$build/CPackConfig.cmake" -B "$out" >cpack.log 2>&1) \
  || { cat "$out/cpack.log"; echo "FAIL: cpack failed" >&2; exit 1; }
zip=$out/tempiko-1.41-win64.zip
[ -f "$zip" ] || { ls "$out"; echo "FAIL: no tempiko-1.41-win64.zip" >&2; exit 1; }

python3 - "$zip" "$build/src/win32/tempiko.exe" "$source/help/Tempiko.htm" <<'PY'
import sys, zipfile
archive, exe, help_page = sys.argv[1:]
with zipfile.ZipFile(archive) as z:
    names = sorted(z.namelist())
    if names != ["Tempiko.htm", "tempiko.exe"]:
        sys.exit(f"FAIL: the zip holds {names}")
    for name, path in (("tempiko.exe", exe), ("Tempiko.htm", help_page)):
        if z.read(name) != open(path, "rb").read():
            sys.exit(f"FAIL: {name} in the zip is not the one built")
print("PASS: tempiko-1.41-win64.zip holds tempiko.exe and Tempiko.htm")
PY
