// The printer driver's configuration module as the spooler calls it: the Drv* entry points
// of the host, which reach the plug-in the way the PostScript driver does. Each function
// answers as the published entry point of the same name; none throws.
#pragma once

#include <windows.h>

#include <compstui.h>

namespace hostsim {

// The published parameter blocks of DrvDocumentPropertySheets and DrvDevicePropertySheets
// (the platform headers of this tool chain lack them).
struct DOCUMENTPROPERTYHEADER {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    DEVMODEW* pdmIn;
    DEVMODEW* pdmOut;
    DWORD cbOut;
    DWORD fMode;
};

struct DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
};

// DrvConvertDevMode modes.
inline constexpr DWORD kCdmConvert = 0x01;
inline constexpr DWORD kCdmConvert351 = 0x02;
inline constexpr DWORD kCdmDriverDefault = 0x04;

// The document properties of a job: with a null `info` the spooler's direct call (size,
// DM_IN_BUFFER, DM_OUT_BUFFER); otherwise the common property sheet's call for a sheet.
LONG DocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
// The printer properties: only ever a sheet.
LONG DevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
DWORD QueryDeviceCapabilities(HANDLE printer, const wchar_t* device, WORD capability, void* output,
                              const DEVMODEW* devmode);
BOOL ConvertDevMode(const wchar_t* printerName, const DEVMODEW* in, DEVMODEW* out, LONG* needed,
                    DWORD mode);
BOOL DriverEvent(DWORD event, DWORD level, BYTE* driverInfo, LPARAM lParam);

}  // namespace hostsim
