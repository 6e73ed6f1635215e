#include "ui/tree_buttons.h"

#include "plugin/process_state.h"
#include "profile/ui_session.h"
#include "ui/copies_dialog.h"
#include "ui/dialog_ids.h"
#include "ui/job_accounting_dialog.h"
#include "ui/layout_direction.h"
#include "ui/print_hold_dialog.h"

namespace ui {
namespace {

// The session a pressed button carries, when it is one of this thread's live sessions.
profile::UiSession* ButtonSession(plugin::ProcessState& state, const host::CPSUICBPARAM& param) {
    if (param.Reason != host::kCpsuicbReasonPushButton || param.pCurItem == nullptr) return nullptr;
    auto* session = reinterpret_cast<profile::UiSession*>(param.pCurItem->UserData);
    const platform::SystemInfo* system = state.ports().system;
    const std::uint32_t thread = system != nullptr ? system->CurrentThreadId() : 0;
    return state.sessions.KeyOf(session, thread) != 0 ? session : nullptr;
}

template <class Presenter>
host::LONG OpenDialog(host::CPSUICBPARAM* param, int templateId) noexcept {
    try {
        plugin::ProcessState* state = plugin::ProcessState::ForCallbacks();
        if (state == nullptr || param == nullptr) return host::kCpsuicbActionNone;
        profile::UiSession* session = ButtonSession(*state, *param);
        const platform::Platform& ports = state->ports();
        if (session == nullptr || ports.dialogs == nullptr) return host::kCpsuicbActionNone;
        Presenter presenter(ports, *session);
        ports.dialogs->RunModal(DialogTemplate(ports, templateId), param->hDlg, presenter);
    } catch (...) {
    }
    return host::kCpsuicbActionNone;
}

}  // namespace

host::LONG HOST_CALL OnPrintAndHoldButton(host::CPSUICBPARAM* param) noexcept {
    return OpenDialog<PrintHoldPresenter>(param, IDD_PRINT_HOLD);
}

host::LONG HOST_CALL OnCopiesSettingButton(host::CPSUICBPARAM* param) noexcept {
    return OpenDialog<CopiesPresenter>(param, IDD_COPIES_SETTING);
}

host::LONG HOST_CALL OnJobAccountingButton(host::CPSUICBPARAM* param) noexcept {
    return OpenDialog<JobAccountingPresenter>(param, IDD_JOB_ACCOUNTING);
}

}  // namespace ui
