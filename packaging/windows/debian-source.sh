#!/usr/bin/env bash
# Unpacks the source of a Debian package into a folder, adding deb-src entries for the Debian
# mirrors the machine already uses when apt has none, so that the source is the very version
# that the machine's own packages were built from.
#   usage: debian-source.sh PACKAGE DEST-DIR
set -euo pipefail
package=$1
dest=$2

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo

if ! apt-cache showsrc "$package" 2>/dev/null | grep -q '^Package:'; then
    list=/etc/apt/sources.list.d/electron-wave-deb-src.sources
    echo "Adding deb-src entries for Debian's mirrors in $list"
    # The deb822 stanzas of Debian's own archives, as deb-src; other archives rarely have sources.
    stanzas=$(awk -v RS= -v ORS='\n\n' \
        '/Types:[^\n]*deb/ && /debian-archive-keyring|URIs:[^\n]*\/debian(-security)?\/?(\n|$)/' \
        /etc/apt/sources.list.d/*.sources 2>/dev/null | sed 's/^Types:.*/Types: deb-src/') || true
    # One-line entries in sources.list.
    lines=$(grep -hE '^deb (\[[^]]*\] )?[a-z]+://[^ ]*/debian(-security)?/? ' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | sed 's/^deb /deb-src /') || true
    if [ -n "$stanzas" ]; then
        printf '%s\n' "$stanzas" | $sudo tee "$list" >/dev/null
    fi
    if [ -n "$lines" ]; then
        printf '%s\n' "$lines" | $sudo tee "${list%.sources}.list" >/dev/null
    fi
    $sudo apt-get update -qq
fi

mkdir -p "$dest"
cd "$dest"
# apt-get source unpacks with dpkg-source, from dpkg-dev; it runs as root without complaint here.
apt-get source --only-source -qq "$package"
