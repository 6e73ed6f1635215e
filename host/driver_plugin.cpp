#include "driver_plugin.h"

#include <winspool.h>

#include "platform/win32/owners.h"

namespace hostsim {
namespace {

const wchar_t kJournalKey[] = L"Software\\Corvel Host Simulator\\Calls";

bool EndsWithIni(const std::wstring& name) {
    return name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".INI") == 0;
}

}  // namespace

DriverPrinter::DriverPrinter(HANDLE lent, const wchar_t* name)
    : lent_(lent), name_(name != nullptr ? name : L"") {
    if (lent_ == nullptr && !name_.empty()) {
        HANDLE opened = nullptr;
        if (OpenPrinterW(name_.data(), &opened, nullptr)) owned_.reset(opened);
    }
}

std::vector<std::wstring> DependentFiles(HANDLE printer) {
    std::vector<std::wstring> files;
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed);
    if (needed == 0) return files;
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterDriverW(printer, nullptr, 3, buffer.data(), needed, &needed)) return files;
    const auto* driver = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    for (const wchar_t* name = driver->pDependentFiles; name != nullptr && *name != L'\0';
         name += wcslen(name) + 1) {
        files.emplace_back(name);
    }
    return files;
}

std::wstring FindPlugIn(const std::vector<std::wstring>& dependentFiles,
                        const std::wstring& folder) {
    for (const std::wstring& file : dependentFiles) {
        if (!EndsWithIni(file)) continue;
        const bool hasPath = file.find(L'\\') != std::wstring::npos;
        const std::wstring path = hasPath ? file : folder + file;
        wchar_t name[MAX_PATH] = {};
        GetPrivateProfileStringW(L"OEMFiles", L"OEMConfigFile1", L"", name, MAX_PATH, path.c_str());
        if (name[0] == L'\0') continue;
        return path.substr(0, path.rfind(L'\\') + 1) + name;
    }
    return L"";
}

DriverPlugIn::~DriverPlugIn() {
    if (plugIn_ != nullptr) plugIn_->Release();
}

bool DriverPlugIn::Load(const std::wstring& path) {
    path_ = path;
    if (path.empty() || !library_.Load(path.c_str())) return false;
    plugIn_ = library_.CreatePlugIn(&created_);
    if (plugIn_ == nullptr) return false;
    plugIn_->PublishDriverInterface(&driver_);
    return true;
}

void RecordCall(const wchar_t* entry, const std::wstring& text) {
    win32::UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kJournalKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key.get(), entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::wstring RecordedCall(const wchar_t* entry) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kJournalKey, entry, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return L"";
    }
    return text;
}

void ClearRecordedCalls() { RegDeleteKeyW(HKEY_CURRENT_USER, kJournalKey); }

}  // namespace hostsim
