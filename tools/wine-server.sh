#!/bin/sh
# start|stop the Wine server of the x64 build tree's prefix. A persistent, warmed server
# makes each Wine test start in a fraction of a second, and keeps Wine's background
# services from holding the test harness's output pipes open.
set -u
build=${BUILD_DIR:-build/windows-x64}
run="$build/wine-run.sh"
export WINEPREFIX="$PWD/$build/wineprefix"
case ${1:-start} in
    start)
        # Creates the prefix on first use (see wine-run.sh), then keeps a server alive.
        "$run" cmd /c ver > /dev/null 2>&1 < /dev/null
        /usr/bin/wineserver -p > /dev/null 2>&1 < /dev/null
        "$run" cmd /c ver > /dev/null 2>&1 < /dev/null
        ;;
    stop)
        /usr/bin/wineserver -k > /dev/null 2>&1 || true
        ;;
esac
