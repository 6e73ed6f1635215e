#include "ui/copies_dialog.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "devmode/oem_devmode.h"
#include "ui/layout_direction.h"
#include "ui/localise.h"

namespace ui {
namespace {

// The grey-scale field takes at most four characters.
constexpr int kCountUnits = 4;
// Counts are read saturating here, far above any job's copies (a 16-bit number).
constexpr int kCountCeiling = 1000000;

// What the sheet's job asks for: its copies and whether they may be split.
struct JobCopies {
    int total = 1;
    bool splitAllowed = false;
};

// The total is the public record's copies, at least 1 (a job prints at least once, also
// when its record says 0 or less). The split needs a colour, collated job in print mode
// Normal; a sheet without its public or private record offers one colour copy and no split.
JobCopies ReadJobCopies(const profile::UiSession& session) {
    JobCopies job;
    const host::OEMUIPSPARAM* params = profile::SheetParams(session);
    if (params == nullptr || params->pPublicDM == nullptr) return job;
    const host::DEVMODEW& dm = *params->pPublicDM;
    job.total = std::max<int>(dm.dmCopies, 1);
    job.splitAllowed = dm.dmColor == host::kDmColorColor && dm.dmCollate == host::kDmCollateTrue &&
                       params->pOEMDM != nullptr &&
                       devmode::Get(params->pOEMDM, devmode::kPrintModeCode) == 0;
    return job;
}

// The count a field's text gives, read the way the C library's wide "to integer" does:
// blanks, one optional sign, then the leading decimal digits. Nothing when no digit
// follows (an empty field, a lone "-", a word).
std::optional<int> ReadCount(std::u16string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
    if (at >= text.size() || text[at] < u'0' || text[at] > u'9') return std::nullopt;
    int value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = std::min(value * 10 + (text[at] - u'0'), kCountCeiling);
    }
    return negative ? -value : value;
}

}  // namespace

void CopiesPresenter::Initialise(Controls& controls) {
    // The edit fields report each write as a change; the start writes them consistently
    // itself, so none of those reports is acted on.
    const FlagScope starting(writing_);
    StartDialog(ports_, controls, session_, DialogTemplate(ports_, IDD_COPIES_SETTING), u"Copies");
    const JobCopies job = ReadJobCopies(session_);
    total_ = job.total;
    splitAllowed_ = job.splitAllowed;
    if (session_.grayscaleCopies != 0 &&
        (!splitAllowed_ || session_.grayscaleCopies < 0 || session_.grayscaleCopies > total_)) {
        // A grey count the job cannot take is dropped; all copies are colour copies, so
        // the pair still adds up to the job's copies if the user cancels.
        session_.grayscaleCopies = 0;
        session_.colorCopies = total_;
    }
    const int grey = session_.grayscaleCopies;
    Write(controls, IDC_COPIES_TOTAL, total_);
    Write(controls, IDC_COPIES_COLOR, total_ - grey);
    Write(controls, IDC_COPIES_GRAYSCALE, grey);
    controls.SetUpDownRange(IDC_COPIES_GRAYSCALE_SPIN, 0, total_);
    controls.SetLimit(IDC_COPIES_GRAYSCALE, kCountUnits);
    // A user who may not change settings keeps the fields the walk disabled.
    const bool editable = splitAllowed_ && session_.noPermission == 0;
    controls.Enable(IDC_COPIES_GRAYSCALE, editable);
    controls.Enable(IDC_COPIES_GRAYSCALE_SPIN, editable);
}

bool CopiesPresenter::OnCommand(Controls& controls, int id, int /*code*/) {
    try {
        switch (id) {
            case IDC_COPIES_GRAYSCALE:
                // Typing and the arrows (which write the field) both arrive here.
                if (!writing_) Settle(controls);
                return true;
            case IDC_DIALOG_OK: {
                const int grey = GreyCount(controls);
                session_.grayscaleCopies = grey;
                session_.colorCopies = total_ - grey;
                controls.EndDialog(kIdOk);
                return true;
            }
            default:
                return CancelOrHelp(controls, id);
        }
    } catch (...) {
        return true;
    }
}

void CopiesPresenter::Settle(Controls& controls) {
    const int typed = ReadCount(controls.Text(IDC_COPIES_GRAYSCALE)).value_or(0);
    const int grey = std::clamp(typed, 0, total_);
    // A count outside 0..total is put back to the nearest end; a text that is no count
    // (an empty field while the user retypes, a lone "-") is left alone and counts as 0.
    if (grey != typed) Write(controls, IDC_COPIES_GRAYSCALE, grey);
    Write(controls, IDC_COPIES_COLOR, total_ - grey);
}

void CopiesPresenter::Write(Controls& controls, int id, int value) {
    const FlagScope writing(writing_);
    controls.SetText(id, DecimalText(value));
}

int CopiesPresenter::GreyCount(Controls& controls) const {
    if (!splitAllowed_) return 0;
    return std::clamp(ReadCount(controls.Text(IDC_COPIES_GRAYSCALE)).value_or(0), 0, total_);
}

}  // namespace ui
