#include "devmode/devmode_handler.h"

namespace devmode {

// No private record yet: a plug-in without private settings asks for no room and leaves
// the host's records as they are.
void HandleDevMode(const platform::Platform&, host::DWORD mode, host::OEMDMPARAM& param) {
    if (mode == host::kOemDmSize) param.cbBufSize = 0;
}

}  // namespace devmode
