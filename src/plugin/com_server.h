// The in-process COM server: the two exports' behaviour, independent of Win32.
#pragma once

#include "plugin/host_interface.h"
#include "plugin/process_state.h"

namespace plugin {

// DllGetClassObject: hands out the class factory of the plug-in class only.
host::HRESULT GetClassObject(ProcessState& state, const host::GUID* clsid, const host::GUID* iid,
                             void** object) noexcept;

// DllCanUnloadNow: S_OK when no object is alive and no server lock is held, else S_FALSE.
host::HRESULT CanUnloadNow(const ProcessState& state) noexcept;

}  // namespace plugin
