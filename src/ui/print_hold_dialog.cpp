#include "ui/print_hold_dialog.h"

#include <algorithm>

#include "devmode/oem_devmode.h"
#include "plugin/host_interface.h"
#include "profile/bounded_text.h"
#include "ui/localise.h"

namespace ui {
namespace {

constexpr int kCbnSelChange = 1;
constexpr std::size_t kTextUnits = 260;
// What the dialog reads of its texts: the record's widths.
constexpr std::size_t kUserIdUnits = devmode::kUserId.units;
constexpr std::size_t kJobNameUnits = devmode::kJobName.units;

constexpr int kPrintAtGroup[] = {IDC_HOLD_PRINT_AT_LABEL, IDC_HOLD_PRINT_AT_DATE,
                                 IDC_HOLD_PRINT_AT_TIME};
// The passcode group: its labels and fields, and the two hints of each field.
constexpr int kPasscodeFields[] = {IDC_HOLD_PASSCODE_LABEL, IDC_HOLD_PASSCODE,
                                   IDC_HOLD_CONFIRM_LABEL, IDC_HOLD_CONFIRM};
constexpr int kPasscodeGroup[] = {
    IDC_HOLD_PASSCODE_LABEL,      IDC_HOLD_PASSCODE,          IDC_HOLD_PASSCODE_HINT_FIXED,
    IDC_HOLD_CONFIRM_LABEL,       IDC_HOLD_CONFIRM,           IDC_HOLD_CONFIRM_HINT_FIXED,
    IDC_HOLD_PASSCODE_HINT_RANGE, IDC_HOLD_CONFIRM_HINT_RANGE};

// The entries of printModeList in use.
int OfferedCount(const profile::UiSession& session) {
    return std::clamp(session.printModeCount, 0, static_cast<int>(profile::kMaxPrintModes));
}

bool IsPasscodeMode(std::int16_t mode) { return mode == kModeConfidentional || mode == kModeStore; }

// A unit that a user ID or job name may hold without any Korean support.
bool IsPlainJobUnit(char16_t c) { return c <= 0x80 && c != u'/' && c != u'\\' && c != u'\n'; }

bool IsHangulSyllable(char16_t c) { return c >= 0xAC00 && c <= 0xD7A3; }

std::u16string Cut(std::u16string text, std::size_t units) {
    if (text.size() > units) text.resize(units);
    return text;
}

// The text of a key in the reader's current section, the key itself when it is missing.
std::u16string ReadOrKey(const profile::ProfileReader* reader, const char16_t* key) {
    if (reader == nullptr) return key;
    char16_t value[kTextUnits];
    reader->ReadString(key, value, kTextUnits, key);
    return value;
}

// Up to six integers separated by colons, as "%d:%d:%d:%d:%d:%d" reads them; returns how
// many were read.
int ParsePrintAt(std::u16string_view s, int (&fields)[6]) {
    std::size_t i = 0;
    int count = 0;
    while (count < 6) {
        while (i < s.size() && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r'))) ++i;
        bool negative = false;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
        const std::size_t start = i;
        int value = 0;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
            value = std::min(value * 10 + (s[i] - u'0'), 100000);
            ++i;
        }
        if (i == start) break;
        fields[count++] = negative ? -value : value;
        if (i >= s.size() || s[i] != u':') break;
        ++i;
    }
    return count;
}

int DaysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Whether a picker can show the time (the platform's SYSTEMTIME range).
bool IsShowable(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1601 || year > 30827 || month < 1 || month > 12) return false;
    return day >= 1 && day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
           minute <= 59 && second >= 0 && second <= 59;
}

}  // namespace

std::int16_t EncodePrintModeCode(std::int16_t mode, std::int16_t storeFlag) {
    if (mode < kModeSpool) return static_cast<std::int16_t>(mode * 2 + (storeFlag != 0 ? 1 : 0));
    return static_cast<std::int16_t>(mode * 2 - (mode & 1));
}

void DecodePrintModeCode(std::int16_t code, std::int32_t storageState, std::int16_t* mode,
                         std::int16_t* storeFlag) {
    const int half = code / 2;  // toward zero
    int decodedMode = half;
    int decodedFlag = code & 1;
    if (half >= 4) {
        decodedMode = half + (code & 1);
        decodedFlag = 0;
    }
    if (storageState != 1) decodedFlag = 0;
    if (mode != nullptr) *mode = static_cast<std::int16_t>(decodedMode);
    if (storeFlag != nullptr) *storeFlag = static_cast<std::int16_t>(decodedFlag);
}

int PasscodeWidth(std::int16_t mode, std::int16_t encryptionMode) {
    const bool useLong = encryptionMode == 1 && mode == kModeConfidentional;
    return static_cast<int>(useLong ? devmode::kLongPasscode.units : devmode::kPasscode.units);
}

bool IsValidJobText(std::u16string_view text, std::int32_t koreanSupport, std::size_t length) {
    const std::size_t end = std::min(length, text.size());
    std::size_t i = 0;
    while (i < end) {
        const char16_t c = text[i];
        if (IsPlainJobUnit(c)) {
            ++i;
            continue;
        }
        if (koreanSupport != 1 || c <= 0x80) return false;
        if (IsHangulSyllable(c)) {
            ++i;
            continue;
        }
        // One byte of a double-byte pair per unit: the pair needs a second byte-sized unit.
        if (c > 0xFF || i + 1 >= text.size() || text[i + 1] > 0xFF) return false;
        const unsigned pair = static_cast<unsigned>(c) * 256 + text[i + 1];
        if (pair < 0xB0A1 || pair > 0xC8FE) return false;
        i += 2;
    }
    return true;
}

void* PrintHoldPresenter::Record() const {
    const host::OEMUIPSPARAM* params = profile::SheetParams(session_);
    return params != nullptr ? params->pOEMDM : nullptr;
}

std::int16_t PrintHoldPresenter::ModeAt(int position, std::int16_t fallback) const {
    const int count = OfferedCount(session_);
    if (position < 0 || position >= count) return fallback;
    return session_.printModeList[position].mode;
}

void PrintHoldPresenter::Initialise(Controls& controls) {
    profile::UiSession& s = session_;

    // The passcode limits first: the walk below puts them into the hint texts. They are
    // fitted to the widest record field a passcode can go to: a longer one would be cut
    // silently on OK.
    const PasscodeLimits limits =
        FitPasscodeLimits(ReadPasscodeLimits(s.profileReader.get(), kHoldPasscodeKeys),
                          PasscodeWidth(kModeConfidentional, s.encryptionMode));
    s.minPasscodeLength = static_cast<std::int16_t>(limits.min);
    s.maxPasscodeLength = static_cast<std::int16_t>(limits.max);

    StartDialog(ports_, controls, s, DialogTemplate(ports_, IDD_PRINT_HOLD), u"Hold");

    // The mode of the record, and its place among the offered modes.
    const void* record = Record();
    const auto code = record != nullptr
                          ? static_cast<std::int16_t>(devmode::Get(record, devmode::kPrintModeCode))
                          : std::int16_t{0};
    DecodePrintModeCode(code, s.storageState, &s.printMode, &s.storeFlag);
    const int count = OfferedCount(s);
    int position = 0;
    for (int i = 0; i < count; ++i) {
        if (s.printModeList[i].mode == s.printMode) {
            position = i;
            break;
        }
    }
    if (count > 0) {
        s.printMode = ModeAt(position, s.printMode);
    } else if (s.printMode < 0 || s.printMode >= kModeCount) {
        s.printMode = kModeNormal;
    }
    FillModeList(controls, count > 0 ? position : -1);
    ShowModeControls(controls, s.printMode, s.storeFlag);

    controls.SetLimit(IDC_HOLD_USER_ID, static_cast<int>(kUserIdUnits));
    controls.SetLimit(IDC_HOLD_JOB_NAME, static_cast<int>(kJobNameUnits));
    controls.InstallEditFilter(IDC_HOLD_USER_ID, EditFilter::kName);
    controls.InstallEditFilter(IDC_HOLD_JOB_NAME, EditFilter::kName);
    LimitPasscodeFields(controls, s.printMode);
    controls.InstallEditFilter(IDC_HOLD_PASSCODE, EditFilter::kDigit);
    controls.InstallEditFilter(IDC_HOLD_CONFIRM, EditFilter::kDigit);

    std::u16string userId = record != nullptr ? devmode::GetText(record, devmode::kUserId) : u"";
    if (userId.empty()) {
        if (ports_.system != nullptr) userId = ports_.system->UserName(kUserIdUnits);
        if (userId.empty() || !IsValidJobText(userId, s.koreanSupport, userId.size())) {
            userId = u"Unknown";
        }
    }
    controls.SetText(IDC_HOLD_USER_ID, userId);

    std::u16string jobName = record != nullptr ? devmode::GetText(record, devmode::kJobName) : u"";
    if (jobName.empty()) jobName = u"Untitled";
    controls.SetText(IDC_HOLD_JOB_NAME, jobName);

    // The passcode comes from the field that confirming this mode writes.
    if (record != nullptr) {
        const bool useLong = s.encryptionMode == 1 && s.printMode == kModeConfidentional;
        const std::u16string passcode =
            devmode::GetText(record, useLong ? devmode::kLongPasscode : devmode::kPasscode);
        if (!passcode.empty()) {
            controls.SetText(IDC_HOLD_PASSCODE, passcode);
            controls.SetText(IDC_HOLD_CONFIRM, passcode);
        }
        const std::u16string printAt = devmode::GetText(record, devmode::kPrintAtTime);
        if (!printAt.empty()) text::Copy(s.printAtText, profile::kPrintAtUnits, printAt);
    }
    if (s.printMode == kModeDelay) LoadPrintAt(controls);
}

void PrintHoldPresenter::FillModeList(Controls& controls, int selected) {
    profile::ProfileReader* reader = session_.textReader.get();
    if (reader != nullptr) reader->SetDialogSection(session_.dialogName);
    controls.ClearItems(IDC_HOLD_MODE);
    const int count = OfferedCount(session_);
    for (int i = 0; i < count; ++i) {
        const std::int16_t mode = session_.printModeList[i].mode;
        // An unknown mode still takes its place, so that positions stay list positions.
        const char16_t* name = mode >= 0 && mode < kModeCount ? kPrintModeNames[mode] : u"";
        if (session_.encryptionMode == 1 && mode == kModeConfidentional) name = u"Confidentional1";
        controls.AddItem(IDC_HOLD_MODE, *name != u'\0' ? ReadOrKey(reader, name) : u"");
    }
    controls.SetSelection(IDC_HOLD_MODE, selected);
}

void PrintHoldPresenter::ShowControl(Controls& controls, int id, bool show, bool isStatic) {
    controls.Show(id, show);
    if (isStatic) controls.UpdateTooltipArea(session_.tooltipWindow, id, show);
}

void PrintHoldPresenter::EnableGroup(Controls& controls, std::span<const int> ids, bool enable) {
    // A user without the right to change settings keeps the greyed-out controls of the walk.
    if (enable && session_.noPermission != 0) return;
    for (int id : ids) controls.Enable(id, enable);
}

void PrintHoldPresenter::ShowModeControls(Controls& controls, std::int16_t mode,
                                          std::int16_t storeFlag) {
    const bool storage = session_.storageState == 1;
    ShowControl(controls, IDC_HOLD_STORE_JOB, storage && mode < kModeStore, false);
    ShowControl(controls, IDC_HOLD_STORE_PUBLIC, storage && mode == kModeStore, false);

    for (int id : kPrintAtGroup) {
        ShowControl(controls, id, mode == kModeDelay, id == IDC_HOLD_PRINT_AT_LABEL);
    }

    const bool passcode = IsPasscodeMode(mode);
    for (int id : kPasscodeFields) {
        ShowControl(controls, id, passcode,
                    id == IDC_HOLD_PASSCODE_LABEL || id == IDC_HOLD_CONFIRM_LABEL);
    }

    if (mode < kModeSpool && (storeFlag == 0 || storeFlag == 1)) {
        controls.SetCheck(IDC_HOLD_STORE_JOB, storeFlag == 1);
        controls.SetCheck(IDC_HOLD_STORE_PUBLIC, storeFlag == 1);
    }

    if (passcode) {
        const bool open = !(mode == kModeStore && controls.IsChecked(IDC_HOLD_STORE_PUBLIC));
        EnableGroup(controls, kPasscodeGroup, open);
    }

    // One hint per field: "(0)" for a fixed length, "(0-9)" for a range.
    const bool fixed = session_.minPasscodeLength == session_.maxPasscodeLength;
    ShowControl(controls, IDC_HOLD_PASSCODE_HINT_FIXED, passcode && fixed, true);
    ShowControl(controls, IDC_HOLD_CONFIRM_HINT_FIXED, passcode && fixed, true);
    ShowControl(controls, IDC_HOLD_PASSCODE_HINT_RANGE, passcode && !fixed, true);
    ShowControl(controls, IDC_HOLD_CONFIRM_HINT_RANGE, passcode && !fixed, true);
}

PasscodeLimits PrintHoldPresenter::LimitsFor(std::int16_t mode) const {
    return FitPasscodeLimits({session_.minPasscodeLength, session_.maxPasscodeLength},
                             PasscodeWidth(mode, session_.encryptionMode));
}

void PrintHoldPresenter::LimitPasscodeFields(Controls& controls, std::int16_t mode) {
    const PasscodeLimits limits = LimitsFor(mode);
    controls.SetLimit(IDC_HOLD_PASSCODE, limits.max);
    controls.SetLimit(IDC_HOLD_CONFIRM, limits.max);
}

bool PrintHoldPresenter::CheckPasscodeEntry(Controls& controls, std::int16_t mode) {
    const std::u16string passcode = controls.Text(IDC_HOLD_PASSCODE);
    const std::u16string confirmation = controls.Text(IDC_HOLD_CONFIRM);
    const PasscodeLimits limits = LimitsFor(mode);
    const auto length = static_cast<int>(passcode.size());
    // A paste from the edit's own menu passes the digit filter; only digits are a passcode.
    const bool digits = std::all_of(passcode.begin(), passcode.end(),
                                    [](char16_t c) { return c >= u'0' && c <= u'9'; });
    if (passcode == confirmation && digits && length >= limits.min && length <= limits.max) {
        return true;
    }

    ShowInvalidPasscode(controls, session_, limits.min, limits.max);
    return false;
}

DateTime PrintHoldPresenter::Now() const {
    std::uint16_t f[8] = {};
    if (ports_.system != nullptr) ports_.system->SystemTime(f);
    return {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

void PrintHoldPresenter::StorePrintAt(Controls& controls) {
    const DateTime now = Now();
    DateTime date = now;
    if (!controls.DateTimeValue(IDC_HOLD_PRINT_AT_DATE, &date)) date = now;
    DateTime time = now;
    if (!controls.DateTimeValue(IDC_HOLD_PRINT_AT_TIME, &time)) time = now;
    text::Format(
        session_.printAtText, profile::kPrintAtUnits, u"%d:%02d:%02d:%02d:%02d",
        {int{date.year}, int{date.month}, int{date.day}, int{time.hour}, int{time.minute}});
}

void PrintHoldPresenter::LoadPrintAt(Controls& controls) {
    DateTime value = Now();
    int f[6] = {};
    const std::size_t length = text::FieldLength(session_.printAtText, profile::kPrintAtUnits);
    const int read = ParsePrintAt(std::u16string_view(session_.printAtText, length), f);
    // A time the pickers cannot show (none kept yet, or a damaged one) leaves them at now.
    if (read >= 5 && IsShowable(f[0], f[1], f[2], f[3], f[4], f[5])) {
        value.year = static_cast<std::uint16_t>(f[0]);
        value.month = static_cast<std::uint16_t>(f[1]);
        value.day = static_cast<std::uint16_t>(f[2]);
        value.hour = static_cast<std::uint16_t>(f[3]);
        value.minute = static_cast<std::uint16_t>(f[4]);
        value.second = static_cast<std::uint16_t>(f[5]);
    }
    controls.SetDateTimeValue(IDC_HOLD_PRINT_AT_DATE, value);
    controls.SetDateTimeValue(IDC_HOLD_PRINT_AT_TIME, value);
}

bool PrintHoldPresenter::OnCommand(Controls& controls, int id, int code) {
    try {
        switch (id) {
            case IDC_HOLD_MODE: {
                if (code != kCbnSelChange) return false;
                const std::int16_t mode =
                    ModeAt(controls.Selection(IDC_HOLD_MODE), session_.printMode);
                ShowModeControls(controls, mode, session_.storeFlag);
                LimitPasscodeFields(controls, mode);
                if (mode == kModeDelay) LoadPrintAt(controls);
                return true;
            }
            case IDC_HOLD_STORE_PUBLIC: {
                const bool checked = controls.IsChecked(IDC_HOLD_STORE_PUBLIC);
                session_.storeFlag = checked ? 1 : 0;
                EnableGroup(controls, kPasscodeGroup, !checked);
                return true;
            }
            case IDC_HOLD_STORE_JOB:
                session_.storeFlag = controls.IsChecked(IDC_HOLD_STORE_JOB) ? 1 : 0;
                return true;
            case IDC_DIALOG_OK:
                Confirm(controls);
                return true;
            default:
                return CancelOrHelp(controls, id);
        }
    } catch (...) {
        // Nothing is written before every value is at hand: the record stays as it was.
        return true;
    }
}

void PrintHoldPresenter::Confirm(Controls& controls) {
    profile::UiSession& s = session_;

    // Everything is read and checked first; a refused entry leaves the record untouched.
    std::u16string userId = Cut(controls.Text(IDC_HOLD_USER_ID), kUserIdUnits);
    if (userId.empty() || !IsValidJobText(userId, s.koreanSupport, userId.size())) {
        userId = u"Unknown";
    }
    std::u16string jobName = Cut(controls.Text(IDC_HOLD_JOB_NAME), kJobNameUnits);
    if (jobName.empty() || !IsValidJobText(jobName, s.koreanSupport, jobName.size())) {
        jobName = u"Untitled";
    }
    const std::int16_t mode = ModeAt(controls.Selection(IDC_HOLD_MODE), s.printMode);
    const bool needsPasscode =
        mode == kModeConfidentional || (mode == kModeStore && s.storeFlag == 0);
    if (needsPasscode && !CheckPasscodeEntry(controls, mode)) return;

    const bool useLong = needsPasscode && s.encryptionMode == 1 && mode == kModeConfidentional;
    const std::u16string passcode = needsPasscode ? controls.Text(IDC_HOLD_PASSCODE) : u"";
    std::u16string encryptionKey;
    if (useLong) {
        if (s.profileReader != nullptr) s.profileReader->SetSection(u"FUNCTION");
        encryptionKey = ReadOrKey(s.profileReader.get(), u"EncryptionKey");
    }
    if (mode == kModeDelay) StorePrintAt(controls);

    s.printMode = mode;
    if (void* record = Record()) {
        devmode::SetText(record, devmode::kUserId, userId);
        devmode::SetText(record, devmode::kJobName, jobName);
        devmode::Set(record, devmode::kEncryptionMode, s.encryptionMode);
        devmode::Set(record, devmode::kPrintModeCode, EncodePrintModeCode(mode, s.storeFlag));
        if (useLong) {
            devmode::SetText(record, devmode::kLongPasscode, passcode);
            devmode::SetText(record, devmode::kEncryptionKey, encryptionKey);
        } else if (needsPasscode) {
            devmode::SetText(record, devmode::kPasscode, passcode);
        } else if (mode == kModeDelay) {
            devmode::SetText(
                record, devmode::kPrintAtTime,
                std::u16string_view(s.printAtText,
                                    text::FieldLength(s.printAtText, profile::kPrintAtUnits)));
        }
        s.settingsChanged = 1;
        if (s.propSheetCallback != nullptr) {
            s.propSheetCallback(s.propSheetHandle, host::kCpsFuncSetResult,
                                reinterpret_cast<host::LPARAM>(s.troublePage), host::kCpsuiOk);
        }
    }
    controls.EndDialog(kIdOk);
}

}  // namespace ui
