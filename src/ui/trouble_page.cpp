#include "ui/trouble_page.h"

#include "ui/localise.h"

namespace ui {

bool TroublePagePresenter::OnInit(Controls& controls) {
    if (session_ == nullptr) return true;
    EnterDialog(*session_, controls.Window(), DialogTemplate(platform_, IDD_TROUBLESHOOTING),
                u"Troubleshooting");
    session_->tooltipWindow = controls.CreateTooltips(IsRightToLeft(platform_));
    LocaliseDialog(controls, *session_);
    return true;
}

}  // namespace ui
