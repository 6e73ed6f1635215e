#pragma once

#include <cstdint>

#include "platform/ports.h"
#include "plugin/host_interface.h"

namespace plugin {

struct ResolutionIndexes {
    std::int32_t resolution300Index = 0;
    std::int32_t quality300Index = 0;
};

// FUNCTION/Resolution300Index and FUNCTION/Quality300Index of the printer's model profile.
ResolutionIndexes ReadResolutionIndexes(const platform::Platform& platform, host::HANDLE printer);

}  // namespace plugin
