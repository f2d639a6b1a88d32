#!/usr/bin/env bash
# Makes docs/screenshot.png: the desktop program with samples/demo.iff open, on a virtual
# X display. Installs the virtual display's packages when they are missing (as root).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(xvfb xauth)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
  else
    echo "Run: sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

# PALVANE_BUILD_DIR: an already configured build tree to use instead of the release one.
bash scripts/install-deps.sh
build=${PALVANE_BUILD_DIR:-build/release}
if [ -z "${PALVANE_BUILD_DIR:-}" ]; then cmake --preset release >/dev/null; fi
cmake --build "$build" --target palvane2-screenshot demo_files

# The path shown in the window, the fonts' resolution and the look stay the same from
# one machine to the next.
work=/tmp/palvane2-screenshot
rm -rf "$work"
mkdir -p "$work" docs
chmod 700 "$work"
cp samples/demo.iff "$work/demo.iff"
env -i PATH="$PATH" HOME="$work" LANG=C.UTF-8 XDG_RUNTIME_DIR="$work" \
  QT_QPA_PLATFORM=xcb QT_FONT_DPI=96 QT_SCALE_FACTOR=1 QT_STYLE_OVERRIDE=Fusion \
  xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  "$build/tools/qt/palvane2-screenshot" "$work/demo.iff" docs/screenshot.png
echo "Wrote docs/screenshot.png"
