#!/usr/bin/env bash
# Runs a Windows program of the windows build under Wine, in the build's own Wine prefix,
# quietly. Used by CMake for every program it runs from that build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${PALVANE_WINEPREFIX:-$root/build/windows/wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$WINEPREFIX"
# The first run starts a server that stays for a while and boots the prefix's services
# with no output of ours: a service holding an inherited pipe would keep whoever reads the
# program's output (ctest) waiting for as long as the service lives. Later runs then start
# in a fraction of a second.
if wineserver -p"${PALVANE_WINE_LINGER:-120}" </dev/null >/dev/null 2>&1; then
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
exec wine "$@"
