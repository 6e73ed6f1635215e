#!/bin/bash
# Benchmarks of the DevMode operations (reports only, never a pass/fail):
#  1. natively, against counting fakes, in an unsanitized optimised build;
#  2. under Wine with the real x64 DLL on the installed TALEN sample model: time per
#     operation, and the spooler's driver-information calls per operation counted from
#     Wine's relay trace of one operation each.
set -eu
cd "$(dirname "$0")/.."
top=$PWD
iterations=${1:-2000}
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DPLUGIN_SANITIZE=OFF > /dev/null
cmake --build build/bench -j "$(nproc)" --target devmode_bench > /dev/null
echo "== native, counting fakes"
build/bench/devmode_bench $((iterations * 10))

cmake --preset windows-x64 > /dev/null
cmake --build --preset windows-x64 -j "$(nproc)" --target host_simulator wine_desktop > /dev/null
tools/wine-server.sh start build/windows-x64
trap '"$top/tools/wine-server.sh" stop build/windows-x64' EXIT
cd build/windows-x64/bin
echo "== Wine, real DLL"
../wine-run.sh host_simulator.exe bench "$iterations" | grep -v '^  Dll\|^Loaded'
echo "== Wine, GetPrinterDriverW calls per operation (one operation each, relay trace)"
WINEDEBUG=+relay,+debugstr ../wine-run.sh host_simulator.exe bench 1 2>&1 >/dev/null |
    awk '/bench case: /{ case_ = $0; sub(/.*bench case: /, "", case_); sub(/[\\"].*/, "", case_);
                          if (case_ == name) next;
                          if (name != "") printf "  %-26s %d spooler calls\n", name, calls;
                          name = case_; calls = 0; next }
         /Call winspool.drv.GetPrinterDriverW/ { calls++ }' | grep -v '^  end'
echo "   (one driver-information query is two calls: the size, then the data)"
