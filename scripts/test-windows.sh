#!/usr/bin/env bash
# Builds the Windows programs with the cross compiler and runs them under Wine: every test
# program, then the command-line tool side by side with the Linux one on the same files
# (the Linux release build is made first if it is not there). Prints how many test cases
# ran and every one that was skipped, with its reason. The desktop program's tests run on a
# private virtual X display that the script starts (and stops) itself.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export LC_ALL=C.UTF-8
export PALVANE_WINEPREFIX="$root/build/windows/wine"
wine_run="$root/scripts/wine-run.sh"
stop_wine() { WINEPREFIX="$PALVANE_WINEPREFIX" wineserver -k 2>/dev/null || true; }
xvfb_pid=
stop_display() { [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; }
trap 'stop_wine; stop_display' EXIT

bash scripts/install-deps.sh windows
# Wine's desktop process keeps the display it started with: none may linger from before.
stop_wine
for n in $(seq 90 140); do
  if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then continue; fi
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
[ -n "${DISPLAY:-}" ] || echo "no virtual display could start: the desktop tests will skip"

bash scripts/build.sh windows
[ -x build/release/src/cli/palvane2-cli ] || bash scripts/build.sh release

echo "== test programs under Wine"
ctest --preset windows --output-on-failure
log=build/windows/Testing/Temporary/LastTest.log
ran=$(grep -E '^\[==========\] [0-9]+ tests? from .* ran\.' "$log" | awk '{n += $2} END {print n + 0}')
skipped=$(grep -E '^\[  SKIPPED \] [0-9]+ tests?, listed below' "$log" | awk '{n += $4} END {print n + 0}')
echo "Windows: $ran test cases ran, $skipped of them skipped"
# A skipped case ("file(line): Skipped" and its reason) or a skipped part of one.
awk '/: Skipped$/ {getline reason; print reason}
     /^\[  SKIPPED \] [^A-Z0-9]/ || /^\[ SKIPPED  \]/ {sub(/^\[ *SKIPPED *\] /, ""); print}' "$log" |
  sort | uniq -c | sed 's/^ *\([0-9]*\) /Windows: skipped (\1 times): /'

echo "== palvane2-cli under Wine against Linux"
linux_cli="$root/build/release/src/cli/palvane2-cli"
win_cli="$root/build/windows/src/cli/palvane2-cli.exe"
work=$(mktemp -d)
trap 'stop_wine; stop_display; rm -rf "$work"' EXIT
cd "$work"
fail=0
check() {  # what, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}

# The demo files as the Windows build writes them.
mkdir linux-demo windows-demo
"$root/build/release/tools/make_demo" linux-demo >/dev/null
"$wine_run" "$root/build/windows/tools/make_demo.exe" windows-demo >/dev/null
check "same demo files written" diff -r linux-demo windows-demo

name="ä-палитра.iff"
cp linux-demo/demo.iff "$name"
"$linux_cli" info "$name" >linux.json
"$wine_run" "$win_cli" info "$name" >windows.json
check "same info of $name, byte for byte" cmp linux.json windows.json

sprite=$(awk '/"sprites": \[/ {s = 1} s && /"id":/ {gsub(/[^0-9]/, ""); print; exit}' linux.json)
"$linux_cli" render "$name" --sprite "$sprite" --frame 0 --out l.bmp --depth ld.bmp --alpha la.bmp
"$wine_run" "$win_cli" render "$name" --sprite "$sprite" --frame 0 --out w.bmp --depth wd.bmp \
  --alpha wa.bmp
check "same render of sprite $sprite" cmp l.bmp w.bmp
check "same depth plane" cmp ld.bmp wd.bmp
check "same alpha plane" cmp la.bmp wa.bmp

# PNG files and palettes: the encoder's bytes, not only its pixels, must be the same.
"$linux_cli" render "$name" --sprite "$sprite" --frame 0 --out l.png --depth ld.png --alpha la.PNG \
  --scale 3
"$wine_run" "$win_cli" render "$name" --sprite "$sprite" --frame 0 --out w.png --depth wd.png \
  --alpha wa.PNG --scale 3
"$linux_cli" render "$name" --sprite "$sprite" --frame 0 --out lt.png --transparent
"$wine_run" "$win_cli" render "$name" --sprite "$sprite" --frame 0 --out wt.png --transparent
check "same PNG render of sprite $sprite at scale 3" cmp l.png w.png
check "same PNG depth plane" cmp ld.png wd.png
check "same PNG alpha plane" cmp la.PNG wa.PNG
check "same transparent PNG" cmp lt.png wt.png
palette=$(awk '/"palettes": \[/ {s = 1} s && /"id":/ {gsub(/[^0-9]/, ""); print; exit}' linux.json)
for ext in gpl pal png; do
  "$linux_cli" palette "$name" --id "$palette" --out "l.$ext"
  "$wine_run" "$win_cli" palette "$name" --id "$palette" --out "w.$ext"
  check "same palette $palette as .$ext" cmp "l.$ext" "w.$ext"
done

for command in quick-patch resave "manual-patch --palette 7"; do
  cp linux-demo/demo.iff "l-$name"
  cp linux-demo/demo.iff "w-$name"
  status=0
  "$linux_cli" $command "l-$name" >linux.out || status=$?
  wstatus=0
  "$wine_run" "$win_cli" $command "w-$name" >windows.out || wstatus=$?
  check "$command in place (exit $status and $wstatus)" [ "$status" = "$wstatus" ]
  check "$command: the same saved bytes" cmp "l-$name" "w-$name"
  sed -i "s/^w-/l-/" windows.out
  check "$command: prints the same" cmp linux.out windows.out
done

# Over a folder: check (both forms) and the dry runs print the same, paths aside, and
# write nothing; wildcards are expanded by the tool itself.
mkdir dir-l dir-w
for d in dir-l dir-w; do
  cp linux-demo/*.iff "$d/"
  "$linux_cli" set-palette "$d/demo.iff" --sprite 2001 --palette 77 --frame 1 >/dev/null
done
cp dir-l/demo.iff finding.iff
for command in check "check --json" "quick-patch --dry-run" "resave --dry-run"; do
  status=0
  "$linux_cli" $command dir-l >linux.out || status=$?
  wstatus=0
  "$wine_run" "$win_cli" $command dir-w >windows.out || wstatus=$?
  sed -i 's#dir-w\\\\#dir-l/#g; s#dir-w\\#dir-l/#g' windows.out
  check "$command over a folder (exit $status and $wstatus)" [ "$status" = "$wstatus" ]
  check "$command over a folder: prints the same" cmp linux.out windows.out
done
"$linux_cli" resave --dry-run dir-l/*.iff >linux.out
"$wine_run" "$win_cli" resave --dry-run 'dir-w\*.IFF' >windows.out
sed -i 's#dir-w\\#dir-l/#g' windows.out
check "wildcards expanded as a shell does" cmp linux.out windows.out
check "the dry runs wrote nothing" cmp dir-w/demo.iff finding.iff

# The overview of that folder: the same pages, paths aside, and the same pictures.
status=0
"$linux_cli" overview dir-l --out overview-l >/dev/null || status=$?
wstatus=0
"$wine_run" "$win_cli" overview dir-w --out overview-w >/dev/null || wstatus=$?
sed -i 's#dir-w\\#dir-l/#g' overview-w/*.html
check "overview of a folder (exit $status and $wstatus)" [ "$status" = "$wstatus" ]
check "overview: the same pages and pictures" diff -r overview-l overview-w

# Another Windows program holding the file: the tool refuses it at once.
cp linux-demo/demo.iff held.iff
mkfifo hold.in
"$wine_run" "$root/build/windows/tools/hold_file.exe" held.iff <hold.in >hold.out &
holder=$!
exec 3>hold.in
for _ in $(seq 100); do grep -q held hold.out && break; sleep 0.1; done
status=0
"$wine_run" "$win_cli" quick-patch held.iff >/dev/null 2>held.err || status=$?
exec 3>&-
wait "$holder"
check "a held file refused with exit 2: $(tr -d '\n' <held.err)" [ "$status" = 2 ]
check "the held file untouched" cmp held.iff linux-demo/demo.iff
cd "$root"
exit $fail
