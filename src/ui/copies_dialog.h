// The Copies Setting dialog: splits the job's copies between colour and grey scale.
#pragma once

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/session_dialog.h"

namespace ui {

// Shows the job's total copies, lets the user choose how many of them print in grey scale
// (typed or moved with the arrows) and shows the colour copies that remain. On OK the two
// counts go to the session's `grayscaleCopies` and `colorCopies`; Cancel leaves them.
//
// The split is offered only for a colour, collated job in print mode Normal; otherwise, and
// when the sheet has no public or private record, everything prints in colour. Opening
// drops a grey count that the job cannot take (more than its copies, negative, or no split
// allowed): the session's grey count becomes 0 and its colour count the total.
class CopiesPresenter final : public SessionDialog {
  public:
    CopiesPresenter(const platform::Platform& ports, profile::UiSession& session)
        : SessionDialog(ports, session) {}

    // Every notification of the grey-scale field settles the two counts; OK, Cancel, Help.
    bool OnCommand(Controls& controls, int id, int code) override;
    bool OnHelp(Controls&, int controlId) override { return ControlHelp(controlId); }

  private:
    void Initialise(Controls& controls) override;
    // Brings the grey-scale field into 0..total (rewriting it only when it holds a count
    // outside) and shows the colour copies that remain.
    void Settle(Controls& controls);
    // Writes a field while the notifications that the write itself causes are ignored.
    void Write(Controls& controls, int id, int value);
    // The grey-scale count the field holds now, within 0..total (0 without a split).
    int GreyCount(Controls& controls) const;

    int total_ = 1;
    bool splitAllowed_ = false;
    bool writing_ = false;  // inside one of the presenter's own writes or its start
};

}  // namespace ui
