#!/bin/bash
# demo.sh [x86|x64] (or ARCH=x86|x64; default x64)
# Builds the plug-in and the host simulator of that width, then lets the simulator load the
# plug-in under Wine (in that build's own prefix) the way the printer driver does and print
# what it answers. For the printer road it starts net-snmp's snmpd on a free loopback port
# as the sample printer, which the SNMP module beside the plug-in asks; the agent is stopped
# however the demo ends.
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
top=$PWD
agent_pid=""
work=$(mktemp -d /tmp/cvl-demo-agent.XXXXXX)
source tools/snmp-agent.sh
cleanup() {
    snmp_agent_stop "$agent_pid"
    rm -rf "$work"
    "$top/tools/wine-server.sh" stop "build/$preset"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
tools/wine-server.sh start "build/$preset"
if snmp_agent_start tests/wine/snmp/printer-agent.conf v2c "$work"; then
    export CVL_SNMP_PRINTER_PORT=$agent_port
    echo "== the sample printer's SNMP agent: snmpd on udp 127.0.0.1:$agent_port; what it reports:"
    for column in .1.3.6.1.2.1.25.2.2 .1.3.6.1.2.1.25.3.2.1.2 .1.3.6.1.2.1.43.8.2.1.2 \
        .1.3.6.1.2.1.43.9.2.1.2 .1.3.6.1.2.1.43.13.4.1.9 .1.3.6.1.2.1.43.30.1.1.2; do
        snmpwalk -v2c -c public -On "127.0.0.1:$agent_port" "$column" | sed 's/^/   /'
    done
else
    echo "== no SNMP agent could be started: the printer road skips the network printer"
fi
mkdir -p build/demo
# Wine shows the Unix root as drive Z:.
pictures="Z:$(pwd)/build/demo"
echo "== the $arch plug-in (build/$preset/bin/CVLU.DLL)"
cd "build/$preset/bin"
../wine-run.sh host_simulator.exe "${pictures//\//\\}"
echo "pictures: $(ls ../../demo/*.png 2>/dev/null | tr '\n' ' ')"
"$top/tools/gallery.sh" "$arch"
