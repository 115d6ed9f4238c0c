#!/usr/bin/env bash
# Renders the help page help/Tempiko.htm in a real browser (headless Chromium, installed with
# apt-get when missing) and saves PNGs to look at: the whole page, and the view as it opens at
# each section named on the command line (the id of its heading; default: startup faq).
#   bash scripts/help_screenshot.sh [SECTION...]      -> build/help/*.png
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$root/build/help
mkdir -p "$out"

if ! command -v chromium >/dev/null; then
  echo "Installing chromium (Debian's package) for the headless rendering"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends chromium fonts-ipafont-gothic >/dev/null
fi

# A profile of its own, so that nothing of this machine's user is read or written.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
browser() {
  chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars --no-first-run \
    --user-data-dir="$work/profile" --lang=ja --window-size=1000,14000 "$@" 2>/dev/null
}

# The whole page in one tall picture at a usual window width.
browser --screenshot="$out/help-full.png" "file://$root/help/Tempiko.htm" >/dev/null
echo "screenshot: $out/help-full.png"

# Each section's view, cut out of it where the browser laid the section out (a copy of the page
# beside the original reports the places; the headless screenshot of a #fragment stays blank).
cp "$root/help/Tempiko.htm" "$work/places.htm"
cat >>"$work/places.htm" <<'JS'
<script>
document.body.dataset.places = JSON.stringify(Object.fromEntries(
  [...document.querySelectorAll("h2[id], footer")].map(e => [e.id || "end",
                                                         Math.round(e.getBoundingClientRect().top + scrollY)])));
</script>
JS
places=$(browser --dump-dom "file://$work/places.htm" | sed -n 's/.*data-places="\([^"]*\)".*/\1/p' |
  sed 's/&quot;/"/g')
for id in ${@:-startup faq}; do
  # From the section's heading down to the next one.
  read -r top bottom < <(python3 -c '
import json, sys
places = json.loads(sys.argv[1]); top = places[sys.argv[2]]
print(top - 16, min(t for t in places.values() if t > top) - 8)' "$places" "$id")
  convert "$out/help-full.png" -crop "1000x$((bottom - top))+0+$top" +repage "$out/help-$id.png"
  echo "screenshot: $out/help-$id.png"
done
