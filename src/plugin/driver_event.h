#pragma once

#include "platform/ports.h"
#include "plugin/host_interface.h"

namespace plugin {

// Acts on the driver-delete event: removes the calling user's key named after the driver
// under "Software\Corvel" and then that parent key when it is left empty.
void HandleDriverEvent(const platform::Platform& platform, host::DWORD driverEvent,
                       host::DWORD level, const host::BYTE* driverInfo);

}  // namespace plugin
