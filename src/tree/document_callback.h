// The document tree callback: keeps the host's feature items, the plug-in's push buttons and
// the private job settings in step while the user works in the document settings tree.
#pragma once

#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace tree {

// The callback the host calls (OEMCUIPCALLBACK): finds the document sheet's session through
// the private record and answers by reason: 1 on activation, 2 for the extended push button,
// 0 for everything else (and whenever the call lacks its record, its public settings or a
// session of this thread).
host::LONG HOST_CALL DocumentTreeCallback(host::CPSUICBPARAM* callback,
                                          host::OEMCUIPPARAM* param) noexcept;

// The same with the process state and session given (what the callback does once it has
// found them).
host::LONG HandleDocumentTreeCallback(plugin::ProcessState& state, host::CPSUICBPARAM& callback,
                                      host::OEMCUIPPARAM& param, profile::UiSession& session);

}  // namespace tree
