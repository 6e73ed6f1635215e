// Process-wide state of the plug-in module, kept in one place: the COM server's object and
// lock counters and the platform the objects are given. Later subsystems add their own
// process-wide members here.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/ports.h"
#include "ui/edit_filters.h"

namespace plugin {

// Rows of the installable-option table (tree/feature_options.h).
inline constexpr std::size_t kInstallableOptionRows = 13;

struct ModuleState {
    std::atomic<std::int32_t> objectCount{0};  // live plug-in objects
    std::atomic<std::int32_t> lockCount{0};    // outstanding LockServer(TRUE) calls
    platform::Platform platform;
    ui::EditFilterState editFilters;  // previous procedures and paste flags of the edit filters
    // The value column of the installable-option table: the selection auto-configuration
    // last applied for each row's keyword (0 until then).
    std::int32_t installableOptionValues[kInstallableOptionRows]{};
};

// The state of the loaded module; the DLL fills in its platform at process attach.
ModuleState& TheModuleState();

}  // namespace plugin
