// What the modal dialogs opened over a sheet's session share: the ports and the session, a
// set-up that closes the dialog when it cannot finish, Cancel and Help, and help on a control.
#pragma once

#include <string>

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/presenter.h"

namespace ui {

class SessionDialog : public Presenter {
  public:
    profile::UiSession* session() const final { return &session_; }
    // Runs Initialise; a dialog that could not be set up is not shown half-filled, it ends
    // with Cancel. Answers TakesDefaultFocus().
    bool OnInit(Controls& controls) final;

  protected:
    SessionDialog(const platform::Platform& ports, profile::UiSession& session)
        : ports_(ports), session_(session) {}

    virtual void Initialise(Controls& controls) = 0;
    // WM_INITDIALOG's answer: true lets the system give the first control the focus.
    virtual bool TakesDefaultFocus() const { return true; }
    // Cancel ends the dialog and Help opens the dialog's own topic; true when `id` was one of
    // the two buttons.
    bool CancelOrHelp(Controls& controls, int id);
    // Opens the help topic filed for a control. Always handled; never throws.
    bool ControlHelp(int controlId);

    const platform::Platform& ports_;
    profile::UiSession& session_;
};

// Sets a flag for the life of a scope, and puts back what it was on every way out: the
// presenters' guard against the change notifications their own writes to a field cause.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = was_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
    bool was_;
};

// A number as the decimal text a field shows.
std::u16string DecimalText(long long value);

}  // namespace ui
