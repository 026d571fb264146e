#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source, with Debian's mingw-w64 and
# the machine's Qt as the host tools, into a cache that later builds reuse. Only what the program
# and its tests need: Core, Gui, Widgets, Test, and the platform and style plugins of Windows.
#   usage: build-qt.sh CACHE-DIR     Qt is then in CACHE-DIR/qt
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$1
toolchain=$here/mingw-w64-x86_64.cmake
# Part of the key of the cached build: a change here builds Qt again.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    # Debian's source leaves out the tablet library that the windows plugin's tablet support
    # needs. Direct2D and OpenGL stay on: the windows plugin does not build without them.
    -DFEATURE_tabletevent=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_printsupport=OFF -DFEATURE_dbus=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_jpeg=OFF
)
"$here/../build-debian-qt.sh" Windows "$cache" "$toolchain" \
    "$(sha256sum "$toolchain" | cut -c1-16)" -- "${options[@]}"
# Qt's own words in other languages come from another source package than qt6-base; the machine's
# are the same files on every platform. Copied in every time, so that a cached Qt has them too,
# as an installed Qt has, for the tests that look for them where Qt says its translations are.
mkdir -p "$cache/qt/translations"
cp /usr/share/qt6/translations/qtbase_*.qm "$cache/qt/translations/"
