#include "captured_port.h"

#include <winspool.h>

#include <vector>

namespace hostsim {
namespace {

const std::wstring kMonitorKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port";
constexpr wchar_t kSpoolerKey[] = L"Software\\Wine\\Printing\\Spooler";

bool SetText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG status =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// The Unix name Wine gives a Windows path; empty outside Wine.
std::wstring UnixName(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return {};
    char* name = toUnix(path.c_str());
    if (name == nullptr) return {};
    // Unix names are UTF-8.
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0), L'\0');
    if (!wide.empty())
        MultiByteToWideChar(CP_UTF8, 0, name, -1, wide.data(), static_cast<int>(wide.size()));
    HeapFree(GetProcessHeap(), 0, name);
    if (!wide.empty()) wide.pop_back();  // the terminator
    return wide;
}

}  // namespace

bool SetPrinterPort(const wchar_t* printerName, const wchar_t* port, std::wstring* oldPort) {
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName), &printer, &access)) return false;
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    bool done = false;
    if (needed != 0 && GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
        if (oldPort != nullptr) *oldPort = info->pPortName != nullptr ? info->pPortName : L"";
        info->pPortName = const_cast<wchar_t*>(port);
        info->pSecurityDescriptor = nullptr;
        done = SetPrinterW(printer, 2, buffer.data(), 0) != FALSE;
    }
    ClosePrinter(printer);
    return done;
}

CapturedPort::CapturedPort(std::wstring port, const std::wstring& address, std::wstring file)
    : port_(std::move(port)), file_(std::move(file)) {
    HKEY probe = nullptr;
    monitorExisted_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMonitorKey.c_str(), 0, KEY_READ, &probe) ==
                      ERROR_SUCCESS;
    if (probe != nullptr) RegCloseKey(probe);
    DeleteFileW(file_.c_str());
    const std::wstring unixName = UnixName(file_);
    if (unixName.empty()) {
        error_ = L"no Unix name for " + file_;
    } else if (!SetText(HKEY_CURRENT_USER, kSpoolerKey, port_.c_str(), unixName)) {
        error_ = L"cannot map the port in the spooler key";
    } else if (!SetText(HKEY_LOCAL_MACHINE, kMonitorKey + L"\\Ports\\" + port_, L"IPAddress",
                        address)) {
        error_ = L"cannot write the port's address";
    }
}

CapturedPort::~CapturedPort() {
    if (!attached_.empty()) SetPrinterPort(attached_.c_str(), oldPort_.c_str(), nullptr);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSpoolerKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, port_.c_str());
        RegCloseKey(key);
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kMonitorKey + L"\\Ports\\" + port_).c_str());
    if (!monitorExisted_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMonitorKey.c_str());
    DeleteFileW(file_.c_str());
}

bool CapturedPort::Attach(const wchar_t* printerName) {
    std::wstring old;
    if (!SetPrinterPort(printerName, port_.c_str(), &old)) return false;
    if (attached_.empty()) {
        attached_ = printerName;
        oldPort_ = old;
    }
    return true;
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read != 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

std::string CapturedPort::TakeJobs() {
    std::string bytes = FileBytes(file_);
    DeleteFileW(file_.c_str());
    return bytes;
}

}  // namespace hostsim
