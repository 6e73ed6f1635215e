#include "ui/about_dialog.h"

#include "ui/layout_direction.h"
#include "ui/localise.h"

namespace ui {

bool AboutPresenter::OnInit(Controls& controls) {
    try {
        StartDialog(ports_, controls, session_, DialogTemplate(ports_, IDD_ABOUT), u"About");
    } catch (...) {
    }
    return true;
}

bool AboutPresenter::OnCommand(Controls& controls, int id, int) {
    if (id != IDC_DIALOG_OK && id != IDC_DIALOG_CANCEL) return false;
    controls.EndDialog(id);
    return true;
}

}  // namespace ui
