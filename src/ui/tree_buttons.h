// The callbacks of the settings trees' push buttons: each opens its modal dialog over the
// host's page with the session that the tree callback put into the item.
#pragma once

#include "plugin/host_interface.h"

namespace ui {

// Print and Hold and Copies Setting of the document tree, Job Accounting of the printer
// tree. They act on CPSUICB_REASON_PUSHBUTTON only, and only with a live session of the
// calling thread (one entered in the process's session table) in the item's user data: a
// button pressed before the page was activated does nothing. They always answer
// CPSUICB_ACTION_NONE.
host::LONG HOST_CALL OnPrintAndHoldButton(host::CPSUICBPARAM* param) noexcept;
host::LONG HOST_CALL OnCopiesSettingButton(host::CPSUICBPARAM* param) noexcept;
host::LONG HOST_CALL OnJobAccountingButton(host::CPSUICBPARAM* param) noexcept;

}  // namespace ui
