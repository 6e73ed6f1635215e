#include "plugin/com_server.h"

#include <new>

#include "plugin/class_factory.h"

namespace plugin {

host::HRESULT GetClassObject(ProcessState& state, const host::GUID* clsid, const host::GUID* iid,
                             void** object) noexcept {
    if (clsid == nullptr || !(*clsid == host::kClsidPlugIn)) return host::kClassEClassNotAvailable;
    if (iid == nullptr || object == nullptr) {
        if (object != nullptr) *object = nullptr;
        return host::kEInvalidArg;
    }
    auto* factory = new (std::nothrow) PlugInClassFactory(state);
    if (factory == nullptr) return host::kEOutOfMemory;
    const host::HRESULT hr = factory->QueryInterface(*iid, object);
    factory->Release();
    return hr;
}

host::HRESULT CanUnloadNow(const ProcessState& state) noexcept {
    return state.CanUnload() ? host::kSOk : host::kSFalse;
}

}  // namespace plugin
