// Custom paper sizes and paper sources a tray cannot take, kept out of the user's way.
#pragma once

#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace tree {

// The paper and tray check of the document tree: hides what the selected tray cannot take.
// Until the tray ranges are built, it changes nothing.
void CheckPaperAndSource(plugin::ProcessState& state, const host::CPSUICBPARAM& callback,
                         host::OEMCUIPPARAM& param, profile::UiSession& session, void* record);

// The printer tree's check: hides, in each tray's list of forms, the user-defined forms the
// tray cannot take. Until the tray ranges are built, it changes nothing.
void MarkTrayForms(plugin::ProcessState& state, host::OEMCUIPPARAM& param,
                   profile::UiSession& session);

}  // namespace tree
