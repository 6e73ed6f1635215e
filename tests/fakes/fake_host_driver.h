// The host driver's interface (IPrintOemDriverUI) for the native tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "plugin/host_interface.h"

namespace fakes {

// The host's driver interface: answers DrvGetDriverSetting from a table of 10-byte answers
// and records the features asked for and every DrvUpdateUISetting call.
class DriverUi final : public host::IPrintOemDriverUI {
  public:
    struct Update {
        void* uiObject;
        void* item;
        host::DWORD previous;
        host::DWORD mode;
    };
    host::HRESULT HOST_CALL QueryInterface(const host::GUID&, void**) override {
        return host::kENoInterface;
    }
    host::ULONG HOST_CALL AddRef() override { return 1; }
    host::ULONG HOST_CALL Release() override { return 1; }
    host::HRESULT HOST_CALL DrvGetDriverSetting(void* uiObject, const char* feature, void* output,
                                                host::DWORD size, host::DWORD*,
                                                host::DWORD*) override {
        queries.emplace_back(feature);
        lastUiObject = uiObject;
        const auto it = settings.find(feature);
        if (it == settings.end()) return host::kEInvalidArg;
        std::memcpy(output, it->second.second.data(), std::min<std::size_t>(size, 10));
        return it->second.first;
    }
    host::HRESULT HOST_CALL DrvUpgradeRegistrySetting(host::HANDLE, const char*,
                                                      const char*) override {
        return host::kENotImpl;
    }
    host::HRESULT HOST_CALL DrvUpdateUISetting(void* uiObject, void* item, host::DWORD previous,
                                               host::DWORD mode) override {
        updates.push_back({uiObject, item, previous, mode});
        return host::kEFail;  // never looked at
    }
    void Set(const std::string& feature, std::string text, host::HRESULT result = host::kSOk) {
        text.resize(10, '\0');
        settings[feature] = {result, text};
    }

    std::map<std::string, std::pair<host::HRESULT, std::string>> settings;
    std::vector<std::string> queries;
    std::vector<Update> updates;
    void* lastUiObject = nullptr;
};

}  // namespace fakes
