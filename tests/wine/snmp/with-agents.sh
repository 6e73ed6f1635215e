#!/bin/bash
# with-agents.sh COMMAND...: runs COMMAND (a Wine test program of the SNMP module) with the
# agents that stand in for printers, each on a free loopback port named in the environment:
#   CVL_SNMP_PRINTER_PORT  the sample printer (printer-agent.conf), SNMPv1 and SNMPv2c
#   CVL_SNMP_V1_PORT       the same printer answering SNMPv1 only
#   CVL_SNMP_PLAIN_PORT    an agent without the Printer MIB (plain-agent.conf)
#   CVL_SNMP_DOWN_PORT     a port where no agent listens
# The agents are stopped however COMMAND ends. Listing the tests needs no agent.
set -u
here=$(cd "$(dirname "$0")" && pwd)
case " $* " in
    *" --gtest_list_tests "*) exec "$@" ;;
esac
source "$here/../../../tools/snmp-agent.sh"
work=$(mktemp -d /tmp/cvl-snmp-agents.XXXXXX)
pids=""
cleanup() {
    for pid in $pids; do snmp_agent_stop "$pid"; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

start() { # start VARIABLE BODY ACCESS
    if ! snmp_agent_start "$here/$2" "$3" "$work"; then
        echo "with-agents.sh: cannot start snmpd ($2, $3)" >&2
        exit 1
    fi
    pids="$pids $agent_pid"
    export "$1=$agent_port"
}
start CVL_SNMP_PRINTER_PORT printer-agent.conf v2c
start CVL_SNMP_V1_PORT printer-agent.conf v1
start CVL_SNMP_PLAIN_PORT plain-agent.conf v2c
down=$((20000 + RANDOM % 40000))
while [ "$down" = "$CVL_SNMP_PRINTER_PORT" ] || [ "$down" = "$CVL_SNMP_V1_PORT" ] ||
    [ "$down" = "$CVL_SNMP_PLAIN_PORT" ]; do
    down=$((20000 + RANDOM % 40000))
done
export CVL_SNMP_DOWN_PORT=$down
"$@"
