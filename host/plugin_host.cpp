#include "plugin_host.h"

#include <atomic>
#include <cstdio>

namespace hostsim {
namespace {

std::atomic<long long> hostTicks{0};

long long Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

HostCallbackTime::HostCallbackTime() : start_(Ticks()) {}

HostCallbackTime::~HostCallbackTime() { hostTicks += Ticks() - start_; }

long long HostCallbackTime::Total() { return hostTicks.load(); }

PluginLibrary::~PluginLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
}

bool PluginLibrary::Load(const wchar_t* path) {
    module_ = LoadLibraryW(path);
    if (module_ == nullptr) return false;
    // FARPROC goes through a plain pointer so the cast to the real signature is explicit.
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    canUnloadNow_ = reinterpret_cast<CanUnloadNowFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    return getClassObject_ != nullptr && canUnloadNow_ != nullptr;
}

host::HRESULT PluginLibrary::GetClassObject(const host::GUID& clsid, const host::GUID& iid,
                                            void** out) {
    if (getClassObject_ == nullptr) return host::kEFail;
    return getClassObject_(reinterpret_cast<REFCLSID>(clsid), reinterpret_cast<REFIID>(iid), out);
}

host::HRESULT PluginLibrary::CanUnloadNow() {
    return canUnloadNow_ != nullptr ? canUnloadNow_() : host::kEFail;
}

host::IPrintOemUI* PluginLibrary::CreatePlugIn(host::HRESULT* result) {
    host::HRESULT ignored = 0;
    host::HRESULT& hr = result != nullptr ? *result : ignored;
    void* factoryOut = nullptr;
    hr = GetClassObject(host::kClsidPlugIn, host::kIidClassFactory, &factoryOut);
    if (hr != host::kSOk || factoryOut == nullptr) return nullptr;
    auto* factory = static_cast<host::ClassFactory*>(factoryOut);
    void* objectOut = nullptr;
    hr = factory->CreateInstance(nullptr, host::kIidPrintOemUI, &objectOut);
    factory->Release();
    return hr == host::kSOk ? static_cast<host::IPrintOemUI*>(objectOut) : nullptr;
}

host::HRESULT HostDriverUI::QueryInterface(const host::GUID& iid, void** out) {
    if (out == nullptr) return host::kEPointer;
    if (iid == host::kIidUnknown || iid == host::kIidPrintOemDriverUI) {
        *out = static_cast<host::IPrintOemDriverUI*>(this);
        AddRef();
        return host::kSOk;
    }
    *out = nullptr;
    return host::kENoInterface;
}

host::ULONG HostDriverUI::AddRef() {
    return static_cast<host::ULONG>(InterlockedIncrement(&references_));
}

host::ULONG HostDriverUI::Release() {
    return static_cast<host::ULONG>(InterlockedDecrement(&references_));
}

host::HRESULT HostDriverUI::DrvGetDriverSetting(void*, const char*, void*, host::DWORD,
                                                host::DWORD*, host::DWORD*) {
    HostCallbackTime timed;
    return host::kEFail;
}

host::HRESULT HostDriverUI::DrvUpgradeRegistrySetting(host::HANDLE, const char*, const char*) {
    return host::kENotImpl;
}

host::HRESULT HostDriverUI::DrvUpdateUISetting(void*, void*, host::DWORD, host::DWORD) {
    HostCallbackTime timed;
    ++updateCalls_;
    return host::kSOk;
}

std::string ResultName(host::HRESULT result) {
    switch (result) {
        case host::kSOk:
            return "S_OK";
        case host::kSFalse:
            return "S_FALSE";
        case host::kEFail:
            return "E_FAIL";
        case host::kENotImpl:
            return "E_NOTIMPL";
        case host::kENoInterface:
            return "E_NOINTERFACE";
        case host::kEOutOfMemory:
            return "E_OUTOFMEMORY";
        default: {
            char text[16];
            std::snprintf(text, sizeof text, "0x%08lX",
                          static_cast<unsigned long>(static_cast<host::DWORD>(result)));
            return text;
        }
    }
}

}  // namespace hostsim
