#!/bin/sh
# wine-server.sh start|stop [BUILD_DIR...]
# Starts or stops the persistent, warmed Wine server of each Windows build tree's prefix
# (BUILD_DIR relative to the repository; default: build/windows-x86 and build/windows-x64,
# those that are configured). Each prefix has its own server. A persistent server makes
# each Wine test start in a fraction of a second; without it every program starts a server
# and Wine's background services, and a harness reading the program's output waits about
# 2 s more for them to end.
#
# The server Wine starts by itself (Debian's /usr/lib/wine/wineserver, which adds -p0)
# ends with the last program, so this script starts its own with -p (Debian's wine64 and
# wine32 put no wineserver into /usr/bin). Its standard streams go to /dev/null: Wine's
# background services inherit them from whoever starts them, and would keep a harness's
# output pipe open.
set -u
cd "$(dirname "$0")/.."
server=${WINESERVER:-/usr/lib/wine/wineserver}
action=${1:-start}
[ $# -gt 0 ] && shift
[ $# -gt 0 ] || set -- build/windows-x86 build/windows-x64

start() { # start BUILD_DIR
    run="$1/wine-run.sh"
    # Creates the prefix on first use (see wine-run.sh); the server this starts is Wine's own.
    "$run" cmd /c ver > /dev/null 2>&1 < /dev/null
    # Wine's own server ends about 2 s after its last program. One that does not end is a
    # persistent one left running, and is kept.
    if timeout 15 "$server" -w > /dev/null 2>&1 < /dev/null; then
        "$server" -p > /dev/null 2>&1 < /dev/null
    fi
    # Warm: the background services start here, with /dev/null as their streams.
    "$run" cmd /c ver > /dev/null 2>&1 < /dev/null
    # The desktop, held open until the server ends (see tools/wine_desktop.cpp). Its
    # process says on a FIFO when the desktop is up; its streams are otherwise /dev/null.
    holder="$1/bin/wine_desktop.exe"
    if [ -f "$holder" ]; then
        fifo="$WINEPREFIX.desktop-fifo"
        rm -f "$fifo" && mkfifo "$fifo"
        "$run" "$holder" > "$fifo" 2> /dev/null < /dev/null &
        read -r ready < "$fifo" || true
        rm -f "$fifo"
        case ${ready:-} in
            "desktop ready"*) ;; # the line ends in CR LF
            *) echo "$0: $1: no desktop holder: each Wine test waits 1 s more" >&2 ;;
        esac
    fi
}

stop() { # stop BUILD_DIR
    "$server" -k > /dev/null 2>&1 < /dev/null
    # Until the server has written the registry and gone.
    timeout 15 "$server" -w > /dev/null 2>&1 < /dev/null
}

case $action in
    start | stop) ;;
    *)
        echo "usage: $0 start|stop [BUILD_DIR...]" >&2
        exit 2
        ;;
esac
# The prefixes are independent: their servers start (a first start creates the prefix,
# 8-15 s) and stop side by side.
for build in "$@"; do
    [ -x "$build/wine-run.sh" ] || continue
    (
        WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
        export WINEPREFIX
        "$action" "$build"
    ) &
done
wait
exit 0
