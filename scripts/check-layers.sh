#!/usr/bin/env bash
# Each folder of src/ may include only itself and the folders listed for it here, so
# includes never reach upward and folders never include each other in a circle.
set -euo pipefail
cd "$(dirname "$0")/../src"
declare -A allowed=(
  [base]=""
  [files]="base"
  [raster]="base"
  [ui]="base files raster"
  [ui/qt]="base files raster ui"
  [ui/win32]="base files raster ui"
  [iff]="base files"
  [sprites]="base files raster iff"
  [preview]="base raster ui sprites"
  [document]="base files iff sprites"
  [app]="base files raster ui iff sprites preview document"
  [cli]="base files raster iff sprites document"
  [desktop]="app ui ui/qt ui/win32"
)
status=0
for dir in "${!allowed[@]}"; do
  for file in "$dir"/*.h "$dir"/*.cc; do
    [ -e "$file" ] || continue
    while IFS= read -r inc; do
      target=$(dirname "$inc")
      [ "$target" = "$dir" ] && continue
      ok=0
      for a in ${allowed[$dir]}; do [ "$target" = "$a" ] && ok=1; done
      if [ $ok -eq 0 ]; then
        echo "$file includes $inc: $dir may not depend on $target" >&2
        status=1
      fi
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
  done
done
for dir in $(find . -mindepth 1 -type d | sed 's#^\./##'); do
  [ -n "${allowed[$dir]+set}" ] || { echo "src/$dir has no entry in scripts/check-layers.sh" >&2; status=1; }
done
exit $status
