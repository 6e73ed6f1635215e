// The DLL: start and stop, and the two exports of the COM server. The DLL owns the one
// process state of the plug-in and the Win32 adapters behind its ports.
#include <windows.h>

#include <new>

#include "platform/win32/thread_runtime.h"
#include "platform/win32/win32_platform.h"
#include "plugin/com_server.h"
#include "plugin/process_state.h"

namespace {

// The shipped DLL reads profile files through the cache; the benchmark's second build of it
// (PLUGIN_PLATFORM_PROFILE_READS) through the platform's functions, for comparison.
#ifdef PLUGIN_PLATFORM_PROFILE_READS
constexpr win32::ProfileReads kProfileReads = win32::ProfileReads::kPlatform;
#else
constexpr win32::ProfileReads kProfileReads = win32::ProfileReads::kCached;
#endif

// The adapters and the state built on them, for the life of the process.
struct DllProcess {
    win32::Win32Platform platform{kProfileReads};
    plugin::ProcessState state{platform.ports()};
};

// Constructed at first use (the first call is DllMain's, which only records the module) and
// never destroyed, so that no static destructor runs after the loader has started tearing
// the process down.
DllProcess& TheProcess() {
    alignas(DllProcess) static unsigned char storage[sizeof(DllProcess)];
    static DllProcess* instance = new (storage) DllProcess();
    return *instance;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            // Under the loader lock: record the module and nothing else. The activation
            // context is made when the first window needs it.
            DisableThreadLibraryCalls(instance);
            TheProcess().platform.module().Attach(instance);
            break;
        case DLL_PROCESS_DETACH:
            // When the process ends the system reclaims everything; on FreeLibrary the
            // context made from the module's manifest is released, and the thread library's
            // record of the unloading thread.
            if (reserved == nullptr) {
                TheProcess().platform.module().Detach();
                win32::ReleaseThreadRuntime(instance);
            }
            break;
        default:
            break;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    return plugin::GetClassObject(TheProcess().state, reinterpret_cast<const host::GUID*>(&clsid),
                                  reinterpret_cast<const host::GUID*>(&iid), object);
}

STDAPI DllCanUnloadNow() { return plugin::CanUnloadNow(TheProcess().state); }
