#!/usr/bin/env bash
# Starts or stops a headless Weston of the tests' own, with its socket in a private runtime
# directory, so that the window tests can run natively on Wayland with no desktop around them.
#   weston.sh start|stop RUNTIME_DIR SOCKET
set -euo pipefail
action=$1 dir=$2 socket=$3
pidfile=$dir/weston.pid

# Process $1 still there and not yet a zombie, which it stays until init reaps it; named $2 when
# a name is given.
alive() {
    local comm state
    read -r _ comm state _ 2>/dev/null <"/proc/$1/stat" && [ "$state" != Z ] &&
        { [ -z "${2:-}" ] || [ "$comm" = "($2)" ]; }
}

# The Weston of the pid file, and not another process that has since taken its number.
running() {
    [ -f "$pidfile" ] && alive "$(cat "$pidfile")" weston
}

stop() {
    if running; then
        local pid
        pid=$(cat "$pidfile")
        kill "$pid" || return 0
        for _ in $(seq 50); do
            running || return 0
            sleep 0.1
        done
        kill -KILL "$pid"
    fi
}

case $action in
start)
    stop # one left behind by an interrupted run
    # A Unix socket's path holds at most 107 bytes.
    if [ "$(printf %s "$dir/$socket" | wc -c)" -gt 107 ]; then
        echo "socket path too long: $dir/$socket; build in a shorter directory" >&2
        exit 1
    fi
    rm -rf "$dir"
    mkdir -p "$dir"
    chmod 0700 "$dir"
    # The desktop shell keeps windows at their own size, where the kiosk shell would make them
    # fill the screen; --idle-time=0 keeps it from blanking and locking the screen mid-run.
    XDG_RUNTIME_DIR=$dir weston --backend=headless-backend.so --shell=desktop-shell.so \
        --socket="$socket" --idle-time=0 --no-config </dev/null >"$dir/weston.log" 2>&1 &
    pid=$!
    echo "$pid" >"$pidfile"
    # Until the shell's child has become weston it goes by the shell's name, so only whether
    # it lives counts here.
    for _ in $(seq 100); do
        [ -S "$dir/$socket" ] && exit 0
        alive "$pid" || break
        sleep 0.1
    done
    echo "weston did not come up:" >&2
    cat "$dir/weston.log" >&2
    stop
    exit 1
    ;;
stop)
    stop
    ;;
*)
    echo "usage: weston.sh start|stop RUNTIME_DIR SOCKET" >&2
    exit 2
    ;;
esac
