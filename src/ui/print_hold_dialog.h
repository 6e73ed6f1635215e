// The Print and Hold dialog: the print mode of a job (normal, proof, confidential, stored,
// spooled, delayed) with the user ID, job name, passcode and print time the mode needs. It
// reads and writes the sheet's private record and reports a confirmed change to the sheet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/passcode_limits.h"
#include "ui/session_dialog.h"

namespace ui {

// The print modes, in the order of their numbers; each name is also the language file key
// of the mode's label.
inline constexpr std::int16_t kModeNormal = 0;
inline constexpr std::int16_t kModeProof = 1;
inline constexpr std::int16_t kModeConfidentional = 2;
inline constexpr std::int16_t kModeStore = 3;
inline constexpr std::int16_t kModeSpool = 4;
inline constexpr std::int16_t kModeDelay = 5;
inline constexpr std::int16_t kModeCount = 6;
inline constexpr const char16_t* kPrintModeNames[kModeCount] = {
    u"Normal", u"Proof", u"Confidentional", u"Store", u"Spool", u"Delay"};

// The record's mode code: mode × 2 + storeFlag below Spool, 8 for Spool and 9 for Delay.
std::int16_t EncodePrintModeCode(std::int16_t mode, std::int16_t storeFlag);
// The mode and store flag of a code; the flag is 0 unless storageState is 1 (hard disk on).
void DecodePrintModeCode(std::int16_t code, std::int32_t storageState, std::int16_t* mode,
                         std::int16_t* storeFlag);

// The digits of the record field that a passcode of `mode` is stored in: the long passcode
// of a confidential job when encryptionMode is 1, the short one otherwise.
int PasscodeWidth(std::int16_t mode, std::int16_t encryptionMode);

// True when the first `length` units of `text` may stand in a user ID or job name: no
// slash, backslash or line feed, and nothing above 0x80; with koreanSupport 1 also Hangul,
// as a KS X 1001 byte pair carried one byte per unit (lead 0xB0 to 0xC8, trail 0xA1 to
// 0xFE) or as a UTF-16 Hangul syllable. Never reads past the end of `text`.
bool IsValidJobText(std::u16string_view text, std::int32_t koreanSupport, std::size_t length);

class PrintHoldPresenter final : public SessionDialog {
  public:
    PrintHoldPresenter(const platform::Platform& ports, profile::UiSession& session)
        : SessionDialog(ports, session) {}

    bool OnCommand(Controls& controls, int id, int code) override;
    bool OnHelp(Controls&, int controlId) override { return ControlHelp(controlId); }

  private:
    void* Record() const;
    void Initialise(Controls& controls) override;
    void Confirm(Controls& controls);
    // The mode of combo position `position`, or `fallback` when no entry lies there.
    std::int16_t ModeAt(int position, std::int16_t fallback) const;
    void FillModeList(Controls& controls, int selected);
    void ShowModeControls(Controls& controls, std::int16_t mode, std::int16_t storeFlag);
    void ShowControl(Controls& controls, int id, bool show, bool isStatic);
    void EnableGroup(Controls& controls, std::span<const int> ids, bool enable);
    // The passcode lengths a mode takes: the model's limits, bounded by the record field the
    // mode stores its passcode in.
    PasscodeLimits LimitsFor(std::int16_t mode) const;
    void LimitPasscodeFields(Controls& controls, std::int16_t mode);
    bool CheckPasscodeEntry(Controls& controls, std::int16_t mode);
    void StorePrintAt(Controls& controls);
    void LoadPrintAt(Controls& controls);
    DateTime Now() const;
};

}  // namespace ui
