#!/usr/bin/env bash
# Runs a command inside the Debian 13 build root, in a mount namespace of its own so that nothing
# stays mounted afterwards. Each folder given is bound to the same path inside, so that paths mean
# the same in and out of the root; the command starts in the current folder where it is bound.
#   usage: in-root.sh ROOT DIR[:DIR...] COMMAND...
set -euo pipefail
root=$(cd "$1" && pwd)
dirs=$2
shift 2
exec unshare --mount --propagation private /bin/sh -ec '
root=$1 dirs=$2 cwd=$3
shift 3
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
IFS=:
for dir in $dirs; do
    [ "$dir" = / ] && continue
    mkdir -p "$root$dir"
    mount --bind "$dir" "$root$dir"
done
unset IFS
exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/sh -c '\''cd "$0" 2>/dev/null || cd /; exec "$@"'\'' "$cwd" "$@"
' in-root "$root" "$dirs" "$PWD" "$@"
