// The ports through which the core reaches the operating system. The Win32 adapters in
// win32/ implement them with the real API; the native tests use the in-memory fakes in
// tests/fakes/. Nothing here includes a Windows header.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {

// The calling thread's last-error code (SetLastError / GetLastError).
class LastError {
  public:
    virtual ~LastError() = default;
    virtual void Set(std::uint32_t code) = 0;
    virtual std::uint32_t Get() const = 0;
};

// Win32 registry status codes the core looks at.
inline constexpr long kRegSuccess = 0;
inline constexpr long kRegFileNotFound = 2;
inline constexpr long kRegMoreData = 234;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// One open registry key. Closing happens when the object goes away.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;
    // Opens an existing sub-key; null when it is missing or access is refused.
    virtual std::unique_ptr<RegistryKey> Open(std::u16string_view subKey, std::uint32_t access) = 0;
    // Opens a sub-key, creating it (and its parents) when missing.
    virtual std::unique_ptr<RegistryKey> Create(std::u16string_view subKey,
                                                std::uint32_t access) = 0;
    // Deletes a sub-key that has no sub-keys of its own (RegDeleteKeyW).
    virtual long DeleteKey(std::u16string_view subKey) = 0;
    // Deletes a sub-key only when it has neither sub-keys nor values (SHDeleteEmptyKeyW).
    virtual long DeleteEmptyKey(std::u16string_view subKey) = 0;
    // RegQueryValueExW: on entry *size is the buffer size in bytes, on return the bytes
    // stored (or needed, with kRegMoreData). data may be null to ask for the size.
    virtual long QueryValue(std::u16string_view name, std::uint32_t* type, void* data,
                            std::uint32_t* size) = 0;
    virtual long SetValue(std::u16string_view name, std::uint32_t type, const void* data,
                          std::uint32_t size) = 0;
};

class Registry {
  public:
    virtual ~Registry() = default;
    // The calling user's hive (RegOpenCurrentUser); null when access is refused.
    virtual std::unique_ptr<RegistryKey> OpenCurrentUser(std::uint32_t access) = 0;
};

// The plug-in's own module: its handle (for templates, bitmaps and its own path) and the
// activation context created from its manifest, inside which windows are created.
class Module {
  public:
    virtual ~Module() = default;
    virtual void* Handle() const = 0;
    virtual void* ActivationContext() const = 0;
};

// Every port the core uses, handed to the plug-in object by the DLL (or by a test).
struct Platform {
    LastError* lastError = nullptr;
    Registry* registry = nullptr;
    Module* module = nullptr;
};

}  // namespace platform
