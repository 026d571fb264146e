#!/usr/bin/env bash
# Builds the Debian package from a configured, built tree and checks what it holds and needs.
#   check-deb.sh CPackConfig.cmake OUTPUT_DIR APP_ID
set -euo pipefail
config=$1 out=$2 id=$3

rm -rf "$out"
cpack --config "$config" -B "$out" >"$out.log" 2>&1 || { cat "$out.log"; exit 1; }
debs=("$out"/*.deb)
[ "${#debs[@]}" -eq 1 ] || { echo "expected one package, found: ${debs[*]}"; exit 1; }
deb=${debs[0]}
echo "package: $deb"

fail=0
expected=$(sort <<LIST
./usr/bin/electron-wave
./usr/share/applications/$id.desktop
./usr/share/doc/electron-wave/copyright
./usr/share/icons/hicolor/128x128/apps/$id.png
./usr/share/icons/hicolor/16x16/apps/$id.png
./usr/share/icons/hicolor/256x256/apps/$id.png
./usr/share/icons/hicolor/32x32/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/metainfo/$id.metainfo.xml
LIST
)
# Files only: every directory on the way is implied by them.
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
if [ "$actual" != "$expected" ]; then
    echo "contents differ from what is expected:"
    diff <(echo "$expected") <(echo "$actual") || true
    fail=1
fi

[ "$(dpkg-deb -f "$deb" Package)" = electron-wave ] || { echo "wrong package name"; fail=1; }
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
needs=(libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6 fonts-ipafont-gothic
    qt6-translations-l10n qt6-wayland)
# The model's vector code, and with it SLEEF, is built for x86-64 only.
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] && needs+=(libsleef3)
for needed in "${needs[@]}"; do
    grep -Fxq "$needed" <<<"$names" || { echo "missing dependency: $needed"; fail=1; }
done
# Only the tests need a compositor.
grep -Fxq weston <<<"$names" && { echo "the program does not need weston"; fail=1; }
exit $fail
