// The Troubleshooting property page.
#pragma once

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/presenter.h"

namespace ui {

class TroublePagePresenter final : public Presenter {
  public:
    TroublePagePresenter(const platform::Platform& platform, profile::UiSession* session)
        : platform_(platform), session_(session) {}

    profile::UiSession* session() const override { return session_; }
    // Localises the page's controls, files their help topics and gives them tooltips.
    bool OnInit(Controls& controls) override;

  private:
    const platform::Platform& platform_;
    profile::UiSession* session_;
};

}  // namespace ui
