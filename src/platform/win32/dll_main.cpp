// The DLL: start and stop, and the two exports of the COM server.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "plugin/com_server.h"

namespace {

// Constructed at first use inside DllMain and never destroyed, so that no static
// destructor runs after the loader has started tearing the process down.
win32::Win32Platform& ThePlatform() {
    alignas(win32::Win32Platform) static unsigned char storage[sizeof(win32::Win32Platform)];
    static win32::Win32Platform* instance = new (storage) win32::Win32Platform();
    return *instance;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH: {
            DisableThreadLibraryCalls(instance);
            win32::Win32Platform& platform = ThePlatform();
            platform.module().Attach(instance);
            plugin::TheModuleState().platform = platform.ports();
            break;
        }
        case DLL_PROCESS_DETACH:
            ThePlatform().module().Detach();
            break;
        default:
            break;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    return plugin::GetClassObject(plugin::TheModuleState(),
                                  reinterpret_cast<const host::GUID*>(&clsid),
                                  reinterpret_cast<const host::GUID*>(&iid), object);
}

STDAPI DllCanUnloadNow() { return plugin::CanUnloadNow(plugin::TheModuleState()); }
