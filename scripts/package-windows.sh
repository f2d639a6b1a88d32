#!/usr/bin/env bash
# Builds the Windows programs and writes build/windows/palvane2-VERSION-windows-x64.zip:
# the desktop program palvane2.exe, palvane2-cli.exe, the README and the demo files.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh windows
version=$(sed -n 's/^project(palvane2 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="palvane2-${version:?no version in CMakeLists.txt}-windows-x64"
stage="build/windows/$name"
rm -rf "$stage" "$stage.zip"
mkdir -p "$stage/samples"
cp build/windows/src/desktop/palvane2.exe build/windows/src/cli/palvane2-cli.exe \
  README.md "$stage/"
x86_64-w64-mingw32-strip "$stage/palvane2.exe" "$stage/palvane2-cli.exe"
scripts/wine-run.sh build/windows/tools/make_demo.exe "$stage/samples" >/dev/null
WINEPREFIX=build/windows/wine wineserver -k 2>/dev/null || true
(cd build/windows && zip -q -r -X "$name.zip" "$name")
echo "build/windows/$name.zip"
unzip -l "build/windows/$name.zip" | tail -n +4 | head -n -2
