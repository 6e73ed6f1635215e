#!/bin/bash
# Builds the x64 plug-in and the host simulator, then lets the simulator load the plug-in
# under Wine the way the printer driver does and print what it answers.
set -eu
cd "$(dirname "$0")/.."
cmake --preset windows-x64 > /tmp/cvl-configure-demo.log 2>&1 ||
    { cat /tmp/cvl-configure-demo.log; exit 1; }
cmake --build --preset windows-x64 -j "$(nproc)" --target host_simulator
tools/wine-server.sh start
top=$PWD
trap '"$top/tools/wine-server.sh" stop' EXIT
mkdir -p build/demo
# Wine shows the Unix root as drive Z:.
pictures="Z:$(pwd)/build/demo"
cd build/windows-x64/bin
../wine-run.sh host_simulator.exe "${pictures//\//\\}"
echo "pictures: $(ls ../../demo/*.png 2>/dev/null | tr '\n' ' ')"
