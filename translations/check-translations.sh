#!/usr/bin/env bash
# Runs lupdate over the sources into a copy of each .ts file and fails when it finds a string
# without a finished translation, or one that the sources no longer have.
#   check-translations.sh LUPDATE WORK_DIR TS_FILE... -- SOURCE_DIR...
set -euo pipefail
lupdate=$1 work=$2
shift 2
ts_files=()
while [ "$1" != -- ]; do
    ts_files+=("$1")
    shift
done
shift

rm -rf "$work"
mkdir -p "$work"
fail=0
for ts in "${ts_files[@]}"; do
    copy=$work/$(basename "$ts")
    cp "$ts" "$copy"
    "$lupdate" -silent "$@" -ts "$copy"
    # One record per message; its source text is printed when it needs a translator.
    stale=$(awk -v RS='</message>' '
        match($0, /<source>[^<]*<\/source>/) {
            source = substr($0, RSTART + 8, RLENGTH - 17)
            if ($0 ~ /type="(vanished|obsolete)"/) {
                print "    gone from the sources: " source
            } else if ($0 ~ /type="unfinished"|<translation><\/translation>/) {
                print "    without a translation: " source
            }
        }' "$copy")
    if [ -n "$stale" ]; then
        echo "$ts is behind the sources (build the update_translations target, then translate):"
        echo "$stale"
        fail=1
    else
        echo "$ts: complete"
    fi
done
exit $fail
