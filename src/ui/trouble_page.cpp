#include "ui/trouble_page.h"

#include "ui/localise.h"

namespace ui {

bool TroublePagePresenter::OnInit(Controls& controls) {
    if (session_ == nullptr) return true;
    const bool rtl = platform_.system != nullptr &&
                     IsRightToLeftLanguage(platform_.system->SystemDefaultLangId());
    EnterDialog(*session_, controls.Window(), MirroredTemplate(IDD_TROUBLESHOOTING, rtl),
                u"Troubleshooting");
    session_->tooltipWindow = controls.CreateTooltips(rtl);
    LocaliseDialog(controls, *session_);
    return true;
}

}  // namespace ui
