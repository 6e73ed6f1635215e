#include "model_install.h"

#include <winspool.h>

namespace hostsim {
namespace {

const wchar_t kSnmpModule[] = L"CVLN.DLL";

// Names every file of the models folder that belongs to the model: those whose name
// starts with the data file's base.
std::vector<std::wstring> ModelFiles(const ModelSpec& model) {
    std::wstring base = model.dataFile;
    base = base.substr(0, base.find(L'.'));
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = ModelsFolder() + L"\\" + base + L"*";
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

// The folder of the running program, where the build puts the plug-in, its SNMP module
// and the host's configuration DLL.
std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

// Copies a file unless the copy there already has its size and write time (a loaded DLL
// cannot be overwritten, and an unchanged one need not be).
bool CopyIfChanged(const std::wstring& from, const std::wstring& to) {
    WIN32_FILE_ATTRIBUTE_DATA source, target;
    if (!GetFileAttributesExW(from.c_str(), GetFileExInfoStandard, &source)) return false;
    if (GetFileAttributesExW(to.c_str(), GetFileExInfoStandard, &target) &&
        source.nFileSizeLow == target.nFileSizeLow &&
        source.nFileSizeHigh == target.nFileSizeHigh &&
        CompareFileTime(&source.ftLastWriteTime, &target.ftLastWriteTime) == 0) {
        return true;
    }
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

// Any file will do for the driver's rendering module: the spooler only records its name.
bool PlaceholderFile(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace

const std::vector<ModelSpec>& SampleModels() {
    static const std::vector<ModelSpec> models = {
        {L"Talen ColorPrint C5", L"Talen ColorPrint C5 PS", L"CVLC5.PPD"},
        {L"Vantora Mono M2", L"Vantora Mono M2 PS", L"CVLM2.PPD"},
    };
    return models;
}

const ModelSpec* FindModel(const std::wstring& printerName) {
    for (const ModelSpec& model : SampleModels()) {
        if (printerName == model.printerName) return &model;
    }
    return nullptr;
}

std::wstring ModelsFolder() { return MODELS_FOLDER; }

std::wstring DriverFolder3() {
    wchar_t folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                    sizeof folder, &needed)) {
        return L"";
    }
    return std::wstring(folder) + L"\\3\\";
}

namespace {

bool Fail(const std::wstring& what, std::wstring* error) {
    if (error != nullptr) *error = what + L" (error " + std::to_wstring(GetLastError()) + L")";
    return false;
}

// Adds the driver of a model whose files lie in the driver folder, and its printer.
bool AddDriverAndPrinter(const ModelSpec& model, const std::vector<std::wstring>& files,
                         std::wstring* error) {
    auto fail = [&](const std::wstring& what) { return Fail(what, error); };
    const std::wstring folder = DriverFolder3();
    if (!PlaceholderFile(folder + L"PSCRIPT5.DLL")) {
        return fail(L"cannot create the driver's rendering module");
    }
    // The configuration module is the host's own DLL; the plug-in and its SNMP module lie
    // beside it among the driver's files, as a driver package installs them.
    for (const wchar_t* module : {kConfigFile, PLUGIN_DLL_NAME, kSnmpModule}) {
        if (!CopyIfChanged(ProgramFolder() + module, folder + module)) {
            return fail(std::wstring(L"cannot copy ") + module + L" into the driver directory");
        }
    }

    // Dependent files: a list of names, each terminated, ending with an empty name.
    std::wstring dependent;
    for (const std::wstring& name : files) dependent += name + L'\0';
    for (const wchar_t* module : {PLUGIN_DLL_NAME, kSnmpModule}) {
        dependent += std::wstring(module) + L'\0';
    }
    dependent += L'\0';

    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(model.driverName);
    driver.pDriverPath = const_cast<wchar_t*>(L"PSCRIPT5.DLL");
    driver.pDataFile = const_cast<wchar_t*>(model.dataFile);
    driver.pConfigFile = const_cast<wchar_t*>(kConfigFile);
    driver.pDependentFiles = dependent.data();
    driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
    if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
        return fail(L"AddPrinterDriverW");
    }

    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = const_cast<wchar_t*>(model.printerName);
    printer.pPortName = const_cast<wchar_t*>(model.portName);
    printer.pDriverName = const_cast<wchar_t*>(model.driverName);
    printer.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
    printer.pDatatype = const_cast<wchar_t*>(L"RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (added != nullptr) {
        ClosePrinter(added);
    } else if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        return fail(L"AddPrinterW");
    }
    return true;
}

}  // namespace

bool InstallModel(const ModelSpec& model, std::wstring* error) {
    const std::wstring folder = DriverFolder3();
    if (folder.empty()) return Fail(L"no driver directory", error);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::wstring> files = ModelFiles(model);
    if (files.empty()) return Fail(L"no model files for " + std::wstring(model.dataFile), error);
    for (const std::wstring& name : files) {
        const std::wstring from = ModelsFolder() + L"\\" + name;
        if (!CopyFileW(from.c_str(), (folder + name).c_str(), FALSE)) {
            return Fail(L"cannot copy " + from, error);
        }
    }
    return AddDriverAndPrinter(model, files, error);
}

bool InstallMadeUpModel(const ModelSpec& model, const std::vector<ModelFile>& files,
                        std::wstring* error) {
    const std::wstring folder = DriverFolder3();
    if (folder.empty()) return Fail(L"no driver directory", error);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::wstring> names;
    for (const ModelFile& file : files) {
        HANDLE handle = CreateFileW((folder + file.name).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return Fail(L"cannot write " + file.name, error);
        DWORD written = 0;
        const BOOL ok = WriteFile(handle, file.bytes.data(), static_cast<DWORD>(file.bytes.size()),
                                  &written, nullptr);
        CloseHandle(handle);
        if (!ok || written != file.bytes.size()) return Fail(L"cannot write " + file.name, error);
        names.push_back(file.name);
    }
    return AddDriverAndPrinter(model, names, error);
}

bool AddStandardTcpIpPort(const wchar_t* port, const wchar_t* address, const wchar_t* community,
                          DWORD snmpEnabled) {
    const std::wstring path =
        std::wstring(
            L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\"
            L"Ports\\") +
        port;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    auto text = [&](const wchar_t* name, const wchar_t* value) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                              static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
    };
    const bool ok = text(L"IPAddress", address) && text(L"HostName", L"") &&
                    text(L"SNMP Community", community) &&
                    RegSetValueExW(key, L"SNMP Enabled", 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&snmpEnabled),
                                   sizeof snmpEnabled) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool RemovePrinter(const wchar_t* printerName) {
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName), &printer, &access)) {
        return GetLastError() == ERROR_INVALID_PRINTER_NAME;
    }
    const BOOL deleted = DeletePrinter(printer);
    ClosePrinter(printer);
    return deleted != FALSE;
}

bool StoreLanguageCode(const wchar_t* printerName, const wchar_t* code) {
    const std::wstring path = std::wstring(L"Software\\Corvel\\") + printerName;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG status =
        RegSetValueExW(key, L"DrvCntCode", 0, REG_SZ, reinterpret_cast<const BYTE*>(code),
                       static_cast<DWORD>((wcslen(code) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

OpenedPrinter::OpenedPrinter(const wchar_t* name) {
    if (!OpenPrinterW(const_cast<wchar_t*>(name), &handle_, nullptr)) handle_ = nullptr;
}

OpenedPrinter::~OpenedPrinter() {
    if (handle_ != nullptr) ClosePrinter(handle_);
}

}  // namespace hostsim
