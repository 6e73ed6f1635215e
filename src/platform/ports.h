// The ports through which the core reaches the operating system. The Win32 adapters in
// win32/ implement them with the real API; the native tests use the in-memory fakes in
// tests/fakes/. Nothing here includes a Windows header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace ui {
class Presenter;
}

namespace platform {

// The calling thread's last-error code (SetLastError / GetLastError).
class LastError {
  public:
    virtual ~LastError() = default;
    virtual void Set(std::uint32_t code) = 0;
    virtual std::uint32_t Get() const = 0;
};

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
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
    // stored (or needed, with kRegMoreData). data may be null to ask for the size. An empty
    // name is the key's default value.
    virtual long QueryValue(std::u16string_view name, std::uint32_t* type, void* data,
                            std::uint32_t* size) = 0;
    virtual long SetValue(std::u16string_view name, std::uint32_t type, const void* data,
                          std::uint32_t size) = 0;
};

enum class Hive {
    kCurrentUser,   // the calling user's hive (RegOpenCurrentUser)
    kClassesRoot,   // HKEY_CLASSES_ROOT
    kLocalMachine,  // HKEY_LOCAL_MACHINE
};

class Registry {
  public:
    virtual ~Registry() = default;
    // The root of a hive with the access asked for; null when access is refused.
    virtual std::unique_ptr<RegistryKey> OpenHive(Hive hive, std::uint32_t access) = 0;
};

// The plug-in's own module: its handle (for templates, bitmaps and its own path) and the
// activation context made from its manifest, inside which windows are created. The context
// is made on first use, once, and released when the module unloads.
class Module {
  public:
    virtual ~Module() = default;
    virtual void* Handle() const = 0;
    virtual void* ActivationContext() = 0;
    // The module's own full path (GetModuleFileNameW); empty when it does not fit the
    // platform's path limit or cannot be had.
    virtual std::u16string FilePath() const = 0;
};

// A library loaded by the plug-in, freed when the object goes away.
class LoadedModule {
  public:
    virtual ~LoadedModule() = default;
    // An export by name or by ordinal; null when the library has none.
    virtual void* Find(const char* name) = 0;
    virtual void* FindOrdinal(std::uint16_t ordinal) = 0;
};

class ModuleLoader {
  public:
    virtual ~ModuleLoader() = default;
    // Loads a library by its full path (its own folder is searched for what it needs);
    // null when it cannot be loaded.
    virtual std::unique_ptr<LoadedModule> Load(std::u16string_view fullPath) = 0;
};

// Blocks on a heap: the host's plug-in heap (hOEMHeap) when a handle is given, the
// process heap when the handle is null. Blocks come back zero-filled.
class Heap {
  public:
    virtual ~Heap() = default;
    virtual void* Alloc(void* heap, std::size_t bytes) = 0;
    // Grows or shrinks a block; null on failure, the old block then stays valid.
    virtual void* ReAlloc(void* heap, void* block, std::size_t bytes) = 0;
    virtual void Free(void* heap, void* block) = 0;
};

// The print spooler. Calls return the Win32 error code: 0 on success.
class Spooler {
  public:
    virtual ~Spooler() = default;
    // GetPrinterDriverW for the running environment; *needed gets the bytes needed.
    virtual std::uint32_t ReadDriverInfo(void* printer, std::uint32_t level, void* buffer,
                                         std::uint32_t bytes, std::uint32_t* needed) = 0;
    // GetPrinterDriverDirectoryW (local machine, running environment, level 1), into a
    // buffer of `units` UTF-16 units.
    virtual std::uint32_t DriverDirectory(char16_t* buffer, std::uint32_t units) = 0;
    // GetPrinterDataW / SetPrinterDataW.
    virtual std::uint32_t ReadPrinterData(void* printer, std::u16string_view name,
                                          std::uint32_t* type, void* data, std::uint32_t bytes,
                                          std::uint32_t* needed) = 0;
    virtual std::uint32_t WritePrinterData(void* printer, std::u16string_view name,
                                           std::uint32_t type, const void* data,
                                           std::uint32_t bytes) = 0;
    // The port of the printer (GetPrinterW level 2, pPortName); an error code, 0 with the
    // name in *port.
    virtual std::uint32_t PortName(void* printer, std::u16string* port) = 0;
    // A form of the spooler by name (GetFormW level 1, its buffer sized as EnumFormsW asks):
    // its flags (0 for a user-defined form) and size in thousandths of a millimetre. An
    // error code, 0 when the spooler knows the form.
    virtual std::uint32_t ReadForm(void* printer, std::u16string_view name, std::uint32_t* flags,
                                   std::uint32_t* width, std::uint32_t* height) = 0;
    // The printer's name (GetPrinterW level 4, pPrinterName); an error code, 0 with the name in
    // *name. A spooler that cannot tell answers kErrorNotSupported.
    virtual std::uint32_t PrinterName(void* /*printer*/, std::u16string* /*name*/) {
        return kErrorNotSupported;
    }
};

// Host names to IPv4 addresses (the sockets service's gethostbyname).
class NameService {
  public:
    virtual ~NameService() = default;
    // The addresses of an ANSI host name, in the order the name service lists them; empty
    // when the name cannot be resolved.
    virtual std::vector<std::array<std::uint8_t, 4>> Resolve(std::string_view hostName) = 0;
};

// A raw job in progress: its document and page are started; the object ends the page (when
// it was started) and the document whatever happens, and never closes the printer.
class RawJob {
  public:
    virtual ~RawJob() = default;
    // WritePrinter once: false with *written 0 when the spooler took nothing.
    virtual bool Write(const void* bytes, std::uint32_t length, std::uint32_t* written) = 0;
};

class RawJobs {
  public:
    virtual ~RawJobs() = default;
    // StartDocPrinterW (level 1, data type "RAW", no output file when `outputFile` is empty)
    // and StartPagePrinter on a borrowed printer handle. Null with *error set when the
    // document could not be started.
    virtual std::unique_ptr<RawJob> Start(void* printer, std::u16string_view document,
                                          std::u16string_view outputFile, std::uint32_t* error) = 0;
};

// Windows profile (INI) files, with the semantics of GetPrivateProfileIntW and
// GetPrivateProfileStringW.
class ProfileFiles {
  public:
    virtual ~ProfileFiles() = default;
    virtual std::uint32_t GetInt(std::u16string_view section, std::u16string_view key,
                                 std::int32_t defaultValue, std::u16string_view path) = 0;
    // Copies at most units - 1 characters and a terminator; returns the characters copied.
    virtual std::uint32_t GetString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view defaultValue, char16_t* buffer,
                                    std::uint32_t units, std::u16string_view path) = 0;
};

// Facts about the running system and the calling thread.
class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual std::uint16_t UserDefaultLangId() const = 0;
    virtual std::uint16_t SystemDefaultLangId() const = 0;
    virtual std::uint32_t WindowsMajorVersion() const = 0;
    virtual std::uint32_t CurrentThreadId() const = 0;
    // The system folder (GetSystemDirectoryW), without a trailing "\".
    virtual std::u16string SystemDirectory() const = 0;
    // ExpandEnvironmentStringsW; the text unchanged when it cannot be expanded.
    virtual std::u16string ExpandEnvironment(std::u16string_view text) const = 0;
    // GetUserNameW into a buffer of `units` characters with its terminator; empty when the
    // name does not fit or cannot be had.
    virtual std::u16string UserName(std::uint32_t units) const = 0;
    // GetSystemTime: year, month, day of week, day, hour, minute, second, milliseconds.
    virtual void SystemTime(std::uint16_t (&fields)[8]) const = 0;
    // A text in the system's ANSI code page (WideCharToMultiByte, CP_ACP), at most maxBytes
    // bytes without the terminator; characters the code page lacks become its default.
    virtual std::string ToAnsi(std::u16string_view text, std::size_t maxBytes) const = 0;
};

// The HTML Help control. Null answers when it cannot be had.
class HelpService {
  public:
    virtual ~HelpService() = default;
    // HtmlHelpW(owner, address, command, data); address may be null.
    virtual void* HtmlHelp(void* owner, const char16_t* address, std::uint32_t command,
                           std::uintptr_t data) = 0;
};

inline constexpr std::uint32_t kHhDisplayTopic = 0;
inline constexpr std::uint32_t kHhCloseAll = 18;

// The shell's handling of addresses (ShellExecuteW with the verb "open").
class Shell {
  public:
    virtual ~Shell() = default;
    // Opens a document or address; the shell's answer (above 32 on success).
    virtual std::intptr_t Open(std::u16string_view address, int show) = 0;
    // Starts a program with one parameter; the shell's answer.
    virtual std::intptr_t OpenWith(std::u16string_view program, std::u16string_view parameter,
                                   int show) = 0;
};

// Makes the presenter of a page when its window is created.
using PresenterFactory = std::function<std::unique_ptr<ui::Presenter>()>;

// Pages the plug-in adds to the host's property sheet.
class SheetPages {
  public:
    virtual ~SheetPages() = default;
    // Describes a page of the module's template `templateId` with `title` (the module and its
    // activation context, the plug-in's dialog procedure) and hands it to the host's sheet
    // function with CPSFUNC_ADD_PROPSHEETPAGEW. The factory makes the page's presenter when
    // the page window is created; it is kept until the host releases the page. Returns what
    // the host returned.
    virtual std::intptr_t AddPage(void* sheetFunction, void* sheet, int templateId,
                                  std::u16string_view title, PresenterFactory factory) = 0;
};

// Modal dialogs of the module's templates.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Runs the dialog inside the module's activation context with `presenter` receiving its
    // events; returns the dialog's result, -1 when it cannot be created.
    virtual std::intptr_t RunModal(int templateId, void* owner, ui::Presenter& presenter) = 0;
    // MessageBoxW over `owner` (a window of the host's, may be null); the button pressed.
    virtual int MessageBox(void* owner, std::u16string_view text, std::u16string_view caption,
                           std::uint32_t flags) = 0;
};

// Every port the core uses, handed to the plug-in object by the DLL (or by a test).
struct Platform {
    LastError* lastError = nullptr;
    Registry* registry = nullptr;
    Module* module = nullptr;
    ModuleLoader* modules = nullptr;
    Heap* heap = nullptr;
    Spooler* spooler = nullptr;
    NameService* names = nullptr;
    RawJobs* rawJobs = nullptr;
    ProfileFiles* profiles = nullptr;
    SystemInfo* system = nullptr;
    HelpService* help = nullptr;
    SheetPages* pages = nullptr;
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
};

}  // namespace platform
