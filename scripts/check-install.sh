#!/usr/bin/env bash
# What `cmake --install` puts on a Linux desktop and what the Debian package holds: the
# desktop entry, file type, icons and metainfo pass the desktop's own validators, and the
# package carries both programs, those files and the README, with its dependencies declared.
# Usage: check-install.sh BUILD_DIR. Exit 77 (skipped) when a validator is missing.
set -euo pipefail
build=$(cd "$1" && pwd)
for tool in desktop-file-validate appstreamcli dpkg-deb cpack; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() {  # what, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}

cmake --install "$build" --prefix "$work/usr" >/dev/null
share=$work/usr/share
desktop=$share/applications/org.palvane.palvane2.desktop
check "desktop entry valid" desktop-file-validate "$desktop"
check "desktop entry takes a file" grep -qx 'Exec=palvane2 %f' "$desktop"
check "desktop entry names the IFF type" grep -qx 'MimeType=application/x-iff;' "$desktop"
check "file type: application/x-iff, *.iff" grep -q '<glob pattern="\*.iff"/>' \
  "$share/mime/packages/org.palvane.palvane2.xml"
check "metainfo valid" appstreamcli validate --no-net "$share/metainfo/org.palvane.palvane2.metainfo.xml"
for size in 16 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/palvane2.png
  # A PNG's width and height: big-endian words at bytes 16 and 20.
  check "icon ${size}x${size}" test "$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | tr -s ' ')" = \
    " 0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))"
done

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null
deb=$(ls "$work"/deb/palvane2_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/palvane2 ./usr/bin/palvane2-cli \
  ./usr/share/applications/org.palvane.palvane2.desktop \
  ./usr/share/mime/packages/org.palvane.palvane2.xml \
  ./usr/share/metainfo/org.palvane.palvane2.metainfo.xml \
  ./usr/share/icons/hicolor/256x256/apps/palvane2.png ./usr/share/doc/palvane2/README.md \
  ./usr/share/doc/palvane2/examples/demo.iff; do
  check "package holds $file" grep -qxF "$file" <<<"$contents"
done
check "package holds nothing outside /usr" test -z "$(grep -v '^\./usr/\|^\./$' <<<"$contents")"
check "package name" test "$(dpkg-deb -f "$deb" Package)" = palvane2
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6; do
  check "package depends on $needed" grep -q "$needed" <<<"$depends"
done
exit $fail
