// Stand-in for the job-monitor settings dialog, which replaces these two files: it shows the
// dialog's template localised and closes on OK or Cancel, so that the Troubleshooting page's button
// opens a real dialog of the right template.
#pragma once

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/presenter.h"

namespace ui {

class LookoutPresenter final : public Presenter {
  public:
    LookoutPresenter(const platform::Platform& ports, profile::UiSession& session)
        : ports_(ports), session_(session) {}

    profile::UiSession* session() const override { return &session_; }
    bool OnInit(Controls& controls) override;
    bool OnCommand(Controls& controls, int id, int code) override;

  private:
    const platform::Platform& ports_;
    profile::UiSession& session_;
};

}  // namespace ui
