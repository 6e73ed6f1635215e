#include "plugin/class_factory.h"

#include <new>

#include "plugin/plugin_object.h"

namespace plugin {

host::HRESULT PlugInClassFactory::QueryInterface(const host::GUID& iid, void** object) {
    if (object == nullptr) return host::kEPointer;
    if (iid == host::kIidUnknown || iid == host::kIidClassFactory) {
        *object = static_cast<host::ClassFactory*>(this);
        AddRef();
        return host::kSOk;
    }
    *object = nullptr;
    return host::kENoInterface;
}

host::ULONG PlugInClassFactory::AddRef() { return static_cast<host::ULONG>(++refCount_); }

host::ULONG PlugInClassFactory::Release() {
    const std::int32_t count = --refCount_;
    if (count == 0) delete this;
    return static_cast<host::ULONG>(count);
}

host::HRESULT PlugInClassFactory::CreateInstance(host::Unknown* outer, const host::GUID& iid,
                                                 void** object) {
    if (outer != nullptr) {
        if (object != nullptr) *object = nullptr;
        return host::kClassENoAggregation;
    }
    if (object == nullptr) return host::kEPointer;
    auto* plugIn = new (std::nothrow) PlugInObject(state_);
    if (plugIn == nullptr) {
        *object = nullptr;
        return host::kEOutOfMemory;
    }
    // The new object starts with one reference; a refused interface drops it again.
    const host::HRESULT hr = plugIn->QueryInterface(iid, object);
    plugIn->Release();
    return hr;
}

host::HRESULT PlugInClassFactory::LockServer(host::BOOL lock) {
    if (lock != 0) {
        state_.Lock();
    } else {
        state_.Unlock();
    }
    return host::kSOk;
}

}  // namespace plugin
