// The plug-in's part in the host's document and printer property sheets.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace ui {

// At most this many page entries of the model profile's TABNUMBER list are looked at.
inline constexpr std::int32_t kMaxPageEntries = 64;
// The kind of page entry that adds the Troubleshooting page (TALEN brand only), and the kind
// a missing entry has.
inline constexpr std::int32_t kTroublePageKind = 12;
inline constexpr std::int32_t kAbsentPageKind = 100;

// The page entries of the profile's TABNUMBER section: "Tab0", "Tab1", ... up to TabNumber
// (at most kMaxPageEntries of them), each visited with its key and kind in order. Returns
// TabNumber as read (0 when missing).
std::int32_t ForEachPageEntry(
    profile::ProfileReader& profile,
    const std::function<void(std::u16string_view key, std::int32_t kind)>& visit);

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
