// The Win32 adapters of the core's ports. They translate calls; they decide nothing.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/ports.h"
#include "platform/win32/unique_handle.h"

namespace win32 {

inline void CloseRegKey(HKEY key) { RegCloseKey(key); }
using UniqueRegKey = UniqueAny<HKEY, &CloseRegKey>;

inline void ReleaseActCtxHandle(HANDLE context) { ReleaseActCtx(context); }
// Held as null when absent; CreateActCtxW failure (INVALID_HANDLE_VALUE) is stored as null.
using UniqueActCtx = UniqueAny<HANDLE, &ReleaseActCtxHandle>;

// A terminated wide string of a UTF-16 view, for API calls that take one.
inline std::wstring WideString(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

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

class Win32Heap final : public platform::Heap {
  public:
    void* Alloc(void* heap, std::size_t bytes) override;
    void* ReAlloc(void* heap, void* block, std::size_t bytes) override;
    void Free(void* heap, void* block) override;
};

class Win32Spooler final : public platform::Spooler {
  public:
    std::uint32_t ReadDriverInfo(void* printer, std::uint32_t level, void* buffer,
                                 std::uint32_t bytes, std::uint32_t* needed) override;
    std::uint32_t DriverDirectory(char16_t* buffer, std::uint32_t units) override;
    std::uint32_t ReadPrinterData(void* printer, std::u16string_view name, std::uint32_t* type,
                                  void* data, std::uint32_t bytes, std::uint32_t* needed) override;
    std::uint32_t WritePrinterData(void* printer, std::u16string_view name, std::uint32_t type,
                                   const void* data, std::uint32_t bytes) override;
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
};

// The HTML Help control: found through its class key, else by name; loaded once per process
// and kept, or marked unavailable for good.
class Win32HelpService final : public platform::HelpService {
  public:
    void* HtmlHelp(void* owner, const char16_t* address, std::uint32_t command,
                   std::uintptr_t data) override;

  private:
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    enum class State { kNotLoaded, kLoaded, kUnavailable };
    State state_ = State::kNotLoaded;
    HtmlHelpFn entry_ = nullptr;
};

class Win32SheetPages final : public platform::SheetPages {
  public:
    explicit Win32SheetPages(const Win32Module& module) : module_(module) {}
    std::intptr_t AddTroublePage(void* sheetFunction, void* sheet, int templateId,
                                 std::u16string_view title, void* session) override;

  private:
    const Win32Module& module_;
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
    Win32Heap heap_;
    Win32Spooler spooler_;
    Win32ProfileFiles profiles_;
    Win32SystemInfo system_;
    Win32HelpService help_;
    Win32SheetPages pages_{module_};
    platform::Platform ports_;
};

}  // namespace win32
