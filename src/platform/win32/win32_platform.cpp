#include "platform/win32/win32_platform.h"

#include <shlwapi.h>

#include <new>
#include <string>

namespace win32 {
namespace {

// Registry calls take terminated strings; a view is copied once into a short string.
std::wstring Terminated(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

class Win32RegistryKey final : public platform::RegistryKey {
  public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}

    std::unique_ptr<platform::RegistryKey> Open(std::u16string_view subKey,
                                                std::uint32_t access) override {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(key_.get(), Terminated(subKey).c_str(), 0, access, &opened) !=
            ERROR_SUCCESS) {
            return nullptr;
        }
        return Wrap(opened);
    }

    std::unique_ptr<platform::RegistryKey> Create(std::u16string_view subKey,
                                                  std::uint32_t access) override {
        HKEY created = nullptr;
        if (RegCreateKeyExW(key_.get(), Terminated(subKey).c_str(), 0, nullptr, 0, access, nullptr,
                            &created, nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return Wrap(created);
    }

    long DeleteKey(std::u16string_view subKey) override {
        return RegDeleteKeyW(key_.get(), Terminated(subKey).c_str());
    }

    long DeleteEmptyKey(std::u16string_view subKey) override {
        return static_cast<long>(SHDeleteEmptyKeyW(key_.get(), Terminated(subKey).c_str()));
    }

    long QueryValue(std::u16string_view name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
        DWORD valueType = 0;
        DWORD bytes = size != nullptr ? *size : 0;
        const LONG status =
            RegQueryValueExW(key_.get(), Terminated(name).c_str(), nullptr, &valueType,
                             static_cast<BYTE*>(data), size != nullptr ? &bytes : nullptr);
        if (type != nullptr) *type = valueType;
        if (size != nullptr) *size = bytes;
        return status;
    }

    long SetValue(std::u16string_view name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
        return RegSetValueExW(key_.get(), Terminated(name).c_str(), 0, type,
                              static_cast<const BYTE*>(data), size);
    }

  private:
    static std::unique_ptr<platform::RegistryKey> Wrap(HKEY key) {
        UniqueRegKey owner(key);
        auto wrapped = std::unique_ptr<platform::RegistryKey>(new (std::nothrow)
                                                                  Win32RegistryKey(owner.get()));
        if (wrapped) owner.release();
        return wrapped;
    }

    UniqueRegKey key_;
};

}  // namespace

std::unique_ptr<platform::RegistryKey> Win32Registry::OpenCurrentUser(std::uint32_t access) {
    HKEY key = nullptr;
    if (RegOpenCurrentUser(access, &key) != ERROR_SUCCESS) return nullptr;
    UniqueRegKey owner(key);
    auto wrapped =
        std::unique_ptr<platform::RegistryKey>(new (std::nothrow) Win32RegistryKey(owner.get()));
    if (wrapped) owner.release();
    return wrapped;
}

void Win32Module::Attach(HMODULE module) {
    module_ = module;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = module;
    request.lpResourceName = MAKEINTRESOURCEW(2);
    request.lpSource = path;
    const HANDLE context = CreateActCtxW(&request);
    context_.reset(context == INVALID_HANDLE_VALUE ? nullptr : context);
}

void Win32Module::Detach() {
    context_.reset();
    module_ = nullptr;
}

Win32Platform::Win32Platform() {
    ports_.lastError = &lastError_;
    ports_.registry = &registry_;
    ports_.module = &module_;
}

}  // namespace win32
