# Sourced by the demo and the SNMP tests: starts net-snmp's snmpd as a stand-in printer on a
# free loopback port. The caller stops each agent by its process id (snmp_agent_stop).
#
# snmp_agent_start BODY ACCESS WORKDIR
#   BODY: a configuration of "override" lines (tests/wine/snmp/*.conf);
#   ACCESS: v2c (community "public", SNMPv1 and SNMPv2c) or v1 (community "public",
#   SNMPv1 only); WORKDIR: a folder of the caller's for the configuration and the agent's
#   state. Sets agent_port and agent_pid; returns 1 when no agent could be started.
#   The agent is ready when it returns; it ends by itself after 15 minutes whatever happens,
#   so that none outlives a caller that was killed before it could stop it.
snmp_agent_start() {
    local body=$1 access=$2 work=$3 try port conf token wait
    agent_port="" agent_pid=""
    for try in 1 2 3 4 5 6 7 8; do
        port=$((20000 + RANDOM % 40000))
        conf="$work/agent-$port.conf"
        # An object of our own tells our agent from another program on the same port.
        token="cvl-$$-$RANDOM"
        {
            echo "agentaddress udp:127.0.0.1:$port"
            if [ "$access" = v1 ]; then
                echo "com2sec local 127.0.0.1 public"
                echo "group v1only v1 local"
                echo "view all included .1"
                echo "access v1only \"\" any noauth exact all none none"
            else
                echo "rocommunity public 127.0.0.1"
            fi
            echo "override .1.3.6.1.4.1.8072.9999.9999.1.0 octet_str $token"
            cat "$body"
        } > "$conf"
        # -C: this configuration only; -I -hr_device: the machine's own devices (disks!)
        # stay out of hrDeviceTable, which the configuration fills.
        SNMP_PERSISTENT_DIR="$work/state-$port" timeout 900 \
            snmpd -f -Lf "$work/agent-$port.log" -C -c "$conf" -I -hr_device \
            -p "$work/agent-$port.pid" < /dev/null > /dev/null 2>&1 &
        agent_pid=$!
        for wait in $(seq 60); do
            if [ "$(snmpget -v1 -c public -t 0.2 -r 0 -Oqv "127.0.0.1:$port" \
                .1.3.6.1.4.1.8072.9999.9999.1.0 2> /dev/null)" = "\"$token\"" ]; then
                agent_port=$port
                return 0
            fi
            kill -0 "$agent_pid" 2> /dev/null || break
            sleep 0.1
        done
        snmp_agent_stop "$agent_pid"
    done
    agent_pid=""
    return 1
}

# snmp_agent_stop PID: stops an agent that snmp_agent_start started, and waits for it.
snmp_agent_stop() {
    [ -n "${1:-}" ] || return 0
    kill "$1" 2> /dev/null
    wait "$1" 2> /dev/null
    return 0
}
