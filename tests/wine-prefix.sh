# Sourced by the tests of the installers, after setting wine_run: a Wine prefix of the test's
# own, so that each starts from a PC without the program, removed again at the end, with the
# user's folder in it (user_dir); and check, which reports a condition and remembers a failure
# in fail.
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/electron-wave-install.XXXXXX")
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"' EXIT
"$wine_run" wineboot --init >/dev/null 2>&1
wineserver -w
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v /Public/ | head -n 1)

fail=0
check() {
    if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi
}
