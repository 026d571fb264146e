#!/usr/bin/env bash
# Builds Qt for WebAssembly from Debian's own qt6-base source with Debian's emscripten, static and
# without threads, and installs it into a cache that later builds reuse. Only what the program
# needs: Core, Gui, Widgets and the wasm platform, with Qt's own copies of the libraries that a
# browser does not have. The machine's Qt is the host tools.
#   usage: build-qt.sh CACHE-DIR     Qt is then in CACHE-DIR/qt, emscripten's set-up in
#                                    CACHE-DIR/emsdk (source env.sh from there)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$1
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
version=$(dpkg-query -W -f='${source:Upstream-Version}' qt6-base-dev | sed 's/+.*//')
emscripten=$(dpkg-query -W -f='${Version}' emscripten)
prefix=$cache/qt-$version

"$here/emsdk.sh" "$cache/emsdk"
# shellcheck source=/dev/null
source "$cache/emsdk/env.sh"

# Part of the key of the cached build: a change here builds Qt again.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF -DFEATURE_thread=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_zstd=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
)
key="$version emscripten $emscripten ${options[*]}"

if [ -f "$prefix/.built" ] && [ "$(cat "$prefix/.built")" = "$key" ]; then
    echo "Qt $version for WebAssembly: cached in $prefix"
    ln -sfn "$(basename "$prefix")" "$cache/qt"
    exit 0
fi

started=$(date +%s)
echo "Qt $version for WebAssembly: building into $prefix (about 20 minutes on 2 cores, once)"
src=$cache/src/qt6-base
if ! ls -d "$src"/qt6-base-*/ >/dev/null 2>&1; then
    "$here/../windows/debian-source.sh" qt6-base "$src"
fi
source_dir=$(ls -d "$src"/qt6-base-*/ | head -n 1)
build=$cache/build-qt
rm -rf "$build" "$prefix"
cmake -S "$source_dir" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_QMAKE_TARGET_MKSPEC=wasm-emscripten \
    "${options[@]}" >"$build.configure.log" 2>&1 ||
    { tail -n 40 "$build.configure.log"; exit 1; }
echo "  configured in $(($(date +%s) - started)) s; compiling"
# One line of progress every 5 % rather than one per file.
if ! NINJA_STATUS='%f/%t ' nice -n 10 cmake --build "$build" -j "$(nproc)" 2>&1 |
    tee "$build.log" |
    awk '/^[0-9]+\/[0-9]+ / { split($1, n, "/"); p = int(100 * n[1] / n[2]);
         if (p >= next_p) { printf "  %3d %%  %s of %s files\n", p, n[1], n[2]; fflush(); next_p = p + 5 } }'
then
    grep -m 20 -B 2 -A 10 'error' "$build.log"
    exit 1
fi
cmake --install "$build" >/dev/null
# Qt is linked into the page's program under the LGPL: its licence texts go with it.
cp -r "$source_dir/LICENSES" "$prefix/licenses"
printf '%s' "$key" >"$prefix/.built"
rm -rf "$build"
echo "  Qt for WebAssembly built in $(( ($(date +%s) - started) / 60 )) min, $(du -sh "$prefix" | cut -f1)"
ln -sfn "$(basename "$prefix")" "$cache/qt"
