#!/usr/bin/env bash
# Makes the downloads of the Windows build from its installed folder: a zip to unpack and run
# anywhere, a per-user installer, and a Windows Installer package for PCs that are managed
# centrally.
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

# The package installs the files of the same folder, each a component of its own, 64-bit as the
# package is. The ids are made from the paths, so that every build of the folder has the same.
id() { printf '%s%s' "$1" "$(printf '%s' "$2" | md5sum | cut -c1-32 | tr a-f A-F)"; }
dir_id() { if [ "$1" = . ]; then echo INSTALLDIR; else id d "$1"; fi; }
dirs=$(cd "$stage" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort)
files=$(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort)
wix=$build/windows-stage/program-files.wxs
{
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi"><Fragment>'
    while read -r dir; do
        printf '<DirectoryRef Id="%s"><Directory Id="%s" Name="%s"/></DirectoryRef>\n' \
            "$(dir_id "$(dirname "$dir")")" "$(dir_id "$dir")" "$(basename "$dir")"
    done <<<"$dirs"
    while read -r file; do
        printf '<DirectoryRef Id="%s"><Component Id="%s" Guid="*" Win64="yes">' \
            "$(dir_id "$(dirname "$file")")" "$(id c "$file")"
        printf '<File Id="%s" Source="$(var.Stage)/%s" KeyPath="yes"/></Component></DirectoryRef>\n' \
            "$(id f "$file")" "$file"
    done <<<"$files"
    echo '<ComponentGroup Id="ProgramFiles">'
    while read -r file; do printf '<ComponentRef Id="%s"/>\n' "$(id c "$file")"; done <<<"$files"
    echo '</ComponentGroup></Fragment></Wix>'
} >"$wix"
# A product code of its own for each version, as a major upgrade needs; the same for every build
# of one version, so that a second build of it does not install beside the first.
product_code=$(printf 'org.electronwave.ElectronWave %s' "$version" | sha1sum |
    sed -E 's/^(.{8})(.{4}).(.{3}).(.{3})(.{12}).*/\1-\2-5\3-8\4-\5/' | tr a-f A-F)
msi=$build/electron-wave-$version-x64.msi
rm -f "$msi"
# wixl writes the tables' strings in the code page of the language it is told (a string which
# that code page cannot hold comes out empty, or wixl crashes), but marks the tables with no code
# page, which Windows would read in its own: msibuild marks them as Japanese.
(
    cd "$build/windows-stage"
    WINDOWS_LANGUAGE=ja wixl -a x64 -D Version="$version" -D ProductCode="$product_code" \
        -D Stage="$name" -D Icon="$(realpath --relative-to=. "$here/../../app/icons/electron-wave.ico")" \
        -o "$msi" "$here/electron-wave.wxs" "$wix"
    printf '\r\n\r\n932\t_ForceCodepage\r\n' >_ForceCodepage.idt
    WINDOWS_LANGUAGE=ja msibuild "$msi" -i _ForceCodepage.idt
)

ls -l "$zip" "$setup" "$msi" | awk '{ printf "%s  %.1f MB\n", $NF, $5 / 1048576 }'
