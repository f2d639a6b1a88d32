#!/usr/bin/env bash
# Runs a Windows program of the windows build under Wine, in the build's own Wine prefix,
# quietly. Used by CMake for every program it runs from that build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${PALVANE_WINEPREFIX:-$root/build/windows/wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$WINEPREFIX"
exec wine "$@"
