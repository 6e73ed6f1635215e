// The plug-in object: the host's IPrintOemUI. Methods that answer by themselves live here;
// the others hand their work to the subsystem that owns it.
#pragma once

#include <atomic>

#include "plugin/host_interface.h"
#include "plugin/process_state.h"

namespace plugin {

class PlugInObject final : public host::IPrintOemUI {
  public:
    explicit PlugInObject(ProcessState& state);

    host::HRESULT HOST_CALL QueryInterface(const host::GUID& iid, void** object) override;
    host::ULONG HOST_CALL AddRef() override;
    host::ULONG HOST_CALL Release() override;

    host::HRESULT HOST_CALL GetInfo(host::DWORD mode, void* buffer, host::DWORD size,
                                    host::DWORD* needed) override;
    host::HRESULT HOST_CALL DevMode(host::DWORD mode, host::OEMDMPARAM* param) override;
    host::HRESULT HOST_CALL PublishDriverInterface(host::Unknown* unknown) override;
    host::HRESULT HOST_CALL CommonUIProp(host::DWORD mode, host::OEMCUIPPARAM* param) override;
    host::HRESULT HOST_CALL DocumentPropertySheets(host::PROPSHEETUI_INFO* info,
                                                   host::LPARAM lParam) override;
    host::HRESULT HOST_CALL DevicePropertySheets(host::PROPSHEETUI_INFO* info,
                                                 host::LPARAM lParam) override;
    host::HRESULT HOST_CALL DevQueryPrintEx(host::OEMUIOBJ* uiObject, void* queryInfo,
                                            host::DEVMODEW* publicDm, void* oemDm) override;
    host::HRESULT HOST_CALL DeviceCapabilities(host::OEMUIOBJ* uiObject, host::HANDLE printer,
                                               host::WCHAR* deviceName, host::WORD capability,
                                               void* output, host::DEVMODEW* publicDm, void* oemDm,
                                               host::DWORD oldResult, host::DWORD* result) override;
    host::HRESULT HOST_CALL UpgradePrinter(host::DWORD level, host::BYTE* upgradeInfo) override;
    host::HRESULT HOST_CALL PrinterEvent(host::WCHAR* printerName, int driverEvent,
                                         host::DWORD flags, host::LPARAM lParam) override;
    host::HRESULT HOST_CALL DriverEvent(host::DWORD driverEvent, host::DWORD level,
                                        host::BYTE* driverInfo, host::LPARAM lParam) override;
    host::HRESULT HOST_CALL QueryColorProfile(host::HANDLE printer, host::OEMUIOBJ* uiObject,
                                              host::DEVMODEW* publicDm, void* oemDm,
                                              host::ULONG queryMode, void* profileData,
                                              host::ULONG* profileSize,
                                              host::DWORD* profileFlags) override;
    host::HRESULT HOST_CALL FontInstallerDlgProc(void* window, std::uint32_t message,
                                                 std::uintptr_t wParam,
                                                 host::LPARAM lParam) override;
    host::HRESULT HOST_CALL UpdateExternalFonts(host::HANDLE printer, host::HANDLE heap,
                                                host::WCHAR* cartridges) override;

    // The host's driver interface published to this object, or null.
    host::IPrintOemDriverUI* driverHelper() const { return driverHelper_; }

  private:
    ~PlugInObject();

    host::HRESULT Fail(std::uint32_t lastError) const;

    ProcessState& state_;
    std::atomic<std::int32_t> refCount_{1};
    host::IPrintOemDriverUI* driverHelper_ = nullptr;
};

// The resolution list adjustment of DeviceCapabilities on the host's list of `count` pairs:
// with resolution300Index the last pair becomes 300x300, otherwise with quality300Index every
// pair whose x is 300 becomes 600x600. A count of 0 or GDI_ERROR (the failure answer of the
// driver's own query), or one whose list would not fit the address space, leaves the list
// alone.
void AdjustResolutionList(std::int32_t resolution300Index, std::int32_t quality300Index,
                          void* pairs, host::DWORD count);

}  // namespace plugin
