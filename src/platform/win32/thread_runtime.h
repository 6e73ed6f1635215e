// The thread library's record of a host thread, released when one of our DLLs is unloaded.
//
// Both DLLs link the C++ runtime and its POSIX thread library statically. That library keeps
// a record (a duplicated thread handle and an event) of every thread of the host that enters
// it - through a guarded static, a mutex or a once-flag - and releases it only when the thread
// ends. A DLL unloaded while the thread lives leaves the record behind, so each load and
// unload of the plug-in or its SNMP module cost the host two handles or more.
#pragma once

#include <windows.h>

namespace win32 {

// Hands the module's thread-local-storage callbacks the calling thread's detach, as if the
// thread ended: called from DllMain when the module is unloaded (DLL_PROCESS_DETACH through
// FreeLibrary), the last moment the module's code still runs for this thread.
void ReleaseThreadRuntime(HINSTANCE module);

}  // namespace win32
