// The driver's side of its user-interface plug-in: the printer it works for, the plug-in
// named by the driver's own files, loaded the way the PostScript driver loads it, and a
// journal of the calls the spooler made on the driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/unique_any.h"
#include "plugin_host.h"

namespace hostsim {

inline void ClosePrinterHandle(HANDLE printer) { ClosePrinter(printer); }
using UniquePrinter = platform::UniqueAny<HANDLE, &ClosePrinterHandle>;

// The printer of one driver call: the handle the spooler lent, or (when it lent none, as
// Wine's DeviceCapabilitiesW and AddPrinterW do) one opened by name and closed with this.
class DriverPrinter {
  public:
    DriverPrinter(HANDLE lent, const wchar_t* name);
    HANDLE get() const { return lent_ != nullptr ? lent_ : owned_.get(); }
    const std::wstring& name() const { return name_; }
    explicit operator bool() const { return get() != nullptr; }

  private:
    HANDLE lent_;
    UniquePrinter owned_;
    std::wstring name_;
};

// The driver's dependent files as full paths (GetPrinterDriverW level 3).
std::vector<std::wstring> DependentFiles(HANDLE printer);

// The user-interface plug-in that the first [OEMFiles] section among the driver's .INI
// files names (OEMConfigFile1), as a full path beside that file; empty when none does.
// `folder` is prefixed to names without a path.
std::wstring FindPlugIn(const std::vector<std::wstring>& dependentFiles,
                        const std::wstring& folder = L"");

// The plug-in as the driver holds it for one call or one sheet: the DLL, its object and
// the driver interface published to it. Released in that order's reverse.
class DriverPlugIn {
  public:
    DriverPlugIn() = default;
    DriverPlugIn(const DriverPlugIn&) = delete;
    DriverPlugIn& operator=(const DriverPlugIn&) = delete;
    ~DriverPlugIn();

    // Loads the plug-in at `path` and creates its object; false (and no object) when the
    // DLL or its class is missing.
    bool Load(const std::wstring& path);
    // The plug-in of the printer's driver, when it names one.
    bool LoadFor(HANDLE printer) { return Load(FindPlugIn(DependentFiles(printer))); }
    host::IPrintOemUI* get() const { return plugIn_; }
    const std::wstring& path() const { return path_; }
    host::HRESULT created() const { return created_; }

  private:
    PluginLibrary library_;
    HostDriverUI driver_;
    host::IPrintOemUI* plugIn_ = nullptr;
    std::wstring path_;
    host::HRESULT created_ = host::kEFail;
};

// The host's journal: the last call of each driver entry point, one text per entry, kept
// under HKEY_CURRENT_USER so that a test or the demo can see what the spooler called.
void RecordCall(const wchar_t* entry, const std::wstring& text);
std::wstring RecordedCall(const wchar_t* entry);
void ClearRecordedCalls();

}  // namespace hostsim
