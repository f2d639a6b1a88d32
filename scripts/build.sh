#!/usr/bin/env bash
# Configure and build one preset (release unless named), after making sure the
# packages are there.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
bash scripts/install-deps.sh "$preset"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
