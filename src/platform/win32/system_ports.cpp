// Winsock 2 must come before windows.h, which would otherwise bring in Winsock 1.
#include <winsock2.h>
// clang-format off
#include "platform/win32/system_ports.h"
// clang-format on

#include <shlwapi.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/owners.h"

namespace win32 {
namespace {

class Win32RegistryKey final : public platform::RegistryKey {
  public:
    // `owned` keys are closed with the object; the predefined roots are not.
    Win32RegistryKey(HKEY key, bool owned) : key_(key), owner_(owned ? key : nullptr) {}

    std::unique_ptr<platform::RegistryKey> Open(std::u16string_view subKey,
                                                std::uint32_t access) override {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(key_, WideString(subKey).c_str(), 0, access, &opened) != ERROR_SUCCESS) {
            return nullptr;
        }
        return Wrap(opened);
    }

    std::unique_ptr<platform::RegistryKey> Create(std::u16string_view subKey,
                                                  std::uint32_t access) override {
        HKEY created = nullptr;
        if (RegCreateKeyExW(key_, WideString(subKey).c_str(), 0, nullptr, 0, access, nullptr,
                            &created, nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return Wrap(created);
    }

    long DeleteKey(std::u16string_view subKey) override {
        return RegDeleteKeyW(key_, WideString(subKey).c_str());
    }

    long DeleteEmptyKey(std::u16string_view subKey) override {
        return static_cast<long>(SHDeleteEmptyKeyW(key_, WideString(subKey).c_str()));
    }

    long QueryValue(std::u16string_view name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
        DWORD valueType = 0;
        DWORD bytes = size != nullptr ? *size : 0;
        // An empty name is the default value, which RegQueryValueExW names with null.
        const std::wstring wide = WideString(name);
        const LONG status =
            RegQueryValueExW(key_, name.empty() ? nullptr : wide.c_str(), nullptr, &valueType,
                             static_cast<BYTE*>(data), size != nullptr ? &bytes : nullptr);
        if (type != nullptr) *type = valueType;
        if (size != nullptr) *size = bytes;
        return status;
    }

    long SetValue(std::u16string_view name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
        const std::wstring wide = WideString(name);
        return RegSetValueExW(key_, name.empty() ? nullptr : wide.c_str(), 0, type,
                              static_cast<const BYTE*>(data), size);
    }

    // Hands an open key to a wrapper; the key is closed when no wrapper can be made.
    static std::unique_ptr<platform::RegistryKey> Wrap(HKEY key) {
        UniqueRegKey owner(key);
        auto wrapped = std::unique_ptr<platform::RegistryKey>(
            new (std::nothrow) Win32RegistryKey(owner.get(), true));
        if (wrapped) owner.release();
        return wrapped;
    }

  private:
    HKEY key_;
    UniqueRegKey owner_;
};

}  // namespace

std::unique_ptr<platform::RegistryKey> Win32Registry::OpenHive(platform::Hive hive,
                                                               std::uint32_t access) {
    switch (hive) {
        case platform::Hive::kCurrentUser: {
            HKEY key = nullptr;
            // RegOpenCurrentUser looks up the thread's user every time (under Wine a dozen
            // server calls). A thread that impersonates nobody acts as the process's user,
            // whose hive HKEY_CURRENT_USER names, already open: a new handle from there.
            HANDLE token = nullptr;
            if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
                CloseHandle(token);
            } else if (GetLastError() == ERROR_NO_TOKEN) {
                if (RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, access, &key) != ERROR_SUCCESS) {
                    return nullptr;
                }
                return Win32RegistryKey::Wrap(key);
            }
            if (RegOpenCurrentUser(access, &key) != ERROR_SUCCESS) return nullptr;
            return Win32RegistryKey::Wrap(key);
        }
        case platform::Hive::kClassesRoot:
            return std::unique_ptr<platform::RegistryKey>(
                new (std::nothrow) Win32RegistryKey(HKEY_CLASSES_ROOT, false));
        case platform::Hive::kLocalMachine:
            return std::unique_ptr<platform::RegistryKey>(
                new (std::nothrow) Win32RegistryKey(HKEY_LOCAL_MACHINE, false));
    }
    return nullptr;
}

std::vector<std::array<std::uint8_t, 4>> Win32NameService::Resolve(std::string_view hostName) {
    std::vector<std::array<std::uint8_t, 4>> addresses;
    // gethostbyname reads up to the first null: a name holding one would name another host.
    if (hostName.empty() || hostName.size() > 255 || hostName.find('\0') != hostName.npos) {
        return addresses;
    }
    WSADATA data = {};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return addresses;
    // The service is stopped again on every path.
    struct Started {
        ~Started() { WSACleanup(); }
    } started;
    const std::string name(hostName);
    const hostent* entry = gethostbyname(name.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list == nullptr) {
        return addresses;
    }
    for (char** address = entry->h_addr_list; *address != nullptr; ++address) {
        // Only four-byte entries are addresses of this kind.
        if (entry->h_length != 4) continue;
        std::array<std::uint8_t, 4> bytes;
        std::memcpy(bytes.data(), *address, 4);
        addresses.push_back(bytes);
    }
    return addresses;
}

std::uint32_t Win32ProfileFiles::GetInt(std::u16string_view section, std::u16string_view key,
                                        std::int32_t defaultValue, std::u16string_view path) {
    return GetPrivateProfileIntW(WideString(section).c_str(), WideString(key).c_str(), defaultValue,
                                 WideString(path).c_str());
}

std::uint32_t Win32ProfileFiles::GetString(std::u16string_view section, std::u16string_view key,
                                           std::u16string_view defaultValue, char16_t* buffer,
                                           std::uint32_t units, std::u16string_view path) {
    if (buffer == nullptr || units == 0) return 0;
    return GetPrivateProfileStringW(
        WideString(section).c_str(), WideString(key).c_str(), WideString(defaultValue).c_str(),
        reinterpret_cast<wchar_t*>(buffer), units, WideString(path).c_str());
}

std::uint32_t Win32SystemInfo::WindowsMajorVersion() const {
    // GetVersion reports the major version in its low byte.
    return LOBYTE(LOWORD(GetVersion()));
}

std::u16string Win32SystemInfo::SystemDirectory() const {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::u16string result(folder, folder + length);
    while (!result.empty() && result.back() == u'\\') result.pop_back();
    return result;
}

std::u16string Win32SystemInfo::ExpandEnvironment(std::u16string_view text) const {
    const std::wstring source = WideString(text);
    const DWORD needed = ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    if (needed == 0 || needed > 32768) return std::u16string(text);
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(source.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return std::u16string(text);
    expanded.resize(wcsnlen(expanded.c_str(), written));
    return std::u16string(expanded.begin(), expanded.end());
}

std::u16string Win32SystemInfo::UserName(std::uint32_t units) const {
    if (units == 0 || units > 1024) return {};
    std::wstring name(units, L'\0');
    DWORD size = units;
    if (!GetUserNameW(name.data(), &size)) return {};
    name.resize(wcsnlen(name.c_str(), units));
    return std::u16string(name.begin(), name.end());
}

void Win32SystemInfo::SystemTime(std::uint16_t (&fields)[8]) const {
    SYSTEMTIME t = {};
    GetSystemTime(&t);
    const WORD values[8] = {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                            t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
    for (int i = 0; i < 8; ++i) fields[i] = values[i];
}

std::string Win32SystemInfo::ToAnsi(std::u16string_view text, std::size_t maxBytes) const {
    // One character (a surrogate pair counts as one) at a time, so that the limit never cuts
    // a double-byte character of the code page in half.
    std::string ansi;
    std::size_t at = 0;
    while (at < text.size() && ansi.size() < maxBytes) {
        const bool pair =
            IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1]);
        const wchar_t character[2] = {static_cast<wchar_t>(text[at]),
                                      pair ? static_cast<wchar_t>(text[at + 1]) : L'\0'};
        char bytes[8];
        const int length = WideCharToMultiByte(CP_ACP, 0, character, pair ? 2 : 1, bytes,
                                               sizeof bytes, nullptr, nullptr);
        if (length <= 0 || ansi.size() + static_cast<std::size_t>(length) > maxBytes) break;
        ansi.append(bytes, static_cast<std::size_t>(length));
        at += pair ? 2 : 1;
    }
    return ansi;
}

}  // namespace win32
