#!/usr/bin/env bash
# Makes a Debian 13 tree, once, in which the browser build runs: Qt 6.8 for WebAssembly needs
# Debian 13's emscripten, its clang, and Qt 6.8's host tools, none of which Debian 12 has. The
# tree comes from the Debian mirror that the machine's apt already uses. Run as root; later runs
# find it made and return at once, unless the packages asked for have changed.
#   usage: build-root.sh ROOT
set -euo pipefail
root=$1
here=$(cd "$(dirname "$0")" && pwd)
# Qt's tools for the host and its translations tool; the face and the library that cut the
# Japanese font for the page.
packages=(emscripten qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-tools-dev
          qt6-l10n-tools cmake ninja-build dpkg-dev python3 python3-fonttools fonts-ipafont-gothic
          ca-certificates)
key="trixie ${packages[*]}"
if [ -f "$root/.ready" ] && [ "$(cat "$root/.ready")" = "$key" ]; then
    exit 0
fi

mirror=$( { grep -hoE '^URIs:[[:space:]]*[a-z]+://[^[:space:]]*/debian/?$' \
                /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{ print $2 }'
            grep -hoE '^deb (\[[^]]*\] )?[a-z]+://[^ ]*/debian/? ' /etc/apt/sources.list \
                /etc/apt/sources.list.d/*.list 2>/dev/null | awk '{ print $NF }'
          } | head -n 1) || true
mirror=${mirror:-http://deb.debian.org/debian}
started=$(date +%s)
if [ ! -f "$root/.bootstrapped" ]; then
    echo "Debian 13 build root: bootstrapping into $root from $mirror"
    rm -rf "$root"
    mkdir -p "$root"
    debootstrap --variant=minbase trixie "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
        { tail -n 30 "$root.debootstrap.log"; exit 1; }
    touch "$root/.bootstrapped"
fi
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror trixie main
deb-src $mirror trixie main
SOURCES
echo "  installing ${packages[*]}"
"$here/in-root.sh" "$root" / sh -c "apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends ${packages[*]} \
    >/var/log/electron-wave-install.log 2>&1 || { tail -n 30 /var/log/electron-wave-install.log; exit 1; }
    apt-get clean"
printf '%s' "$key" >"$root/.ready"
echo "  build root ready in $(($(date +%s) - started)) s, $(du -sh "$root" | cut -f1)"
