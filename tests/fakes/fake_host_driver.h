// The host driver's interface (IPrintOemDriverUI) for the native tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
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

// The host's own items laid out as the driver does: a keyword in USERDATA when given, and
// options whose display texts are the given pointers (null: the resource number 400), in
// arrays of their exact count so that the sanitizer sees any overrun. Room for 64 items is
// reserved: references handed out stay valid.
class HostItems {
  public:
    HostItems() { items.reserve(64); }
    host::OPTITEM& Add(const char* keyword, host::BYTE publicId = 0, host::LONG sel = 0,
                       const std::vector<const char16_t*>& options = {},
                       const char16_t* name = nullptr) {
        host::OPTITEM& item = items.emplace_back();
        item.cbSize = sizeof item;
        item.DMPubID = publicId;
        item.Sel = sel;
        item.pName = const_cast<host::WCHAR*>(name);
        if (keyword != nullptr) {
            data_.emplace_back().pKeyWordName = const_cast<char*>(keyword);
            item.UserData = reinterpret_cast<host::ULONG_PTR>(&data_.back());
        }
        if (!options.empty()) {
            auto& params = params_.emplace_back(new host::OPTPARAM[options.size()]{});
            for (std::size_t i = 0; i < options.size(); ++i) {
                params[i].pData = options[i] != nullptr
                                      ? const_cast<host::WCHAR*>(options[i])
                                      : reinterpret_cast<host::WCHAR*>(std::uintptr_t{400});
            }
            host::OPTTYPE& type = types_.emplace_back();
            type.Count = static_cast<host::WORD>(options.size());
            type.pOptParam = params.get();
            item.pOptType = &type;
        }
        return item;
    }
    host::OPTITEM* Find(const char* keyword) {
        for (host::OPTITEM& item : items) {
            const auto* d = reinterpret_cast<const host::USERDATA*>(item.UserData);
            if (d != nullptr && std::strcmp(d->pKeyWordName, keyword) == 0) return &item;
        }
        return nullptr;
    }
    host::OPTITEM* ById(host::BYTE id) {
        for (host::OPTITEM& item : items) {
            if (item.DMPubID == id) return &item;
        }
        return nullptr;
    }
    host::OPTITEM* data() { return items.data(); }
    host::DWORD size() const { return static_cast<host::DWORD>(items.size()); }

    std::vector<host::OPTITEM> items;

  private:
    std::deque<host::USERDATA> data_;
    std::deque<std::unique_ptr<host::OPTPARAM[]>> params_;
    std::deque<host::OPTTYPE> types_;
};

}  // namespace fakes
