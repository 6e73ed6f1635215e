#include "platform/win32/win32_platform.h"

#include <prsht.h>
#include <shlwapi.h>
#include <winspool.h>

#include "platform/win32/dialog_host.h"
#include "plugin/host_interface.h"

#include <new>
#include <string>

namespace win32 {
namespace {

class Win32RegistryKey final : public platform::RegistryKey {
  public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}

    std::unique_ptr<platform::RegistryKey> Open(std::u16string_view subKey,
                                                std::uint32_t access) override {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(key_.get(), WideString(subKey).c_str(), 0, access, &opened) !=
            ERROR_SUCCESS) {
            return nullptr;
        }
        return Wrap(opened);
    }

    std::unique_ptr<platform::RegistryKey> Create(std::u16string_view subKey,
                                                  std::uint32_t access) override {
        HKEY created = nullptr;
        if (RegCreateKeyExW(key_.get(), WideString(subKey).c_str(), 0, nullptr, 0, access, nullptr,
                            &created, nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return Wrap(created);
    }

    long DeleteKey(std::u16string_view subKey) override {
        return RegDeleteKeyW(key_.get(), WideString(subKey).c_str());
    }

    long DeleteEmptyKey(std::u16string_view subKey) override {
        return static_cast<long>(SHDeleteEmptyKeyW(key_.get(), WideString(subKey).c_str()));
    }

    long QueryValue(std::u16string_view name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
        DWORD valueType = 0;
        DWORD bytes = size != nullptr ? *size : 0;
        const LONG status =
            RegQueryValueExW(key_.get(), WideString(name).c_str(), nullptr, &valueType,
                             static_cast<BYTE*>(data), size != nullptr ? &bytes : nullptr);
        if (type != nullptr) *type = valueType;
        if (size != nullptr) *size = bytes;
        return status;
    }

    long SetValue(std::u16string_view name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
        return RegSetValueExW(key_.get(), WideString(name).c_str(), 0, type,
                              static_cast<const BYTE*>(data), size);
    }

    // Hands an open key to a wrapper; the key is closed when no wrapper can be made.
    static std::unique_ptr<platform::RegistryKey> Wrap(HKEY key) {
        UniqueRegKey owner(key);
        auto wrapped = std::unique_ptr<platform::RegistryKey>(new (std::nothrow)
                                                                  Win32RegistryKey(owner.get()));
        if (wrapped) owner.release();
        return wrapped;
    }

  private:
    UniqueRegKey key_;
};

}  // namespace

std::unique_ptr<platform::RegistryKey> Win32Registry::OpenCurrentUser(std::uint32_t access) {
    HKEY key = nullptr;
    if (RegOpenCurrentUser(access, &key) != ERROR_SUCCESS) return nullptr;
    return Win32RegistryKey::Wrap(key);
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

void* Win32Heap::Alloc(void* heap, std::size_t bytes) {
    return HeapAlloc(heap != nullptr ? heap : GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void* Win32Heap::ReAlloc(void* heap, void* block, std::size_t bytes) {
    return HeapReAlloc(heap != nullptr ? heap : GetProcessHeap(), HEAP_ZERO_MEMORY, block, bytes);
}

void Win32Heap::Free(void* heap, void* block) {
    if (block != nullptr) HeapFree(heap != nullptr ? heap : GetProcessHeap(), 0, block);
}

std::uint32_t Win32Spooler::ReadDriverInfo(void* printer, std::uint32_t level, void* buffer,
                                           std::uint32_t bytes, std::uint32_t* needed) {
    DWORD need = 0;
    if (GetPrinterDriverW(printer, nullptr, level, static_cast<BYTE*>(buffer), bytes, &need)) {
        if (needed != nullptr) *needed = need;
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    if (needed != nullptr) *needed = need;
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

std::uint32_t Win32Spooler::DriverDirectory(char16_t* buffer, std::uint32_t units) {
    DWORD need = 0;
    if (GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(buffer),
                                   units * sizeof(char16_t), &need)) {
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

std::uint32_t Win32Spooler::ReadPrinterData(void* printer, std::u16string_view name,
                                            std::uint32_t* type, void* data, std::uint32_t bytes,
                                            std::uint32_t* needed) {
    DWORD valueType = 0;
    DWORD need = 0;
    const DWORD status = GetPrinterDataW(printer, const_cast<wchar_t*>(WideString(name).c_str()),
                                         &valueType, static_cast<BYTE*>(data), bytes, &need);
    if (type != nullptr) *type = valueType;
    if (needed != nullptr) *needed = need;
    return status;
}

std::uint32_t Win32Spooler::WritePrinterData(void* printer, std::u16string_view name,
                                             std::uint32_t type, const void* data,
                                             std::uint32_t bytes) {
    return SetPrinterDataW(printer, const_cast<wchar_t*>(WideString(name).c_str()), type,
                           static_cast<BYTE*>(const_cast<void*>(data)), bytes);
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

void* Win32HelpService::HtmlHelp(void* owner, const char16_t* address, std::uint32_t command,
                                 std::uintptr_t data) {
    if (state_ == State::kNotLoaded) {
        state_ = State::kUnavailable;
        HMODULE library = nullptr;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT,
                          "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                          KEY_READ, &key) == ERROR_SUCCESS) {
            UniqueRegKey keyOwner(key);
            char path[261] = {};
            DWORD size = 260;
            DWORD type = 0;
            if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path),
                                 &size) == ERROR_SUCCESS &&
                (type == REG_SZ || type == REG_EXPAND_SZ)) {
                path[size < 260 ? size : 260] = '\0';
                library = LoadLibraryA(path);
            }
        }
        if (library == nullptr) library = LoadLibraryA("hhctrl.ocx");
        if (library != nullptr) {
            // The wide-character help entry is exported by ordinal only.
            entry_ = reinterpret_cast<HtmlHelpFn>(
                reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(15))));
            if (entry_ != nullptr) state_ = State::kLoaded;
        }
    }
    if (state_ != State::kLoaded) return nullptr;
    return entry_(static_cast<HWND>(owner), reinterpret_cast<LPCWSTR>(address), command, data);
}

std::intptr_t Win32SheetPages::AddTroublePage(void* sheetFunction, void* sheet, int templateId,
                                              std::u16string_view title, void* session) {
    if (sheetFunction == nullptr) return 0;
    // The title must outlive the call only until the host has copied the description.
    const std::wstring caption(title.begin(), title.end());
    PROPSHEETPAGEW page = {};
    // The form that carries an activation context (52 bytes on x86).
    page.dwSize = offsetof(PROPSHEETPAGEW, hActCtx) + sizeof(page.hActCtx);
    page.dwFlags = PSP_USETITLE;
    page.hInstance = static_cast<HINSTANCE>(module_.Handle());
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    page.pfnDlgProc = TroublePageProc;
    page.pszTitle = caption.c_str();
    page.lParam = reinterpret_cast<LPARAM>(session);
    if (module_.ActivationContext() != nullptr) {
        page.dwFlags |= PSP_USEFUSIONCONTEXT;
        page.hActCtx = module_.ActivationContext();
    }
    const auto function = reinterpret_cast<host::PFNCOMPROPSHEET>(sheetFunction);
    return function(sheet, host::kCpsFuncAddPropSheetPageW, reinterpret_cast<host::LPARAM>(&page),
                    0);
}

Win32Platform::Win32Platform() {
    ports_.lastError = &lastError_;
    ports_.registry = &registry_;
    ports_.module = &module_;
    ports_.heap = &heap_;
    ports_.spooler = &spooler_;
    ports_.profiles = &profiles_;
    ports_.system = &system_;
    ports_.help = &help_;
    ports_.pages = &pages_;
    SetPagePlatform(&ports_);
}

}  // namespace win32
