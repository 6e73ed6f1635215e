// The plug-in's part in the host's document and printer property sheets.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace ui {

// At most this many page entries of the model profile's TABNUMBER list are looked at.
inline constexpr std::int32_t kMaxPageEntries = 64;

// The page kinds of the model profile's TABNUMBER list, in list order: "Tab%d" for 0 to
// TabNumber - 1, at most kMaxPageEntries of them, an entry without a key being kind 100.
// Leaves the reader in section TABNUMBER.
std::vector<std::int32_t> ListedPageKinds(profile::ProfileReader& profile);

// The host's document and printer property sheets; info has been checked for version.
// The answer to the host is left in info.Result; the result is S_OK, or E_FAIL with the
// last error set when the sheet's session could not be allocated. A sheet's session lives
// from the initialisation reason to the destroy reason, known to the process's session table
// and to the host through OEMUIPSPARAM.pOEMUserData and PROPSHEETUI_INFO.UserData.
host::HRESULT DocumentPropertySheets(plugin::ProcessState& state,
                                     host::IPrintOemDriverUI* driverHelper,
                                     host::PROPSHEETUI_INFO& info, host::LPARAM lParam);
host::HRESULT DevicePropertySheets(plugin::ProcessState& state,
                                   host::IPrintOemDriverUI* driverHelper,
                                   host::PROPSHEETUI_INFO& info, host::LPARAM lParam);

// The session a document sheet linked into its private record, when the calling thread is
// the sheet's; null otherwise.
profile::UiSession* SessionOfRecord(const plugin::ProcessState& state, const void* oemDevmode);

}  // namespace ui
