#include "ui/session_dialog.h"

#include "ui/dialog_ids.h"
#include "ui/localise.h"

namespace ui {

bool SessionDialog::OnInit(Controls& controls) {
    try {
        Initialise(controls);
    } catch (...) {
        controls.EndDialog(kIdCancel);
    }
    return TakesDefaultFocus();
}

bool SessionDialog::CancelOrHelp(Controls& controls, int id) {
    switch (id) {
        case IDC_DIALOG_CANCEL:
            controls.EndDialog(kIdCancel);
            return true;
        case IDC_DIALOG_HELP:
            ShowControlHelp(ports_.help, session_, session_.dialogTemplateId);
            return true;
        default:
            return false;
    }
}

bool SessionDialog::ControlHelp(int controlId) {
    try {
        ShowControlHelp(ports_.help, session_, controlId);
    } catch (...) {
    }
    return true;
}

std::u16string DecimalText(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace ui
