// The Win32 adapters of the core's ports. They translate calls; they decide nothing.
#pragma once

#include <windows.h>

#include "platform/ports.h"
#include "platform/win32/unique_handle.h"

namespace win32 {

inline void CloseRegKey(HKEY key) { RegCloseKey(key); }
using UniqueRegKey = UniqueAny<HKEY, &CloseRegKey>;

inline void ReleaseActCtxHandle(HANDLE context) { ReleaseActCtx(context); }
// Held as null when absent; CreateActCtxW failure (INVALID_HANDLE_VALUE) is stored as null.
using UniqueActCtx = UniqueAny<HANDLE, &ReleaseActCtxHandle>;

inline const wchar_t* Wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

class Win32LastError final : public platform::LastError {
  public:
    void Set(std::uint32_t code) override { SetLastError(code); }
    std::uint32_t Get() const override { return GetLastError(); }
};

class Win32Registry final : public platform::Registry {
  public:
    std::unique_ptr<platform::RegistryKey> OpenCurrentUser(std::uint32_t access) override;
};

class Win32Module final : public platform::Module {
  public:
    // Records the module and creates the activation context from its manifest resource.
    void Attach(HMODULE module);
    // Releases the activation context.
    void Detach();
    void* Handle() const override { return module_; }
    void* ActivationContext() const override { return context_.get(); }

  private:
    HMODULE module_ = nullptr;
    UniqueActCtx context_;
};

// The process-wide platform handed to the plug-in objects.
class Win32Platform {
  public:
    Win32Platform();
    const platform::Platform& ports() const { return ports_; }
    Win32Module& module() { return module_; }

  private:
    Win32LastError lastError_;
    Win32Registry registry_;
    Win32Module module_;
    platform::Platform ports_;
};

}  // namespace win32
