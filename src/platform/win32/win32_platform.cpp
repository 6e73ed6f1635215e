#include "platform/win32/win32_platform.h"

#include <prsht.h>
#include <shellapi.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/dialog_host.h"
#include "plugin/host_interface.h"

namespace win32 {
namespace {

class Win32LoadedModule final : public platform::LoadedModule {
  public:
    explicit Win32LoadedModule(UniqueModule module) : module_(std::move(module)) {}
    void* Find(const char* name) override {
        return reinterpret_cast<void*>(GetProcAddress(module_.get(), name));
    }
    void* FindOrdinal(std::uint16_t ordinal) override {
        return reinterpret_cast<void*>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(ordinal)));
    }

  private:
    UniqueModule module_;
};

// A raw job: the document is started; the page when pageStarted. Both are ended with it.
class Win32RawJob final : public platform::RawJob {
  public:
    Win32RawJob(HANDLE printer, bool pageStarted) : printer_(printer), page_(pageStarted) {}
    Win32RawJob(const Win32RawJob&) = delete;
    Win32RawJob& operator=(const Win32RawJob&) = delete;
    ~Win32RawJob() override {
        if (page_) EndPagePrinter(printer_);
        EndDocPrinter(printer_);
    }
    bool Write(const void* bytes, std::uint32_t length, std::uint32_t* written) override {
        DWORD done = 0;
        const BOOL ok = WritePrinter(printer_, const_cast<void*>(bytes), length, &done);
        if (written != nullptr) *written = ok ? done : 0;
        return ok && done != 0;
    }

  private:
    HANDLE printer_;
    bool page_;
};

}  // namespace

BOOL CALLBACK Win32Module::MakeContext(INIT_ONCE*, void* self, void**) {
    auto& module = *static_cast<Win32Module*>(self);
    if (module.module_ == nullptr) return TRUE;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module.module_, path, MAX_PATH);
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = module.module_;
    request.lpResourceName = MAKEINTRESOURCEW(2);
    request.lpSource = path;
    const HANDLE context = CreateActCtxW(&request);
    module.context_.reset(context == INVALID_HANDLE_VALUE ? nullptr : context);
    return TRUE;
}

void* Win32Module::ActivationContext() {
    InitOnceExecuteOnce(&once_, &Win32Module::MakeContext, this, nullptr);
    return context_.get();
}

std::u16string Win32Module::FilePath() const {
    if (module_ == nullptr) return {};
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module_, path, MAX_PATH);
    // A path that filled the buffer was cut: it names another file.
    if (length == 0 || length >= MAX_PATH) return {};
    return std::u16string(path, path + length);
}

void Win32Module::Detach() {
    context_.reset();
    module_ = nullptr;
}

std::unique_ptr<platform::LoadedModule> Win32ModuleLoader::Load(std::u16string_view fullPath) {
    if (fullPath.empty()) return nullptr;
    // The library's own folder is searched for what it needs, never the host program's.
    UniqueModule module(
        LoadLibraryExW(WideString(fullPath).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return nullptr;
    return std::make_unique<Win32LoadedModule>(std::move(module));
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

std::uint32_t Win32Spooler::PortName(void* printer, std::u16string* port) {
    if (port == nullptr) return ERROR_INVALID_PARAMETER;
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed == 0 || needed > (1u << 20)) return ERROR_INVALID_DATA;
    std::vector<unsigned char> buffer(needed);
    if (!GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        // A failure without an error code must not read as success with no name.
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    if (info->pPortName == nullptr) return ERROR_INVALID_DATA;
    // The strings lie inside the buffer; never read past its end.
    const auto* begin = reinterpret_cast<const wchar_t*>(buffer.data());
    const auto* end = begin + buffer.size() / sizeof(wchar_t);
    const wchar_t* name = info->pPortName;
    if (name < begin || name >= end) return ERROR_INVALID_DATA;
    const std::size_t units = wcsnlen(name, static_cast<std::size_t>(end - name));
    port->assign(name, name + units);
    return ERROR_SUCCESS;
}

std::uint32_t Win32Spooler::ReadForm(void* printer, std::u16string_view name, std::uint32_t* flags,
                                     std::uint32_t* width, std::uint32_t* height) {
    // The size the whole list of forms needs is enough for any one of them.
    DWORD needed = 0;
    DWORD returned = 0;
    EnumFormsW(printer, 1, nullptr, 0, &needed, &returned);
    if (needed < sizeof(FORM_INFO_1W) || needed > (1u << 20)) needed = 4096;
    std::vector<unsigned char> buffer(needed);
    const std::wstring form = WideString(name);
    if (!GetFormW(printer, const_cast<wchar_t*>(form.c_str()), 1, buffer.data(), needed, &needed)) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_INVALID_FORM_NAME;
    }
    const auto* info = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    if (flags != nullptr) *flags = info->Flags;
    if (width != nullptr) *width = static_cast<std::uint32_t>(info->Size.cx);
    if (height != nullptr) *height = static_cast<std::uint32_t>(info->Size.cy);
    return ERROR_SUCCESS;
}

std::uint32_t Win32Spooler::PrinterName(void* printer, std::u16string* name) {
    if (name == nullptr) return ERROR_INVALID_PARAMETER;
    // Level 4 is the cheapest level that names the printer; one call does for any name that
    // fits the buffer on the stack.
    alignas(PRINTER_INFO_4W) unsigned char small[512];
    std::vector<unsigned char> large;
    unsigned char* buffer = small;
    DWORD size = sizeof small;
    DWORD needed = 0;
    if (!GetPrinterW(printer, 4, buffer, size, &needed)) {
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= size || needed > (1u << 16)) {
            return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
        }
        large.resize(needed);
        buffer = large.data();
        size = needed;
        if (!GetPrinterW(printer, 4, buffer, size, &needed)) {
            const DWORD again = GetLastError();
            return again != ERROR_SUCCESS ? again : ERROR_GEN_FAILURE;
        }
    }
    PRINTER_INFO_4W info;
    std::memcpy(&info, buffer, sizeof info);
    // The name lies inside the buffer; never read past its end.
    const auto* begin = reinterpret_cast<const wchar_t*>(buffer);
    const auto* end = begin + size / sizeof(wchar_t);
    const wchar_t* text = info.pPrinterName;
    if (text == nullptr || text < begin || text >= end) return ERROR_INVALID_DATA;
    name->assign(text, text + wcsnlen(text, static_cast<std::size_t>(end - text)));
    return ERROR_SUCCESS;
}

std::unique_ptr<platform::RawJob> Win32RawJobs::Start(void* printer, std::u16string_view document,
                                                      std::u16string_view outputFile,
                                                      std::uint32_t* error) {
    std::wstring name = WideString(document);
    std::wstring output = WideString(outputFile);
    wchar_t raw[] = L"RAW";
    DOC_INFO_1W info = {};
    info.pDocName = name.data();
    info.pOutputFile = output.empty() ? nullptr : output.data();
    info.pDatatype = raw;
    if (StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&info)) == 0) {
        if (error != nullptr) *error = GetLastError();
        return nullptr;
    }
    // From here on the owner ends the document on every path.
    const bool page = StartPagePrinter(printer) != FALSE;
    auto job = std::unique_ptr<platform::RawJob>(new (std::nothrow) Win32RawJob(printer, page));
    if (job == nullptr) {
        if (page) EndPagePrinter(printer);
        EndDocPrinter(printer);
        if (error != nullptr) *error = ERROR_NOT_ENOUGH_MEMORY;
    }
    return job;
}

namespace {

profile::FileStamp StampOf(DWORD sizeHigh, DWORD sizeLow, FILETIME written) {
    return {(std::uint64_t{sizeHigh} << 32) | sizeLow,
            (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime};
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The file the platform's profile functions read for `path` (taken up to its first null):
// a name without a folder lies in the Windows folder; a relative path is made full now, so
// that one cache entry never stands for two files when the current folder changes. Empty
// when the path is full already, as it is for every model file.
std::u16string FullProfilePath(std::u16string_view path) {
    if (std::find_if(path.begin(), path.end(), IsSeparator) == path.end()) {
        wchar_t folder[MAX_PATH + 1] = {};
        const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return {};
        std::u16string full(folder, folder + length);
        if (full.back() != u'\\') full += u'\\';
        return full.append(path);
    }
    const bool drive = path.size() >= 3 && path[1] == u':' && IsSeparator(path[2]);
    const bool network = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    if (drive || network) return {};
    const std::wstring relative = WideString(path);
    const DWORD needed = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
    if (needed == 0 || needed > 32768) return {};
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(relative.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return {};
    return std::u16string(full.begin(), full.begin() + length);
}

std::u16string_view UpToNull(std::u16string_view s) { return s.substr(0, s.find(u'\0')); }

}  // namespace

std::optional<profile::FileStamp> Win32StampedFiles::Stamp(std::u16string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WideString(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    // A folder is no profile: it reads as a missing file.
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
    return StampOf(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}

std::optional<profile::StampedFile> Win32StampedFiles::Read(std::u16string_view path,
                                                            std::size_t maxBytes) {
    // Others may go on writing, renaming or deleting the file while it is read.
    const HANDLE opened = CreateFileW(WideString(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    UniqueFile file(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    if (!file) return std::nullopt;
    // The stamp is taken before the bytes: a write that lands while they are read changes
    // the stamp, and the next look reads the file again.
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    const profile::FileStamp stamp =
        StampOf(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
    if (stamp.size > maxBytes) return std::nullopt;
    profile::StampedFile result{stamp, std::string(static_cast<std::size_t>(stamp.size), '\0')};
    std::size_t got = 0;
    while (got < result.bytes.size()) {
        const DWORD want = static_cast<DWORD>(
            std::min<std::size_t>(result.bytes.size() - got, std::size_t{1} << 20));
        DWORD chunk = 0;
        if (!ReadFile(file.get(), result.bytes.data() + got, want, &chunk, nullptr)) {
            return std::nullopt;
        }
        if (chunk == 0) break;  // the file was cut short meanwhile
        got += chunk;
    }
    result.bytes.resize(got);
    return result;
}

std::uint32_t Win32CachedProfileFiles::GetInt(std::u16string_view section, std::u16string_view key,
                                              std::int32_t defaultValue, std::u16string_view path) {
    path = UpToNull(path);
    const std::u16string full = FullProfilePath(path);
    return cache_.GetInt(section, key, defaultValue, full.empty() ? path : full);
}

std::uint32_t Win32CachedProfileFiles::GetString(std::u16string_view section,
                                                 std::u16string_view key,
                                                 std::u16string_view defaultValue, char16_t* buffer,
                                                 std::uint32_t units, std::u16string_view path) {
    if (buffer == nullptr || units == 0) return 0;
    path = UpToNull(path);
    const std::u16string full = FullProfilePath(path);
    return cache_.GetString(section, key, defaultValue, buffer, units, full.empty() ? path : full);
}

std::intptr_t Win32SheetPages::AddPage(void* sheetFunction, void* sheet, int templateId,
                                       std::u16string_view title,
                                       platform::PresenterFactory factory) {
    if (sheetFunction == nullptr) return 0;
    auto binding = std::make_unique<DialogBinding>();
    binding->factory = std::move(factory);
    binding->pages = this;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        live_.insert(binding.get());
    }
    DialogBinding* held = binding.release();

    // The title must outlive the call only until the host has copied the description.
    const std::wstring caption = WideString(title);
    PROPSHEETPAGEW page = {};
    // The form that carries an activation context (52 bytes on x86).
    page.dwSize = offsetof(PROPSHEETPAGEW, hActCtx) + sizeof(page.hActCtx);
    page.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
    page.hInstance = static_cast<HINSTANCE>(module_.Handle());
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    page.pfnDlgProc = PresenterDialogProc;
    page.pszTitle = caption.c_str();
    page.lParam = reinterpret_cast<LPARAM>(held);
    page.pfnCallback = PresenterPageCallback;
    if (void* context = module_.ActivationContext()) {
        page.dwFlags |= PSP_USEFUSIONCONTEXT;
        page.hActCtx = context;
    }
    const auto function = reinterpret_cast<host::PFNCOMPROPSHEET>(sheetFunction);
    const std::intptr_t added =
        function(sheet, host::kCpsFuncAddPropSheetPageW, reinterpret_cast<host::LPARAM>(&page), 0);
    // A page the host did not take will never be released by it.
    if (added == 0) EndBinding(held);
    return added;
}

bool Win32SheetPages::EndBinding(void* binding) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (live_.erase(binding) == 0) return false;
    }
    delete static_cast<DialogBinding*>(binding);
    return true;
}

std::intptr_t Win32Dialogs::RunModal(int templateId, void* owner, ui::Presenter& presenter) {
    return RunPresenterDialog(static_cast<HMODULE>(module_.Handle()), module_.ActivationContext(),
                              templateId, static_cast<HWND>(owner), presenter);
}

int Win32Dialogs::MessageBox(void* owner, std::u16string_view text, std::u16string_view caption,
                             std::uint32_t flags) {
    return MessageBoxW(static_cast<HWND>(owner), WideString(text).c_str(),
                       WideString(caption).c_str(), flags);
}

std::intptr_t Win32Shell::Open(std::u16string_view address, int show) {
    const std::wstring target = WideString(address);
    return reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, show));
}

std::intptr_t Win32Shell::OpenWith(std::u16string_view program, std::u16string_view parameter,
                                   int show) {
    const std::wstring file = WideString(program);
    const std::wstring argument = WideString(parameter);
    return reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", file.c_str(), argument.c_str(), nullptr, show));
}

Win32Platform::Win32Platform(ProfileReads reads) {
    ports_.lastError = &lastError_;
    ports_.registry = &registry_;
    ports_.module = &module_;
    ports_.modules = &modules_;
    ports_.heap = &heap_;
    ports_.spooler = &spoolerMemo_;
    ports_.names = &names_;
    ports_.rawJobs = &rawJobs_;
    ports_.profiles = reads == ProfileReads::kPlatform
                          ? static_cast<platform::ProfileFiles*>(&platformProfiles_)
                          : &profiles_;
    ports_.system = &system_;
    ports_.pages = &pages_;
    ports_.dialogs = &dialogs_;
    ports_.shell = &shell_;
}

}  // namespace win32
