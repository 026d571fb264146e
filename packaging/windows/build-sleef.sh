#!/usr/bin/env bash
# Builds SLEEF's vector math library for 64-bit Windows from Debian's own sleef source, with
# Debian's mingw-w64, as a static library that links into the program, and installs it into a
# cache that later builds reuse. Only libsleef: no DFT, quad, GNU ABI or tests.
#   usage: build-sleef.sh CACHE-DIR     SLEEF is then in CACHE-DIR/sleef
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$1
# Debian's newer sleef rather than Debian 12's 3.5.1, whose files the mirror no longer serves;
# the 1-ULP exp and sincos that the program calls give 3.5.1's results bit for bit. Fetched file
# by file, checked against the checksums of Debian's source package: the mirror lacks the .dsc
# that apt-get source would need.
version=3.9.0
pool=http://deb.debian.org/debian/pool/main/s/sleef
files=(
    "sleef_$version.orig.tar.gz b2a1acd3f1860299848b4e24238a4609fbb85761a1a85bac5573347b90d0440b"
    "sleef_$version-1.debian.tar.xz 6dddc8b317137c7aaed2f8fceb9ca0aee9b59358b82297ab5f9fda17a446f91b"
)
prefix=$cache/sleef-$version
# Part of the key of the cached build: a change here builds SLEEF again. TLFloat stays off, or
# SLEEF's configuration would download it.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DSLEEF_BUILD_LIBM=ON -DSLEEF_BUILD_DFT=OFF -DSLEEF_BUILD_QUAD=OFF
    -DSLEEF_BUILD_GNUABI_LIBS=OFF -DSLEEF_BUILD_SCALAR_LIB=OFF -DSLEEF_BUILD_INLINE_HEADERS=OFF
    -DSLEEF_BUILD_TESTS=OFF -DSLEEF_ENABLE_TESTER4=OFF -DSLEEF_ENABLE_TLFLOAT=OFF
    -DSLEEF_DISABLE_OPENMP=ON -DSLEEF_DISABLE_MPFR=ON -DSLEEF_DISABLE_SSL=ON
    -DSLEEF_DISABLE_FFTW=ON
    # SLEEF builds its helper functions without being told it is static, so that a program it
    # is linked into would export them.
    -DCMAKE_C_FLAGS=-DSLEEF_STATIC_LIBS
)
key="$version ${options[*]} $(sha256sum "$here/mingw-w64-x86_64.cmake" | cut -c1-16)"

if [ -f "$prefix/.built" ] && [ "$(cat "$prefix/.built")" = "$key" ]; then
    echo "SLEEF $version for Windows: cached in $prefix"
    ln -sfn "$(basename "$prefix")" "$cache/sleef"
    exit 0
fi

started=$(date +%s)
echo "SLEEF $version for Windows: building into $prefix (about a minute, once)"
src=$cache/src/sleef
source_dir=$src/sleef-$version
mkdir -p "$src"
for entry in "${files[@]}"; do
    read -r file sum <<<"$entry"
    if ! echo "$sum  $src/$file" | sha256sum --check --status 2>/dev/null; then
        curl --fail --silent --show-error --location --output "$src/$file.part" "$pool/$file"
        echo "$sum  $src/$file.part" | sha256sum --check --quiet
        mv "$src/$file.part" "$src/$file"
    fi
done
# Unpacked and patched as dpkg-source would: the upstream tree, then Debian's patch series.
rm -rf "$source_dir"
mkdir -p "$source_dir"
tar -xzf "$src/sleef_$version.orig.tar.gz" -C "$source_dir" --strip-components=1
tar -xJf "$src/sleef_$version-1.debian.tar.xz" -C "$source_dir"
while read -r patch; do
    patch --quiet -p1 -d "$source_dir" <"$source_dir/debian/patches/$patch"
done < <(grep -v -e '^#' -e '^$' "$source_dir/debian/patches/series")

# SLEEF generates its headers and dispatchers with programs of its own, which a cross build
# takes ready-made from a build for this machine.
native=$cache/build-sleef-native
build=$cache/build-sleef
rm -rf "$native" "$build" "$prefix"
cmake -S "$source_dir" -B "$native" -G Ninja "${options[@]}" >"$native.configure.log" 2>&1 ||
    { tail -n 40 "$native.configure.log"; exit 1; }
nice -n 10 cmake --build "$native" -j "$(nproc)" \
    --target mkrename mkalias mkdisp addSuffix >"$native.log" 2>&1 ||
    { tail -n 40 "$native.log"; exit 1; }
echo "  its tools built for this machine in $(($(date +%s) - started)) s; compiling for Windows"

cmake -S "$source_dir" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DNATIVE_BUILD_DIR="$native" \
    "${options[@]}" >"$build.configure.log" 2>&1 ||
    { tail -n 40 "$build.configure.log"; exit 1; }
nice -n 10 cmake --build "$build" -j "$(nproc)" >"$build.log" 2>&1 ||
    { grep -m 20 -B 2 -A 10 'error' "$build.log"; exit 1; }
cmake --install "$build" >/dev/null
# Its licence, for the program's folder.
install -D -m 644 "$source_dir/LICENSE.txt" "$prefix/licenses/LICENSE.txt"
printf '%s' "$key" >"$prefix/.built"
rm -rf "$native" "$build"
echo "  SLEEF for Windows built in $(($(date +%s) - started)) s, $(du -sh "$prefix" | cut -f1)"
ln -sfn "$(basename "$prefix")" "$cache/sleef"
