// The host simulator's side of the plug-in: loads the DLL the way the printer driver's
// configuration module does and plays the host's part in each call.
#pragma once

#include <windows.h>

#include <string>

#include "plugin/host_interface.h"

namespace hostsim {

// The plug-in DLL loaded with LoadLibraryW, its two exports and the object it serves.
class PluginLibrary {
  public:
    PluginLibrary() = default;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    ~PluginLibrary();

    // Loads the DLL (by default the one beside this program) and finds both exports.
    bool Load(const wchar_t* path = PLUGIN_DLL_NAME);
    HMODULE module() const { return module_; }

    host::HRESULT GetClassObject(const host::GUID& clsid, const host::GUID& iid, void** out);
    host::HRESULT CanUnloadNow();

    // DllGetClassObject, CreateInstance for IPrintOemUI, and the factory released again, as
    // the driver does it. Null on failure, with the failing result in *result.
    host::IPrintOemUI* CreatePlugIn(host::HRESULT* result = nullptr);

  private:
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

    HMODULE module_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadNowFn canUnloadNow_ = nullptr;
};

// Time the host spends in its own functions while the plug-in calls them (the sheet function,
// the driver interface), summed over the process, so that a benchmark can tell the plug-in's
// time from the host's. One object times one host function call.
class HostCallbackTime {
  public:
    HostCallbackTime();
    ~HostCallbackTime();
    HostCallbackTime(const HostCallbackTime&) = delete;
    HostCallbackTime& operator=(const HostCallbackTime&) = delete;
    // Performance-counter ticks spent in host functions so far.
    static long long Total();

  private:
    long long start_;
};

// The host driver's own interface, published to the plug-in; it counts references and
// records what the plug-in asks of it.
class HostDriverUI final : public host::IPrintOemDriverUI {
  public:
    host::HRESULT HOST_CALL QueryInterface(const host::GUID& iid, void** out) override;
    host::ULONG HOST_CALL AddRef() override;
    host::ULONG HOST_CALL Release() override;
    host::HRESULT HOST_CALL DrvGetDriverSetting(void* uiObject, const char* feature, void* output,
                                                host::DWORD size, host::DWORD* needed,
                                                host::DWORD* optionsReturned) override;
    host::HRESULT HOST_CALL DrvUpgradeRegistrySetting(host::HANDLE printer, const char* feature,
                                                      const char* option) override;
    host::HRESULT HOST_CALL DrvUpdateUISetting(void* uiObject, void* item,
                                               host::DWORD previousSelection,
                                               host::DWORD mode) override;

    long references() const { return references_; }
    int updateCalls() const { return updateCalls_; }

  private:
    long references_ = 1;
    int updateCalls_ = 0;
};

// "S_OK", "E_FAIL", ... or the hexadecimal value.
std::string ResultName(host::HRESULT result);

}  // namespace hostsim
