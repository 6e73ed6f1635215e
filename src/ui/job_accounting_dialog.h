// The Job Accounting dialog: the user ID and password under which the printer accounts for
// the user's jobs. It leaves them in the printer tree's session (jobAccountId,
// jobAccountPassword and what it shows, jobAccountIdShown, jobAccountPasswordShown); the
// printer tree's Apply writes them to the printer data.
#pragma once

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/passcode_limits.h"
#include "ui/presenter.h"

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
class JobAccountingPresenter final : public Presenter {
  public:
    JobAccountingPresenter(const platform::Platform& ports, profile::UiSession& session)
        : ports_(ports), session_(session) {}

    profile::UiSession* session() const override { return &session_; }
    bool OnInit(Controls& controls) override;
    // OK, Cancel and Help.
    bool OnCommand(Controls& controls, int id, int code) override;
    // Opens the help topic filed for the control.
    bool OnHelp(Controls& controls, int controlId) override;

  private:
    void Initialise(Controls& controls);
    void Confirm(Controls& controls);
    // True when the password entry may be taken; otherwise tells the user why not.
    bool CheckAccountPassword(Controls& controls);

    const platform::Platform& ports_;
    profile::UiSession& session_;
};

}  // namespace ui
