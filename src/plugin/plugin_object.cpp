#include "plugin/plugin_object.h"

#include <cstring>
#include <limits>
#include <new>

#include "devmode/devmode_handler.h"
#include "plugin/device_capabilities.h"
#include "plugin/driver_event.h"
#include "plugin/spooler_memo.h"
#include "tree/tree_entry.h"
#include "ui/property_sheets.h"

namespace plugin {
namespace {

constexpr host::DWORD kSignature = 0x4D534654;  // 'MSFT', also carried by the private record
constexpr host::DWORD kPlugInVersion = 1;
constexpr char16_t kColorProfileName[] = u"OEMPROFILE.icm";
constexpr host::ULONG kColorProfileReportedSize = 32;

// Runs a method body so that no exception ever reaches the host.
template <class Body>
host::HRESULT NoThrow(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return host::kEOutOfMemory;
    } catch (...) {
        return host::kEFail;
    }
}

// The printer of a sheet being started, named by the host; other reasons name none.
PrinterScope SheetPrinter(const host::PROPSHEETUI_INFO& info) {
    const auto* param = reinterpret_cast<const host::OEMUIPSPARAM*>(info.lParamInit);
    if (info.Reason != host::kPropSheetUiReasonInit || param == nullptr) {
        return PrinterScope(nullptr);
    }
    return PrinterScope(param->hPrinter, param->pPrinterName);
}

}  // namespace

PlugInObject::PlugInObject(ProcessState& state) : state_(state) { ++state_.objectCount; }

PlugInObject::~PlugInObject() {
    if (driverHelper_ != nullptr) driverHelper_->Release();
    --state_.objectCount;
}

host::HRESULT PlugInObject::Fail(std::uint32_t lastError) const {
    if (state_.ports().lastError != nullptr) state_.ports().lastError->Set(lastError);
    return host::kEFail;
}

host::HRESULT PlugInObject::QueryInterface(const host::GUID& iid, void** object) {
    if (object == nullptr) return host::kEPointer;
    if (iid == host::kIidUnknown || iid == host::kIidPrintOemUI) {
        *object = static_cast<host::IPrintOemUI*>(this);
        AddRef();
        return host::kSOk;
    }
    *object = nullptr;
    return host::kENoInterface;
}

host::ULONG PlugInObject::AddRef() { return static_cast<host::ULONG>(++refCount_); }

host::ULONG PlugInObject::Release() {
    const std::int32_t count = --refCount_;
    if (count == 0) delete this;
    return static_cast<host::ULONG>(count);
}

host::HRESULT PlugInObject::GetInfo(host::DWORD mode, void* buffer, host::DWORD size,
                                    host::DWORD* needed) {
    if (needed == nullptr || (mode != host::kOemGiGetSignature && mode != host::kOemGiGetVersion &&
                              mode != host::kOemGiGetPublisherInfo)) {
        return Fail(platform::kErrorInvalidParameter);
    }
    *needed = sizeof(host::DWORD);
    if (size < sizeof(host::DWORD) || buffer == nullptr) {
        return Fail(platform::kErrorInsufficientBuffer);
    }
    host::DWORD value = 0;
    switch (mode) {
        case host::kOemGiGetSignature:
            value = kSignature;
            break;
        case host::kOemGiGetVersion:
            value = kPlugInVersion;
            break;
        default:
            *needed = 0;
            return Fail(platform::kErrorNotSupported);
    }
    std::memcpy(buffer, &value, sizeof value);
    return host::kSOk;
}

host::HRESULT PlugInObject::DevMode(host::DWORD mode, host::OEMDMPARAM* param) {
    return NoThrow([&] {
        if (param == nullptr || mode < host::kOemDmSize || mode > host::kOemDmMerge) {
            return Fail(platform::kErrorInvalidParameter);
        }
        // The printer is named by the spooler, once, should the record need the model.
        const PrinterScope printer(param->hPrinter);
        devmode::HandleDevMode(state_.ports(), mode, *param);
        return host::kSOk;
    });
}

host::HRESULT PlugInObject::PublishDriverInterface(host::Unknown* unknown) {
    if (driverHelper_ != nullptr) return host::kSOk;
    if (unknown == nullptr) return host::kEFail;
    void* helper = nullptr;
    const host::HRESULT hr = unknown->QueryInterface(host::kIidPrintOemDriverUI, &helper);
    if (hr != host::kSOk || helper == nullptr) {
        driverHelper_ = nullptr;
        return host::kEFail;
    }
    driverHelper_ = static_cast<host::IPrintOemDriverUI*>(helper);
    return host::kSOk;
}

host::HRESULT PlugInObject::CommonUIProp(host::DWORD mode, host::OEMCUIPPARAM* param) {
    return NoThrow([&] {
        if (mode != host::kOemCuipDocProp && mode != host::kOemCuipPrnProp) {
            return Fail(platform::kErrorInvalidParameter);
        }
        // Tree requests always answer S_OK; a missing parameter block just offers nothing.
        if (param == nullptr) return host::kSOk;
        const PrinterScope printer(param->hPrinter, param->pPrinterName);
        if (mode == host::kOemCuipDocProp) {
            tree::DocumentTree(state_, driverHelper_, *param);
        } else {
            tree::PrinterTree(state_, driverHelper_, *param);
        }
        return host::kSOk;
    });
}

host::HRESULT PlugInObject::DocumentPropertySheets(host::PROPSHEETUI_INFO* info,
                                                   host::LPARAM lParam) {
    return NoThrow([&] {
        if (info == nullptr || info->Version != host::kPropSheetUiInfoVersion) {
            return Fail(platform::kErrorInvalidParameter);
        }
        const PrinterScope printer = SheetPrinter(*info);
        return ui::DocumentPropertySheets(state_, driverHelper_, *info, lParam);
    });
}

host::HRESULT PlugInObject::DevicePropertySheets(host::PROPSHEETUI_INFO* info,
                                                 host::LPARAM lParam) {
    return NoThrow([&] {
        if (info == nullptr || info->Version != host::kPropSheetUiInfoVersion) {
            return Fail(platform::kErrorInvalidParameter);
        }
        const PrinterScope printer = SheetPrinter(*info);
        return ui::DevicePropertySheets(state_, driverHelper_, *info, lParam);
    });
}

host::HRESULT PlugInObject::DevQueryPrintEx(host::OEMUIOBJ*, void*, host::DEVMODEW*, void*) {
    return host::kENotImpl;
}

host::HRESULT PlugInObject::DeviceCapabilities(host::OEMUIOBJ*, host::HANDLE printer, host::WCHAR*,
                                               host::WORD capability, void* output, host::DEVMODEW*,
                                               void*, host::DWORD oldResult, host::DWORD*) {
    return NoThrow([&] {
        if (capability != host::kDcEnumResolutions) return host::kSOk;
        // A list that cannot be adjusted needs no profile read.
        if (output == nullptr || oldResult == 0 || oldResult == host::kGdiError) return host::kSOk;
        const PrinterScope named(printer);
        const ResolutionIndexes indexes = ReadResolutionIndexes(state_.ports(), printer);
        AdjustResolutionList(indexes.resolution300Index, indexes.quality300Index, output,
                             oldResult);
        return host::kSOk;
    });
}

void AdjustResolutionList(std::int32_t resolution300Index, std::int32_t quality300Index,
                          void* pairs, host::DWORD count) {
    constexpr std::size_t kPairBytes = 8;
    // Where size_t is 32 bits wide, a count this large would wrap the offsets around.
    const bool wraps =
        static_cast<std::uint64_t>(count) * kPairBytes > std::numeric_limits<std::size_t>::max();
    if ((resolution300Index == 0 && quality300Index == 0) || pairs == nullptr || count == 0 ||
        count == host::kGdiError || wraps) {
        return;
    }
    // The host's buffer need not be aligned for 32-bit access: copy values in and out.
    // Offsets are computed in size_t, so that no count wraps them around.
    auto* bytes = static_cast<unsigned char*>(pairs);
    const std::size_t listed = count;
    auto put = [&](std::size_t index, std::int32_t x, std::int32_t y) {
        std::memcpy(bytes + index * kPairBytes, &x, 4);
        std::memcpy(bytes + index * kPairBytes + 4, &y, 4);
    };
    if (resolution300Index != 0) {
        put(listed - 1, 300, 300);
        return;
    }
    for (std::size_t i = 0; i < listed; ++i) {
        std::int32_t x = 0;
        std::memcpy(&x, bytes + i * kPairBytes, 4);
        if (x == 300) put(i, 600, 600);
    }
}

host::HRESULT PlugInObject::UpgradePrinter(host::DWORD, host::BYTE*) { return host::kENotImpl; }

host::HRESULT PlugInObject::PrinterEvent(host::WCHAR*, int, host::DWORD, host::LPARAM) {
    return host::kSOk;
}

host::HRESULT PlugInObject::DriverEvent(host::DWORD driverEvent, host::DWORD level,
                                        host::BYTE* driverInfo, host::LPARAM) {
    NoThrow([&] {
        HandleDriverEvent(state_.ports(), driverEvent, level, driverInfo);
        return host::kSOk;
    });
    return host::kSOk;
}

host::HRESULT PlugInObject::QueryColorProfile(host::HANDLE, host::OEMUIOBJ*, host::DEVMODEW*, void*,
                                              host::ULONG queryMode, void* profileData,
                                              host::ULONG* profileSize, host::DWORD* profileFlags) {
    if (queryMode != host::kQcpDeviceProfile) return host::kEFail;
    if (profileSize == nullptr) return Fail(platform::kErrorInvalidParameter);
    if (profileData == nullptr || *profileSize < kColorProfileReportedSize) {
        *profileSize = kColorProfileReportedSize;
        return Fail(platform::kErrorInsufficientBuffer);
    }
    std::memcpy(profileData, kColorProfileName, sizeof kColorProfileName);
    *profileSize = kColorProfileReportedSize;
    if (profileFlags != nullptr) *profileFlags = host::kQcpProfileDisk;
    return host::kSOk;
}

host::HRESULT PlugInObject::FontInstallerDlgProc(void*, std::uint32_t, std::uintptr_t,
                                                 host::LPARAM) {
    return host::kENotImpl;
}

host::HRESULT PlugInObject::UpdateExternalFonts(host::HANDLE, host::HANDLE, host::WCHAR*) {
    return host::kENotImpl;
}

}  // namespace plugin
