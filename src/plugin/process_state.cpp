#include "plugin/process_state.h"

namespace plugin {

ProcessState::ProcessState(const platform::Platform& adapters) : help_(adapters), ports_(adapters) {
    if (ports_.help == nullptr) ports_.help = &help_;
}

void ProcessState::Unlock() {
    std::int32_t count = lockCount.load();
    while (count > 0 && !lockCount.compare_exchange_weak(count, count - 1)) {
    }
}

}  // namespace plugin
