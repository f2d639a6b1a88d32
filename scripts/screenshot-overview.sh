#!/usr/bin/env bash
# Makes docs/overview.png: a page of palvane2-cli overview as a browser draws it, for the
# demo file with a few frames changed so that every mark shows: a frame whose palette is
# missing, one that falls back as Quick Patch makes it, and a sprite that cannot be drawn.
# Installs the browser when it is missing (as root).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh screenshot
build=${PALVANE_BUILD_DIR:-build/release}
if [ -z "${PALVANE_BUILD_DIR:-}" ]; then cmake --preset release >/dev/null; fi
cmake --build "$build" --target palvane2-cli demo_files >/dev/null
cli=$(realpath "$build/src/cli/palvane2-cli")

work=/tmp/palvane2-overview-shot
rm -rf "$work"
mkdir -p "$work/mods" docs
cp samples/demo.iff samples/demo-palette-41891.iff "$work/mods/"
for change in "2001 --frame 1 --palette 77" "2002 --frame 3 --palette 41891" \
  "2003 --common --palette 99"; do
  # shellcheck disable=SC2086
  "$cli" set-palette "$work/mods/demo.iff" --sprite $change >/dev/null
done
# Exit status 1: the frame's finding.
(cd "$work" && "$cli" overview mods --out pages >/dev/null) || [ $? = 1 ]
page=$(ls "$work"/pages/*-demo.iff.html)

# A fixed window and scale, no profile of the user's, nothing fetched.
env -i PATH="$PATH" HOME="$work" LANG=C.UTF-8 \
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
  --user-data-dir="$work/profile" --window-size=1100,1220 \
  --screenshot="$PWD/docs/overview.png" "file://$page" >/dev/null 2>&1
echo "Wrote docs/overview.png"
