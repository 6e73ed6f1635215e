// Custom paper sizes and paper sources a tray cannot take, kept out of the user's way: in the
// document settings the paper sizes the selected tray cannot take and the trays that cannot
// take the selected custom size are hidden (and shown again when they fit); in the printer
// settings each tray's list of forms hides the user-defined forms the tray cannot take.
// Built-in forms are never hidden. The ranges come from the session's tray table
// (profile/tray_table.h).
//
// Host items are read only as far as they can be checked: a text pointer below 0x10000 is
// a resource number, not text, and is never read; option indexes and selections are used
// only below the item's option count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ports.h"
#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace tree {

// Longest display text of a host option that is looked at, in UTF-16 units.
inline constexpr std::size_t kOptionTextUnits = 259;

// Copies a host text (an option's pData or an item's pName) into out, cut to units - 1.
// False, with out empty, when the pointer is null or a resource number (below 0x10000).
bool ReadHostText(const host::WCHAR* text, char16_t* out, std::size_t units);

// True when the range takes the size: all four limits 0, or both dimensions within their
// limits (inclusive).
bool SizeFits(const profile::TrayLimits& range, std::uint32_t width, std::uint32_t height);

enum class FormKind {
    kBuiltIn = 0,     // a built-in or printer form of the spooler: never hidden
    kUser = 1,        // a user-defined form of the spooler
    kHostCustom = 2,  // a name the spooler does not know: the host's own custom page size
};

// A form's kind and, when known, its size in thousandths of a millimetre.
struct FormSize {
    FormKind kind = FormKind::kBuiltIn;
    bool sized = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// Asks the spooler for the form with the session's printer handle. A user-defined form
// gives its own size; a name the spooler does not know gives the custom page size of the
// host's private settings (the 32-bit values at offsets 152 and 156 of the part that starts
// dmSize bytes after the public settings of the sheet's parameter block). That size is
// unknown (sized false) for a session without a sheet, without public settings, or whose
// dmDriverExtra does not reach offset 160.
FormSize GetFormSize(const platform::Platform& platform, const profile::UiSession& session,
                     std::u16string_view formName);

// Hides each tray's option of the paper-source item whose range does not take the size and
// shows the others. Trays whose index is not below the item's option count are skipped.
// True when an option's hiding flag changed.
bool MarkSourcesForSize(const profile::UiSession& session, host::OPTITEM& sourceItem,
                        std::uint32_t width, std::uint32_t height);

// Shows the user-defined and host custom sizes of the paper-size item that the range takes
// and hides the others; built-in forms and sizes that cannot be known are left alone. When
// the hidden size is the host's custom size and selected, the item's extension is hidden
// and disabled and the selection moves to the first option. True when an option's hiding
// flag changed.
bool MarkFormsForTray(const platform::Platform& platform, const profile::TrayLimits& range,
                      host::OPTITEM& formItem, const profile::UiSession& session);

// The document check, run by the document tree callback on a selection change, the
// extended push button and activation: finds the paper-size and paper-source items among
// the callback's items, marks the sizes of the selected tray (or shows them all for a
// source without a range) and the sources that can take the selected size (or shows them
// all when it is a built-in or unknown size), and tells the host about each changed item
// (paper size first, mode 1). The session is the document sheet's; the record is the
// call's private record, which the session was found through.
void CheckPaperAndSource(plugin::ProcessState& state, const host::CPSUICBPARAM& callback,
                         host::OEMCUIPPARAM& param, profile::UiSession& session, void* record);

// The printer check, for the printer tree callback on activation (when the session's
// checkTraysForCustoms is on): in each host item whose caption is a tray's name (a
// form-to-tray item), hides the user-defined forms that the tray's range does not take;
// nothing is shown again. The walk ends once as many items matched as there are trays; the
// host is told about the last matched item (mode 2). `param` is the printer tree's
// parameter block of the call, `session` the printer tree's session (its pOEMUserData).
void MarkTrayForms(plugin::ProcessState& state, host::OEMCUIPPARAM& param,
                   profile::UiSession& session);

}  // namespace tree
