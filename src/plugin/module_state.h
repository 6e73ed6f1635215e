// Process-wide state of the plug-in module, kept in one place: the COM server's object and
// lock counters and the platform the objects are given. Later subsystems add their own
// process-wide members here.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/ports.h"

namespace plugin {

struct ModuleState {
    std::atomic<std::int32_t> objectCount{0};  // live plug-in objects
    std::atomic<std::int32_t> lockCount{0};    // outstanding LockServer(TRUE) calls
    platform::Platform platform;
};

// The state of the loaded module; the DLL fills in its platform at process attach.
ModuleState& TheModuleState();

}  // namespace plugin
