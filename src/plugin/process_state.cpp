#include "plugin/process_state.h"

namespace plugin {
namespace {

std::atomic<ProcessState*> current{nullptr};

}  // namespace

ProcessState::ProcessState(const platform::Platform& adapters) : help_(adapters), ports_(adapters) {
    if (ports_.help == nullptr) ports_.help = &help_;
    current.store(this);
}

ProcessState::~ProcessState() {
    ProcessState* self = this;
    current.compare_exchange_strong(self, nullptr);
}

ProcessState* ProcessState::ForCallbacks() noexcept { return current.load(); }

void ProcessState::Unlock() {
    std::int32_t count = lockCount.load();
    while (count > 0 && !lockCount.compare_exchange_weak(count, count - 1)) {
    }
}

}  // namespace plugin
