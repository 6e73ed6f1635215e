// SNMP_AutoUpdate of the shipped module, without Windows: the printer's target from its port
// name, the settings file, the questions to its agent and the answers written into the
// block. The Win32 export hands it the adapters, a UDP socket and a clock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "snmp/client.h"
#include "snmp/facts.h"

namespace snmp {

// No request is sent and no answer waited for past this time after the call started: the
// settings page waits for the call.
inline constexpr std::uint32_t kCallBoundMs = 3000;

struct Environment {
    const platform::Platform& ports;  // registry, names, system and profile files are used
    Transport& transport;
    Clock& clock;
    std::u16string settingsPath;  // the settings file beside the module; empty: none
    std::uint32_t idSeed = 0;     // the first request id
};

// The [SNMP] section of the settings file, each value brought into its range: Port 1 to
// 65535, TimeoutMs 50 to the call's bound, Retries 0 to 5, StandardInputs and
// StandardOutputs 0 to 255, LargeTrayCapacity 0 or more; out of range: the default.
Settings ReadSettings(platform::ProfileFiles* files, std::u16string_view path);

// 1 when the agent answered every question (the asked fields then hold the facts), 0 when
// nothing was asked, the port gives no address, its SNMP is switched off, or the agent did
// not answer in time (the block is then left as it was).
std::uint16_t AutoUpdate(Environment& environment, std::u16string_view portName, Block block);

}  // namespace snmp
