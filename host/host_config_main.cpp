// The host simulator as the printer driver's configuration DLL (the driver's pConfigFile):
// the Drv* entry points that the spooler and the common property sheet call. Nothing
// thrown inside leaves them.
#include <windows.h>

#include <compstui.h>

#include "driver_ui.h"

extern "C" {

LONG WINAPI DrvDocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
    try {
        return hostsim::DocumentPropertySheets(info, lParam);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
}

LONG WINAPI DrvDevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
    try {
        return hostsim::DevicePropertySheets(info, lParam);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
}

DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, LPWSTR device, WORD capability, void* output,
                                   DEVMODEW* devmode) {
    try {
        return hostsim::QueryDeviceCapabilities(printer, device, capability, output, devmode);
    } catch (...) {
        return GDI_ERROR;
    }
}

BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, DEVMODEW* in, DEVMODEW* out, LONG* needed,
                              DWORD mode) {
    try {
        return hostsim::ConvertDevMode(printerName, in, out, needed, mode);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL WINAPI DrvDriverEvent(DWORD event, DWORD level, BYTE* driverInfo, LPARAM lParam) {
    try {
        return hostsim::DriverEvent(event, level, driverInfo, lParam);
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

}  // extern "C"
