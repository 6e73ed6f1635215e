// The callbacks of the document tree's push buttons: each opens its modal dialog over the
// host's page with the document sheet's session that the tree callback put into the item.
#pragma once

#include "plugin/host_interface.h"

namespace ui {

// Print and Hold and Copies Setting. They act on CPSUICB_REASON_PUSHBUTTON only, and only
// with a live session of the calling thread in the item's user data (a button pressed before
// the page was activated does nothing); they always answer CPSUICB_ACTION_NONE.
host::LONG HOST_CALL OnPrintAndHoldButton(host::CPSUICBPARAM* param) noexcept;
host::LONG HOST_CALL OnCopiesSettingButton(host::CPSUICBPARAM* param) noexcept;

}  // namespace ui
