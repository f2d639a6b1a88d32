#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks and the fuzzers need,
# but only when something is missing. As root it runs apt-get itself; otherwise it prints
# the one command to run and fails. With "windows", also the cross compiler, Wine and
# what the Windows build, its package and its desktop tests (on a virtual display) need;
# with "screenshot", the browser that draws the overview page for the README.
set -euo pipefail
preset=${1:-}

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libstb-dev
  desktop-file-utils appstream dpkg-dev
  clang libclang-rt-14-dev
)
if [ "$preset" = windows ]; then
  packages+=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    mingw-w64-x86-64-dev googletest wine wine64 zip
    xvfb xauth
  )
fi
if [ "$preset" = screenshot ]; then
  packages+=(chromium)  # scripts/screenshot-overview.sh only
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run: sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
