// The decisions of the four input filters of edit fields: which characters each field takes
// while the user types, which clipboard texts it takes on Ctrl+V, and what each key press
// and character turns into. The Win32 window procedures only carry these actions out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/controls.h"

namespace ui {

inline constexpr std::size_t kEditFilterCount = 4;

// Virtual-key codes and control characters the filters look at.
inline constexpr std::uint32_t kKeyC = 0x43;
inline constexpr std::uint32_t kKeyV = 0x56;
inline constexpr std::uint32_t kKeyX = 0x58;
inline constexpr std::uint32_t kBackspace = 0x08;

// At most this many characters of an accepted paste reach the field.
inline constexpr std::size_t kMaxPastedUnits = 259;
// Clipboard texts longer than this are refused unseen; no field takes more than
// kMaxPastedUnits characters, and the passcode limits are 16-bit.
inline constexpr std::size_t kMaxPasteBytes = 0x10000;

// The state of one filtered field: the paste flag of the two filters that have one. Each
// edit control keeps its own, so that fields of two dialogs (on two threads) never share it.
struct EditFilterState {
    std::int16_t pastePending = 0;
};

constexpr std::size_t Index(EditFilter filter) { return static_cast<std::size_t>(filter); }

// What sets one filter apart from the others.
struct EditFilterTraits {
    bool hasPastePending;     // swallows the character that follows its Ctrl+V
    bool pasteLengthLimited;  // pastes must fit minPasscodeLength..maxPasscodeLength
    bool handlesCopyAndCut;   // sends WM_COPY / WM_CUT itself on left Ctrl+C / Ctrl+X
    bool takesUnicodeText;    // CF_UNICODETEXT on the clipboard counts as text too
};
EditFilterTraits TraitsOf(EditFilter filter);

// A character typed into the field (WM_CHAR's UTF-16 unit).
bool AcceptsTyped(EditFilter filter, std::uint32_t ch);
// One byte of a pasted ANSI text.
bool AcceptsPasted(EditFilter filter, unsigned char byte);

enum class KeyAction {
    kPassOn,          // hand the key press to the edit's own procedure
    kFilteredPaste,   // fetch the clipboard text, decide it with DecidePaste
    kCopyThenPassOn,  // send WM_COPY to the edit, then pass the key press on
    kCutThenPassOn,   // send WM_CUT to the edit, then pass the key press on
};

// The modifier keys down when a key press arrives.
struct Modifiers {
    bool leftCtrl = false;
    bool alt = false;  // either Alt key; AltGr arrives as left Ctrl + right Alt
};

// WM_KEYDOWN. Only the left Ctrl key without Alt makes a shortcut: AltGr, which the system
// reports as left Ctrl + right Alt, types characters (such as "@" on Central European
// layouts) and must not paste or cut. A paste raises the field's paste flag.
KeyAction OnKeyDown(EditFilter filter, std::uint32_t key, Modifiers modifiers,
                    EditFilterState& state);

enum class CharAction {
    kPassOn,           // an accepted character
    kSwallow,          // the control character of a filtered paste, dropped silently
    kSwallowWithBeep,  // a refused character: MessageBeep(MB_OK), not passed on
};

// WM_CHAR. A raised paste flag is cleared and the character swallowed.
CharAction OnChar(EditFilter filter, std::uint32_t ch, EditFilterState& state);

// The ANSI text of a clipboard block: up to its terminator, never past the block's size,
// and never longer than kMaxPasteBytes + 1 (so that an over-long text stays over-long).
std::string_view ClipboardText(const char* block, std::size_t blockSize);

// Limits of the passcode and password fields, from the dialog's session. Without a session
// the length is not checked; the byte set still is, and the dialog checks again on OK.
struct PasteLimits {
    bool known = false;
    std::int16_t minLength = 0;
    std::int16_t maxLength = 0;
};

enum class PasteVerdict { kInsert, kRefuse };

// A clipboard text fetched for a filtered paste. A refused paste inserts nothing, is not
// passed on and makes no sound; an accepted one replaces the selection and the key press
// is passed on.
PasteVerdict DecidePaste(EditFilter filter, std::string_view text, PasteLimits limits);

}  // namespace ui
