#pragma once

#include "platform/ports.h"
#include "plugin/host_interface.h"

namespace ui {

// The host's document and printer property sheets; info has been checked for version.
// The answer to the host is left in info.Result.
void DocumentPropertySheets(const platform::Platform& platform,
                            host::IPrintOemDriverUI* driverHelper, host::PROPSHEETUI_INFO& info,
                            host::LPARAM lParam);
void DevicePropertySheets(const platform::Platform& platform, host::IPrintOemDriverUI* driverHelper,
                          host::PROPSHEETUI_INFO& info, host::LPARAM lParam);

}  // namespace ui
