#!/usr/bin/env bash
# Builds Qt for another platform from Debian's own qt6-base source, with the machine's Qt as the
# host tools, and installs it into a cache that later builds reuse; a build whose key differs
# from the cached one's builds Qt again. The platforms' own scripts (windows/, web/) call it.
# Patches given are applied to the source, and go with Qt's licences, as the LGPL asks.
#   usage: build-debian-qt.sh NAME CACHE-DIR TOOLCHAIN-FILE KEY [PATCH...] -- CMAKE-OPTION...
#   Qt is then in CACHE-DIR/qt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
name=$1 cache=$2 toolchain=$3 key=$4
shift 4
patches=()
while [ "$1" != -- ]; do
    patches+=("$(cd "$(dirname "$1")" && pwd)/$(basename "$1")")
    shift
done
shift
version=$(dpkg-query -W -f='${source:Upstream-Version}' qt6-base-dev | sed 's/+.*//')
prefix=$cache/qt-$version
for patch in "${patches[@]}"; do
    key="$key $(basename "$patch") $(sha256sum "$patch" | cut -c1-16)"
done
key="$version $*${key:+ $key}"

if [ -f "$prefix/.built" ] && [ "$(cat "$prefix/.built")" = "$key" ]; then
    echo "Qt $version for $name: cached in $prefix"
    ln -sfn "$(basename "$prefix")" "$cache/qt"
    exit 0
fi

started=$(date +%s)
echo "Qt $version for $name: building into $prefix (about 20 minutes on 2 cores, once)"
src=$cache/src/qt6-base
# Unpacked afresh for every build, so that a patch changed since applies to Debian's source.
rm -rf "$src"
"$here/windows/debian-source.sh" qt6-base "$src"
source_dir=$(ls -d "$src"/qt6-base-*/ | head -n 1)
for patch in "${patches[@]}"; do
    patch -d "$source_dir" -p1 --quiet <"$patch"
done
build=$cache/build-qt
rm -rf "$build" "$prefix"
cmake -S "$source_dir" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "$@" >"$build.configure.log" 2>&1 ||
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
# Qt goes with the program under the LGPL: its licence texts go with it.
cp -r "$source_dir/LICENSES" "$prefix/licenses"
if [ ${#patches[@]} -gt 0 ]; then
    cp "${patches[@]}" "$prefix/licenses/"
fi
printf '%s' "$key" >"$prefix/.built"
rm -rf "$build"
echo "  Qt for $name built in $(( ($(date +%s) - started) / 60 )) min, $(du -sh "$prefix" | cut -f1)"
ln -sfn "$(basename "$prefix")" "$cache/qt"
