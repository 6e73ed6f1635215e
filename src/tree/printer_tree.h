// The printer settings tree: the plug-in's Job Accounting push button, auto-configuration of
// the installed options, and the callback that stores the printer data on Apply.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace tree {

// The plug-in's one item of the printer tree.
inline constexpr std::uint32_t kPrinterItems = 1;
// OEMUI_VALUE above this counts as invalid.
inline constexpr std::int32_t kMaxOemUiValue = 100;

// The callback the host calls (OEMCUIPCALLBACK) for the printer tree: answers 1 for Apply,
// activation and leaving the page, 0 otherwise and whenever pOEMUserData holds no live
// printer-tree session of the calling thread.
host::LONG HOST_CALL PrinterTreeCallback(host::CPSUICBPARAM* callback,
                                         host::OEMCUIPPARAM* param) noexcept;

// Ends the printer-tree sessions of the calling thread for `printer` (the printer's
// property sheet has closed: neither the tree callback nor the Job Accounting button can
// be called any more).
void EndPrinterTreeSessions(plugin::ProcessState& state, host::HANDLE printer);

// The PostScript memory, in kilobytes, of an installed-memory label ("128 MB"): the row of
// the memory size table with exactly that label, its bytes divided by 1024.
std::optional<std::int32_t> PostScriptMemoryKilobytes(std::u16string_view label);

// The option display text of an item's selection, when the selection is within the item's
// options and its data is text (not a resource number); empty otherwise.
std::u16string_view SelectedOptionText(const host::OPTITEM& item);

// An item's name as text, when it is text and not a resource number; empty otherwise.
std::u16string_view ItemNameText(const host::OPTITEM& item);

}  // namespace tree
