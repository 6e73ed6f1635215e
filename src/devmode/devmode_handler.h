#pragma once

#include "platform/ports.h"
#include "plugin/host_interface.h"

namespace devmode {

// Sizes, defaults, converts or merges the private record (mode 1 to 4, already checked).
void HandleDevMode(const platform::Platform& platform, host::DWORD mode, host::OEMDMPARAM& param);

}  // namespace devmode
