#!/usr/bin/env bash
# Builds Qt for WebAssembly from Debian's own qt6-base source with Debian's emscripten, static and
# without threads, into a cache that later builds reuse. Only what the program needs: Core, Gui,
# Widgets and the wasm platform, with Qt's own copies of the libraries that a browser does not
# have. The machine's Qt is the host tools.
#   usage: build-qt.sh CACHE-DIR     Qt is then in CACHE-DIR/qt, emscripten's set-up in
#                                    CACHE-DIR/emsdk (source env.sh from there)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
cache=$(cd "$1" && pwd)
"$here/emsdk.sh" "$cache/emsdk"
# shellcheck source=/dev/null
source "$cache/emsdk/env.sh"
# Part of the key of the cached build: a change here builds Qt again.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF -DFEATURE_thread=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DQT_QMAKE_TARGET_MKSPEC=wasm-emscripten
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_zstd=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
)
"$here/../build-debian-qt.sh" WebAssembly "$cache" \
    /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    "emscripten $(dpkg-query -W -f='${Version}' emscripten)" -- "${options[@]}"
