#!/bin/bash
# demo.sh [x86|x64] (or ARCH=x86|x64; default x64)
# Builds the plug-in and the host simulator of that width, then lets the simulator load the
# plug-in under Wine (in that build's own prefix) the way the printer driver does and print
# what it answers.
set -eu
cd "$(dirname "$0")/.."
arch=${1:-${ARCH:-x64}}
case $arch in
    x86 | x64) ;;
    *)
        echo "usage: $0 [x86|x64]" >&2
        exit 2
        ;;
esac
preset=windows-$arch
cmake --preset "$preset" > /tmp/cvl-configure-demo.log 2>&1 ||
    { cat /tmp/cvl-configure-demo.log; exit 1; }
cmake --build --preset "$preset" -j "$(nproc)" --target host_simulator wine_desktop
tools/wine-server.sh start "build/$preset"
top=$PWD
trap '"$top/tools/wine-server.sh" stop "build/$preset"' EXIT
mkdir -p build/demo
# Wine shows the Unix root as drive Z:.
pictures="Z:$(pwd)/build/demo"
echo "== the $arch plug-in (build/$preset/bin/CVLU.DLL)"
cd "build/$preset/bin"
../wine-run.sh host_simulator.exe "${pictures//\//\\}"
echo "pictures: $(ls ../../demo/*.png 2>/dev/null | tr '\n' ' ')"
