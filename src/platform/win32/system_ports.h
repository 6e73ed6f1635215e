// The Win32 adapters of the ports that the plug-in and the SNMP module share: the registry,
// name resolution, profile files and system facts. They translate calls; they decide
// nothing. A library of their own, so that the module links them without the plug-in's
// user-interface adapters.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/ports.h"

namespace win32 {

// A terminated wide string of a UTF-16 view, for API calls that take one.
inline std::wstring WideString(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

class Win32Registry final : public platform::Registry {
  public:
    std::unique_ptr<platform::RegistryKey> OpenHive(platform::Hive hive,
                                                    std::uint32_t access) override;
};

// Name resolution through Winsock 1.1, started and stopped around each lookup.
class Win32NameService final : public platform::NameService {
  public:
    std::vector<std::array<std::uint8_t, 4>> Resolve(std::string_view hostName) override;
};

class Win32ProfileFiles final : public platform::ProfileFiles {
  public:
    std::uint32_t GetInt(std::u16string_view section, std::u16string_view key,
                         std::int32_t defaultValue, std::u16string_view path) override;
    std::uint32_t GetString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue, char16_t* buffer, std::uint32_t units,
                            std::u16string_view path) override;
};

class Win32SystemInfo final : public platform::SystemInfo {
  public:
    std::uint16_t UserDefaultLangId() const override { return GetUserDefaultLangID(); }
    std::uint16_t SystemDefaultLangId() const override { return GetSystemDefaultLangID(); }
    std::uint32_t WindowsMajorVersion() const override;
    std::uint32_t CurrentThreadId() const override { return GetCurrentThreadId(); }
    std::u16string SystemDirectory() const override;
    std::u16string ExpandEnvironment(std::u16string_view text) const override;
    std::u16string UserName(std::uint32_t units) const override;
    void SystemTime(std::uint16_t (&fields)[8]) const override;
    std::string ToAnsi(std::u16string_view text, std::size_t maxBytes) const override;
};

}  // namespace win32
