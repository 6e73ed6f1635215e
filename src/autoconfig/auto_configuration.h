// Auto-configuration: the printer's installed options set from what the model's SNMP module
// reports, applied to the host's items of the tree being built.
#pragma once

#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace autoconfig {

// Runs auto-configuration for the tree call `param` (mode kOemCuipDocProp or kOemCuipPrnProp)
// with the call's working session. Until a module call is built, nothing is asked and
// nothing changes.
void AutoConfigure(plugin::ProcessState& state, host::OEMCUIPPARAM& param,
                   profile::UiSession& session, host::DWORD mode);

}  // namespace autoconfig
