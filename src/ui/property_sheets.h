// The plug-in's part in the host's document and printer property sheets.
#pragma once

#include "platform/ports.h"
#include "plugin/host_interface.h"
#include "profile/ui_session.h"

namespace ui {

// The host's document and printer property sheets; info has been checked for version.
// The answer to the host is left in info.Result; the result is S_OK, or E_FAIL with the
// last error set when the sheet's session could not be allocated.
host::HRESULT DocumentPropertySheets(const platform::Platform& platform,
                                     host::IPrintOemDriverUI* driverHelper,
                                     host::PROPSHEETUI_INFO& info, host::LPARAM lParam);
host::HRESULT DevicePropertySheets(const platform::Platform& platform,
                                   host::IPrintOemDriverUI* driverHelper,
                                   host::PROPSHEETUI_INFO& info, host::LPARAM lParam);

// The session a document sheet linked into its private record, or null.
profile::UiSession* SessionOfRecord(const void* oemDevmode);

}  // namespace ui
