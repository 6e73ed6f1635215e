#include "ui/job_accounting_dialog.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "profile/bounded_text.h"
#include "ui/layout_direction.h"
#include "ui/localise.h"

namespace ui {
namespace {

constexpr std::size_t kFieldUnits = profile::kJobAccountUnits;
constexpr int kTextLimit = kAccountTextLimit;

// The model's limits as a password can meet them (a model limit beyond the field would
// otherwise refuse every password but the empty one).
PasscodeLimits Clamped(int min, int max) { return FitPasscodeLimits({min, max}, kTextLimit); }

// A user ID the printer can account under: nothing above 0x7F, no slash, no backslash.
bool IsAccountId(std::u16string_view id) {
    return std::none_of(id.begin(), id.end(),
                        [](char16_t c) { return c > 0x7F || c == u'/' || c == u'\\'; });
}

std::u16string_view View(const char16_t (&field)[kFieldUnits]) {
    return {field, text::FieldLength(field, kFieldUnits)};
}

std::u16string Cut(std::u16string text) {
    if (text.size() > static_cast<std::size_t>(kTextLimit)) text.resize(kTextLimit);
    return text;
}

}  // namespace

void JobAccountingPresenter::Initialise(Controls& controls) {
    profile::UiSession& s = session_;

    // The password filter checks pastes against the session's limits: it gets the fitted ones.
    const PasscodeLimits model = ReadPasscodeLimits(s.profileReader.get(), kAccountPasswordKeys);
    const PasscodeLimits limits = Clamped(model.min, model.max);
    s.minPasscodeLength = static_cast<std::int16_t>(limits.min);
    s.maxPasscodeLength = static_cast<std::int16_t>(limits.max);

    StartDialog(ports_, controls, s, DialogTemplate(ports_, IDD_JOB_ACCOUNTING), u"Job Accounting");

    controls.SetLimit(IDC_ACCOUNT_USER_ID, kTextLimit);
    controls.InstallEditFilter(IDC_ACCOUNT_USER_ID, EditFilter::kAccountId);
    for (int id : {IDC_ACCOUNT_PASSWORD, IDC_ACCOUNT_CONFIRM}) {
        controls.SetLimit(id, limits.max);
        controls.InstallEditFilter(id, EditFilter::kAccountPassword);
    }

    // Nothing shown yet (a new session, or one whose values were just applied): the stored
    // values. The shown ID is never empty afterwards, so a later opening keeps an empty
    // password the user chose instead of taking the stored one again.
    if (View(s.jobAccountIdShown).empty()) {
        char16_t storedId[kFieldUnits];
        profile::ReadPrinterDataText(ports_, s.printerHandle, u"JOBACCOUNT_ID", storedId);
        char16_t storedPassword[kFieldUnits];
        profile::ReadPrinterDataText(ports_, s.printerHandle, u"JOBACCOUNT_PW", storedPassword);
        // The pending ID is what is stored, also when the user's name is shown instead.
        std::u16string shown = storedId;
        if (shown.empty()) {
            if (ports_.system != nullptr) shown = ports_.system->UserName(kTextLimit);
            if (shown.empty() || !IsAccountId(shown)) shown = u"Unknown";
        }
        text::Copy(s.jobAccountId, kFieldUnits, storedId);
        text::Copy(s.jobAccountIdShown, kFieldUnits, shown);
        text::Copy(s.jobAccountPassword, kFieldUnits, storedPassword);
        text::Copy(s.jobAccountPasswordShown, kFieldUnits, storedPassword);
    }
    controls.SetText(IDC_ACCOUNT_USER_ID, View(s.jobAccountIdShown));
    if (!View(s.jobAccountPasswordShown).empty()) {
        controls.SetText(IDC_ACCOUNT_PASSWORD, View(s.jobAccountPasswordShown));
        controls.SetText(IDC_ACCOUNT_CONFIRM, View(s.jobAccountPasswordShown));
    }
}

bool JobAccountingPresenter::OnCommand(Controls& controls, int id, int /*code*/) {
    try {
        switch (id) {
            case IDC_DIALOG_OK:
                Confirm(controls);
                return true;
            default:
                return CancelOrHelp(controls, id);
        }
    } catch (...) {
        // Nothing is written before every value is at hand: the session stays as it was.
        return true;
    }
}

bool JobAccountingPresenter::CheckAccountPassword(Controls& controls) {
    const std::u16string password = Cut(controls.Text(IDC_ACCOUNT_PASSWORD));
    const std::u16string confirmation = Cut(controls.Text(IDC_ACCOUNT_CONFIRM));
    const PasscodeLimits limits = Clamped(session_.minPasscodeLength, session_.maxPasscodeLength);
    const auto length = static_cast<int>(password.size());
    // No password at all is an entry too.
    if (password == confirmation &&
        (password.empty() || (length >= limits.min && length <= limits.max))) {
        return true;
    }
    ShowInvalidPasscode(controls, session_, limits.min, limits.max);
    return false;
}

void JobAccountingPresenter::Confirm(Controls& controls) {
    // Everything is read and checked first; a refused entry leaves the session untouched.
    std::u16string userId = Cut(controls.Text(IDC_ACCOUNT_USER_ID));
    if (userId.empty() || !IsAccountId(userId)) userId = u"Unknown";
    if (!CheckAccountPassword(controls)) return;
    const std::u16string password = Cut(controls.Text(IDC_ACCOUNT_PASSWORD));

    profile::UiSession& s = session_;
    text::Copy(s.jobAccountId, kFieldUnits, userId);
    text::Copy(s.jobAccountIdShown, kFieldUnits, userId);
    text::Copy(s.jobAccountPassword, kFieldUnits, password);
    text::Copy(s.jobAccountPasswordShown, kFieldUnits, password);
    controls.EndDialog(kIdOk);
}

}  // namespace ui
