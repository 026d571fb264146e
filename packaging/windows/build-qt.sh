#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source, with Debian's mingw-w64 and
# the machine's Qt as the host tools, and installs it into a cache that later builds reuse.
# Only what the program and its tests need: Core, Gui, Widgets, Test, and the platform and style
# plugins of Windows.
#   usage: build-qt.sh CACHE-DIR     Qt is then in CACHE-DIR/qt
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$1
version=$(dpkg-query -W -f='${source:Upstream-Version}' qt6-base-dev | sed 's/+.*//')
prefix=$cache/qt-$version
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
# Qt's own words in other languages come from another source package than qt6-base; the machine's
# are the same files on every platform. Copied in every time, so that a cached Qt has them too,
# as an installed Qt has, for the tests that look for them where Qt says its translations are.
add_translations() {
    mkdir -p "$prefix/translations"
    cp /usr/share/qt6/translations/qtbase_*.qm "$prefix/translations/"
}
key="$version ${options[*]} $(sha256sum "$here/mingw-w64-x86_64.cmake" | cut -c1-16)"

if [ -f "$prefix/.built" ] && [ "$(cat "$prefix/.built")" = "$key" ]; then
    echo "Qt $version for Windows: cached in $prefix"
    add_translations
    ln -sfn "$(basename "$prefix")" "$cache/qt"
    exit 0
fi

started=$(date +%s)
echo "Qt $version for Windows: building into $prefix (about 25 minutes on 2 cores, once)"
src=$cache/src/qt6-base
if ! ls -d "$src"/qt6-base-*/ >/dev/null 2>&1; then
    "$here/debian-source.sh" qt6-base "$src"
fi
source_dir=$(ls -d "$src"/qt6-base-*/ | head -n 1)
build=$cache/build-qt
rm -rf "$build" "$prefix"
cmake -S "$source_dir" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
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
# Qt is shipped under the LGPL: its licence texts go with it.
cp -r "$source_dir/LICENSES" "$prefix/licenses"
add_translations
printf '%s' "$key" >"$prefix/.built"
rm -rf "$build"
echo "  Qt for Windows built in $(( ($(date +%s) - started) / 60 )) min, $(du -sh "$prefix" | cut -f1)"
ln -sfn "$(basename "$prefix")" "$cache/qt"
