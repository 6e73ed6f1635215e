#include "ui/lookout_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "ui/layout_direction.h"
#include "ui/localise.h"

namespace ui {
namespace {

constexpr char16_t kEnableValue[] = u"JLook_Enable";
constexpr char16_t kTimeoutValue[] = u"JLook_Timeout";
constexpr std::uint32_t kEnabledByDefault = 1;
constexpr std::uint32_t kDefaultTimeout = 5;
constexpr int kShortestTimeout = 1;
constexpr int kLongestTimeout = 60;
// The interval field takes three characters; what it holds is read no further.
constexpr std::size_t kIntervalUnits = 3;
// Edit notifications.
constexpr int kEnKillFocus = 0x0200;
constexpr int kEnChange = 0x0300;
// Numbers are read saturating here, far beyond every interval.
constexpr int kNumberCeiling = 1000000;

constexpr bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The number at the start of `text`, read as the C library's wide "to integer" reads it:
// blanks, one optional sign, then decimal digits; 0 when no digit follows.
int LeadingNumber(std::u16string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
    int value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = std::min(value * 10 + (text[at] - u'0'), kNumberCeiling);
    }
    return negative ? -value : value;
}

// What the interval field holds, read from its first three characters.
int TypedInterval(Controls& controls) {
    const std::u16string text = controls.Text(IDC_LOOKOUT_INTERVAL);
    return LeadingNumber(std::u16string_view(text).substr(0, kIntervalUnits));
}

}  // namespace

void CentreOverOwner(Controls& controls) {
    const Rect owner = controls.OwnerWindowRect();
    if (owner == Rect{}) return;
    const Rect window = controls.WindowRect();
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    controls.MoveWindowTo(
        {(owner.left + owner.right) / 2 - width / 2, (owner.top + owner.bottom) / 2 - height / 2});
}

void LookoutPresenter::Initialise(Controls& controls) {
    profile::UiSession& s = session_;
    s.tooltipWindow = controls.CreateTooltips(IsRightToLeft(ports_));
    EnterDialog(s, controls.Window(), DialogTemplate(ports_, IDD_LOOKOUT_SETTINGS), u"Lookout");
    LocaliseDialog(controls, s);
    if (s.textReader != nullptr) {
        // The walk may have left the reader in another section.
        s.textReader->SetDialogSection(s.dialogName);
        char16_t caption[profile::kNameUnits];
        s.textReader->ReadString(u"Caption", caption, profile::kNameUnits, u"Caption");
        controls.SetCaption(caption);
    }

    const std::uint32_t enabled = StoredOrRepaired(kEnableValue, 0, 1, kEnabledByDefault);
    controls.SetCheck(IDC_LOOKOUT_ENABLE, enabled == 1);
    const std::uint32_t timeout =
        StoredOrRepaired(kTimeoutValue, kShortestTimeout, kLongestTimeout, kDefaultTimeout);

    controls.SetLimit(IDC_LOOKOUT_INTERVAL, static_cast<int>(kIntervalUnits));
    controls.SetUpDownRange(IDC_LOOKOUT_INTERVAL_SPIN, kShortestTimeout, kLongestTimeout);
    {
        // The field reports this write as a change; the position is set just below.
        const FlagScope writing(writing_);
        controls.SetText(IDC_LOOKOUT_INTERVAL, DecimalText(timeout));
    }
    Position(controls, static_cast<int>(timeout));
    CentreOverOwner(controls);
}

bool LookoutPresenter::OnCommand(Controls& controls, int id, int code) {
    try {
        switch (id) {
            case IDC_LOOKOUT_INTERVAL:
                if (writing_) return true;
                if (code == kEnChange) {
                    // While typing the position follows the number as it stands, as a 16-bit
                    // position (the low 16 bits); the control keeps it within its range.
                    Position(controls, static_cast<std::int16_t>(TypedInterval(controls)));
                } else if (code == kEnKillFocus) {
                    Position(controls, std::clamp(TypedInterval(controls), kShortestTimeout,
                                                  kLongestTimeout));
                }
                return true;
            case IDC_DIALOG_OK:
                Confirm(controls);
                return true;
            case IDC_DIALOG_CANCEL:
                controls.EndDialog(kIdCancel);
                return true;
            default:
                return false;
        }
    } catch (...) {
        return true;
    }
}

NotifyAnswer LookoutPresenter::OnNotify(Controls& controls, const Notification& notification) {
    try {
        if (notification.id == IDC_LOOKOUT_INTERVAL_SPIN && notification.code == kUdnDeltaPos) {
            // The arrows step from the typed number, not from their last position.
            Position(controls, TypedInterval(controls));
        }
    } catch (...) {
    }
    // Not handled: the control applies its step.
    return {};
}

void LookoutPresenter::Confirm(Controls& controls) {
    const std::uint32_t enabled = controls.IsChecked(IDC_LOOKOUT_ENABLE) ? 1 : 0;
    // The field read as a whole, brought into the range the opening repair enforces: an
    // empty field stores the shortest interval instead of 0.
    const int typed = LeadingNumber(controls.Text(IDC_LOOKOUT_INTERVAL));
    const auto timeout =
        static_cast<std::uint32_t>(std::clamp(typed, kShortestTimeout, kLongestTimeout));
    Store(kEnableValue, enabled);
    Store(kTimeoutValue, timeout);
    controls.EndDialog(kIdOk);
}

std::uint32_t LookoutPresenter::StoredOrRepaired(std::u16string_view name, std::uint32_t low,
                                                 std::uint32_t high, std::uint32_t fallback) {
    if (ports_.spooler == nullptr) return fallback;
    unsigned char bytes[sizeof(std::uint32_t)] = {};
    std::uint32_t type = 0;
    std::uint32_t needed = 0;
    // Whatever its type, a value of exactly four bytes is taken as a number; anything else
    // counts as absent.
    const std::uint32_t error = ports_.spooler->ReadPrinterData(session_.printerHandle, name, &type,
                                                                bytes, sizeof bytes, &needed);
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    if (error == 0 && needed == sizeof value && value >= low && value <= high) return value;
    Store(name, fallback);
    return fallback;
}

void LookoutPresenter::Store(std::u16string_view name, std::uint32_t value) {
    if (ports_.spooler == nullptr) return;
    ports_.spooler->WritePrinterData(session_.printerHandle, name, platform::kRegDword, &value,
                                     sizeof value);
}

void LookoutPresenter::Position(Controls& controls, int position) {
    const FlagScope writing(writing_);
    controls.SetUpDownPosition(IDC_LOOKOUT_INTERVAL_SPIN, position);
}

}  // namespace ui
