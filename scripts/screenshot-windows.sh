#!/usr/bin/env bash
# Makes docs/screenshot-windows.png: palvane2.exe's dialog with samples/demo.iff open, under
# Wine on a private virtual X display, as it stands on the screen.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/build.sh windows
export PALVANE_WINEPREFIX="$root/build/windows/wine"
WINEPREFIX="$PALVANE_WINEPREFIX" wineserver -k 2>/dev/null || true

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  WINEPREFIX="$PALVANE_WINEPREFIX" wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for n in $(seq 90 140); do
  if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then continue; fi
  Xvfb ":$n" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done

# The path shown in the window stays the same from one machine to the next; Wine's own
# desktop window draws the dialog's frame and caption, as Windows does.
mkdir -p "$PALVANE_WINEPREFIX/drive_c/Palvane"
cp samples/demo.iff "$PALVANE_WINEPREFIX/drive_c/Palvane/demo.iff"
scripts/wine-run.sh explorer /desktop=palvane,800x600 \
  build/windows/tools/win32/palvane2-screenshot.exe 'C:\Palvane\demo.iff' "Z:$work/shot.bmp"
mkdir -p docs
python3 - "$work/shot.bmp" docs/screenshot-windows.png <<'PY'
import struct, sys, zlib
bmp = open(sys.argv[1], "rb").read()
width, height = struct.unpack_from("<ii", bmp, 18)
offset = struct.unpack_from("<I", bmp, 10)[0]
stride = (width * 3 + 3) & ~3
rows = []
for y in range(height - 1, -1, -1):  # the file's rows are bottom-up, BGR
    row = bmp[offset + y * stride: offset + y * stride + width * 3]
    rgb = bytearray(row)
    rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
    rows.append(b"\0" + bytes(rgb))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
PY
echo "Wrote docs/screenshot-windows.png"
