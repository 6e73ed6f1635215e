// The Job Accounting dialog: the user ID and password under which the printer accounts for
// the user's jobs. It leaves them in the printer tree's session (jobAccountId,
// jobAccountPassword and what it shows, jobAccountIdShown, jobAccountPasswordShown); the
// printer tree's Apply writes them to the printer data.
#pragma once

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/passcode_limits.h"
#include "ui/session_dialog.h"

namespace ui {

// The user ID and the password hold at most 32 characters: the session's fields and the
// printer data take no more.
inline constexpr int kAccountTextLimit = static_cast<int>(profile::kJobAccountUnits) - 1;

// The first opening (nothing shown yet) takes the stored user ID, else the Windows user's
// name, else "Unknown", and the stored password; later openings show what was shown last,
// an empty password included.
// OK takes the user ID ("Unknown" when empty or with a character above 0x7F, a slash or a
// backslash) and the password, once the password and its confirmation match within the
// model's limits or are both empty. A refused OK writes nothing; Cancel changes nothing.
class JobAccountingPresenter final : public SessionDialog {
  public:
    JobAccountingPresenter(const platform::Platform& ports, profile::UiSession& session)
        : SessionDialog(ports, session) {}

    // OK, Cancel and Help.
    bool OnCommand(Controls& controls, int id, int code) override;
    bool OnHelp(Controls&, int controlId) override { return ControlHelp(controlId); }

  private:
    void Initialise(Controls& controls) override;
    void Confirm(Controls& controls);
    // True when the password entry may be taken; otherwise tells the user why not.
    bool CheckAccountPassword(Controls& controls);
};

}  // namespace ui
