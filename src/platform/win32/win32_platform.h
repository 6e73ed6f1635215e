// The Win32 adapters of the core's ports. They translate calls; they decide nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "platform/win32/owners.h"
#include "platform/win32/system_ports.h"
#include "plugin/spooler_memo.h"
#include "profile/profile_cache.h"

namespace win32 {

class Win32LastError final : public platform::LastError {
  public:
    void Set(std::uint32_t code) override { SetLastError(code); }
    std::uint32_t Get() const override { return GetLastError(); }
};

class Win32Module final : public platform::Module {
  public:
    // Records the module; nothing else happens under the loader lock.
    void Attach(HMODULE module) { module_ = module; }
    // Releases the activation context, when one was made.
    void Detach();
    void* Handle() const override { return module_; }
    // Made from the module's manifest (resource 2) on first use, once.
    void* ActivationContext() override;
    // Whether the context has been made (for tests of the load order).
    bool ContextMade() const { return context_.get() != nullptr; }
    std::u16string FilePath() const override;

  private:
    static BOOL CALLBACK MakeContext(INIT_ONCE* once, void* self, void** context);

    HMODULE module_ = nullptr;
    // The system's once-object, not std::once_flag: the thread library behind the latter
    // keeps a record of each thread that passes it, which outlives an unloaded plug-in.
    INIT_ONCE once_ = INIT_ONCE_STATIC_INIT;
    UniqueActCtx context_;
};

class Win32ModuleLoader final : public platform::ModuleLoader {
  public:
    std::unique_ptr<platform::LoadedModule> Load(std::u16string_view fullPath) override;
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
    std::uint32_t PortName(void* printer, std::u16string* port) override;
    std::uint32_t ReadForm(void* printer, std::u16string_view name, std::uint32_t* flags,
                           std::uint32_t* width, std::uint32_t* height) override;
    std::uint32_t PrinterName(void* printer, std::u16string* name) override;
};

class Win32RawJobs final : public platform::RawJobs {
  public:
    std::unique_ptr<platform::RawJob> Start(void* printer, std::u16string_view document,
                                            std::u16string_view outputFile,
                                            std::uint32_t* error) override;
};

// Files for the profile cache: whole files read with CreateFileW and ReadFile, stamps
// (size and last-write time) from GetFileInformationByHandle and GetFileAttributesExW, the
// clock from GetTickCount64.
class Win32StampedFiles final : public profile::StampedFileSource {
  public:
    std::optional<profile::FileStamp> Stamp(std::u16string_view path) override;
    std::optional<profile::StampedFile> Read(std::u16string_view path,
                                             std::size_t maxBytes) override;
    std::uint64_t Milliseconds() override { return GetTickCount64(); }
};

// Profile files as GetPrivateProfileIntW and GetPrivateProfileStringW read them, answered by
// the portable reader from the files the process keeps (profile::CachedProfileFiles): each
// file is read whole once and again only when its size or last-write time has changed,
// looked at no more than once per half second. Names are resolved as the platform resolves
// them: a bare file name lies in the Windows folder, a relative path in the current one.
class Win32CachedProfileFiles final : public platform::ProfileFiles {
  public:
    std::uint32_t GetInt(std::u16string_view section, std::u16string_view key,
                         std::int32_t defaultValue, std::u16string_view path) override;
    std::uint32_t GetString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue, char16_t* buffer, std::uint32_t units,
                            std::u16string_view path) override;

  private:
    Win32StampedFiles files_;
    profile::CachedProfileFiles cache_{files_};
};

// Pages are described with the plug-in's dialog procedure; each page keeps a binding (its
// presenter factory) from the moment it is handed to the host until the host releases the
// page. Bindings are tracked, so that a host that fails the addition after creating the page
// (and releasing it) never makes the plug-in free one twice.
class Win32SheetPages final : public platform::SheetPages {
  public:
    explicit Win32SheetPages(Win32Module& module) : module_(module) {}
    std::intptr_t AddPage(void* sheetFunction, void* sheet, int templateId,
                          std::u16string_view title, platform::PresenterFactory factory) override;

    // Ends a binding that is still live; false when it was ended already.
    bool EndBinding(void* binding);

  private:
    Win32Module& module_;
    std::mutex mutex_;
    std::set<void*> live_;
};

class Win32Dialogs final : public platform::Dialogs {
  public:
    explicit Win32Dialogs(Win32Module& module) : module_(module) {}
    std::intptr_t RunModal(int templateId, void* owner, ui::Presenter& presenter) override;
    int MessageBox(void* owner, std::u16string_view text, std::u16string_view caption,
                   std::uint32_t flags) override;

  private:
    Win32Module& module_;
};

class Win32Shell final : public platform::Shell {
  public:
    std::intptr_t Open(std::u16string_view address, int show) override;
    std::intptr_t OpenWith(std::u16string_view program, std::u16string_view parameter,
                           int show) override;
};

// Which adapter reads profile files: the cached one, or the platform's functions (for the
// benchmark's comparison only).
enum class ProfileReads { kCached, kPlatform };

// The adapters of the process, and the table of them handed to the process state.
class Win32Platform {
  public:
    explicit Win32Platform(ProfileReads reads = ProfileReads::kCached);
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;
    const platform::Platform& ports() const { return ports_; }
    Win32Module& module() { return module_; }

  private:
    Win32LastError lastError_;
    Win32Registry registry_;
    Win32Module module_;
    Win32ModuleLoader modules_;
    Win32Heap heap_;
    Win32Spooler spooler_;
    // The core's memo of the spooler's answers, over the spooler; the port the core uses.
    plugin::SpoolerMemo spoolerMemo_{spooler_, [] { return GetTickCount64(); }};
    Win32NameService names_;
    Win32RawJobs rawJobs_;
    Win32CachedProfileFiles profiles_;
    Win32ProfileFiles platformProfiles_;
    Win32SystemInfo system_;
    Win32SheetPages pages_{module_};
    Win32Dialogs dialogs_{module_};
    Win32Shell shell_;
    platform::Platform ports_;
};

}  // namespace win32
