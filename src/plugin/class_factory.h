#pragma once

#include <atomic>

#include "plugin/host_interface.h"
#include "plugin/process_state.h"

namespace plugin {

// The class factory of the plug-in class.
class PlugInClassFactory final : public host::ClassFactory {
  public:
    explicit PlugInClassFactory(ProcessState& state) : state_(state) {}

    host::HRESULT HOST_CALL QueryInterface(const host::GUID& iid, void** object) override;
    host::ULONG HOST_CALL AddRef() override;
    host::ULONG HOST_CALL Release() override;
    host::HRESULT HOST_CALL CreateInstance(host::Unknown* outer, const host::GUID& iid,
                                           void** object) override;
    host::HRESULT HOST_CALL LockServer(host::BOOL lock) override;

  private:
    ~PlugInClassFactory() = default;

    ProcessState& state_;
    std::atomic<std::int32_t> refCount_{1};
};

}  // namespace plugin
