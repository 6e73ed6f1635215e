// Where and how to ask a printer over SNMP, from its port name: the address that printer
// address discovery finds (or the one a port named "IP_a.b.c.d" carries), and the SNMP
// settings the Standard TCP/IP Port monitor keeps for the port. Uses the platform ports
// only; the SNMP module links it with the plug-in's address code.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace autoconfig {

using Ipv4 = std::array<std::uint8_t, 4>;

struct SnmpTarget {
    Ipv4 address{};
    std::string community = "public";  // in the ANSI code page, at most 255 bytes
    bool enabled = true;               // false when the port's "SNMP Enabled" is 0
};

// Four dotted decimal numbers of one to three digits, each up to 255, and nothing else.
std::optional<Ipv4> ParseIpv4(std::u16string_view text);

// The target of a port name (of a pooled printer's list, the first port). False when the
// port gives no IPv4 address: no monitor key and no "IP_" address in its name, an empty
// address, or a host name that does not resolve. "SNMP Community" (empty or missing:
// "public") and "SNMP Enabled" (missing: enabled) come from the Standard TCP/IP Port key.
bool ReadSnmpTarget(const platform::Platform& ports, std::u16string_view port, SnmpTarget* target);

}  // namespace autoconfig
