#!/usr/bin/env bash
# Makes the two downloads of the Windows build from its installed folder: a zip to unpack and run
# anywhere, and a per-user installer.
#   usage: package.sh BUILD-DIR VERSION STRIP
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
version=$2
strip=$3
name=electron-wave-$version-windows-x64
stage=$build/windows-stage/$name

rm -rf "$build/windows-stage"
cmake --install "$build" --prefix "$stage" >/dev/null
# Stripped, the folder is less than half its size.
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec "$strip" --strip-unneeded {} +

zip=$build/$name.zip
rm -f "$zip"
(cd "$build/windows-stage" && cmake -E tar cf "$zip" --format=zip "$name")

# The uninstaller removes exactly the files installed, then the folders they were in, deepest
# first.
list=$build/windows-stage/installed-files.nsh
(
    cd "$stage"
    find . -type f | sed 's|^\./||; s|/|\\|g; s|.*|    Delete "$INSTDIR\\&"|'
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|    RMDir "$INSTDIR\\&"|'
) >"$list"
setup=$build/electron-wave-$version-setup.exe
makensis -V2 -DVERSION="$version" -DICON="$here/../../app/icons/electron-wave.ico" -DSTAGE="$stage" -DOUTFILE="$setup" -DFILE_LIST="$list" \
    -DSIZE_KB="$(du -sk "$stage" | cut -f1)" "$here/installer.nsi"

ls -l "$zip" "$setup" | awk '{ printf "%s  %.1f MB\n", $NF, $5 / 1048576 }'
