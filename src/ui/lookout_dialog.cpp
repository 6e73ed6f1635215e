#include "ui/lookout_dialog.h"

#include "ui/layout_direction.h"
#include "ui/localise.h"

namespace ui {

bool LookoutPresenter::OnInit(Controls& controls) {
    try {
        StartDialog(ports_, controls, session_, DialogTemplate(ports_, IDD_LOOKOUT_SETTINGS),
                    u"Lookout");
    } catch (...) {
    }
    return true;
}

bool LookoutPresenter::OnCommand(Controls& controls, int id, int) {
    if (id != IDC_DIALOG_OK && id != IDC_DIALOG_CANCEL) return false;
    controls.EndDialog(id);
    return true;
}

}  // namespace ui
