#include "plugin/device_capabilities.h"

namespace plugin {

// No model profile is read yet: a model without resolution adjustments.
ResolutionIndexes ReadResolutionIndexes(const platform::Platform&, host::HANDLE) { return {}; }

}  // namespace plugin
