// Auto-configuration: the printer's installed options set from what the model's SNMP module
// reports, applied to the host's items of the tree being built. The module is
// "<prefix>N.DLL" beside the plug-in "<prefix>U.DLL"; docs/snmp-module.md is its contract.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "autoconfig/config_block.h"
#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace autoconfig {

// The selections of the three optional trays a tray code stands for.
struct TraySelections {
    std::int32_t tray2;
    std::int32_t tray3;
    std::int32_t tray4;
};
TraySelections TraysOfCode(std::int16_t code);

// What one run did, for those who want to show it.
struct Report {
    std::u16string module;     // the module's path
    std::string port;          // the port name handed to it
    std::uint32_t mask = 0;    // the request mask
    bool called = false;       // the module was found and called
    std::uint32_t result = 0;  // the low 16 bits of its answer
    unsigned char block[kBlockBytes] = {};
    std::vector<std::string> changes;  // items selected and printer data written, in order
};

// Runs auto-configuration for the tree call `param` with the call's working session (its
// driverHelper is the host's driver interface). Items are always selected in the printer
// settings' mode, as the installed options are printer settings. A missing module, entry,
// block or answer changes nothing.
void AutoConfigure(plugin::ProcessState& state, host::OEMCUIPPARAM& param,
                   profile::UiSession& session, host::DWORD mode, Report* report = nullptr);

}  // namespace autoconfig
