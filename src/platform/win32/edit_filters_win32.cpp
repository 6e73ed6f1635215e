#include "platform/win32/edit_filters_win32.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/win32/dialog_host.h"
#include "profile/ui_session.h"
#include "ui/edit_filters.h"
#include "ui/presenter.h"

namespace win32 {

namespace {

// One subclass per filter; the id tells SetWindowSubclass's bookkeeping which it is.
constexpr UINT_PTR kFilterSubclassId = 0x43564C46;  // "CVLF"

// Message parameters as the core's 32-bit codes; anything wider matches no key or set.
std::uint32_t Code(WPARAM wParam) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(wParam, 0xFFFFFFFFu));
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The passcode limits of the session whose presenter the edit's dialog keeps.
ui::PasteLimits LimitsOf(HWND edit) {
    HWND parent = GetParent(edit);
    if (parent == nullptr) return {};
    ui::Presenter* presenter = PresenterOf(parent);
    const profile::UiSession* session = presenter ? presenter->session() : nullptr;
    if (session == nullptr) return {};
    return {.known = true,
            .minLength = session->minPasscodeLength,
            .maxLength = session->maxPasscodeLength};
}

class OpenedClipboard {
  public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    bool open() const { return open_; }

  private:
    bool open_;
};

class LockedGlobal {
  public:
    explicit LockedGlobal(HANDLE block) : block_(block), data_(GlobalLock(block)) {}
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal() {
        if (data_ != nullptr) GlobalUnlock(block_);
    }
    const char* data() const { return static_cast<const char*>(data_); }

  private:
    HANDLE block_;
    void* data_;
};

enum class Fetch { kNotOpened, kNoText, kText };

// Copies the clipboard's ANSI text into `text` (bounded by the block's size and
// ui::kMaxPasteBytes) and closes the clipboard again.
Fetch FetchClipboardText(HWND edit, ui::EditFilter filter, std::string& text) {
    OpenedClipboard clipboard(edit);
    if (!clipboard.open()) return Fetch::kNotOpened;
    const bool available =
        IsClipboardFormatAvailable(CF_TEXT) ||
        (ui::TraitsOf(filter).takesUnicodeText && IsClipboardFormatAvailable(CF_UNICODETEXT));
    if (!available) return Fetch::kNoText;
    HANDLE block = GetClipboardData(CF_TEXT);
    if (block == nullptr) return Fetch::kNoText;
    const SIZE_T size = GlobalSize(block);
    LockedGlobal locked(block);
    if (locked.data() == nullptr) return Fetch::kNoText;
    text.assign(ui::ClipboardText(locked.data(), size));
    return Fetch::kText;
}

LRESULT FilteredPaste(ui::EditFilter filter, HWND edit, UINT message, WPARAM wParam,
                      LPARAM lParam) {
    std::string text;
    if (FetchClipboardText(edit, filter, text) != Fetch::kText) {
        return DefSubclassProc(edit, message, wParam, lParam);
    }
    if (ui::DecidePaste(filter, text, LimitsOf(edit)) == ui::PasteVerdict::kRefuse) return 0;

    // Accepted texts are ASCII: one byte is one character.
    wchar_t wide[ui::kMaxPastedUnits + 1];
    const int bytes = static_cast<int>(std::min(text.size(), ui::kMaxPastedUnits));
    int units = 0;
    if (bytes > 0) {
        units = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, wide,
                                    static_cast<int>(ui::kMaxPastedUnits));
    }
    wide[units > 0 ? units : 0] = L'\0';
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide));
    return DefSubclassProc(edit, message, wParam, lParam);
}

// The edit's own state lives in the subclass's reference data; a change is written back.
void StoreState(ui::EditFilter filter, HWND edit, const ui::EditFilterState& state) {
    SetWindowSubclass(edit, EditFilterProc(filter), kFilterSubclassId,
                      static_cast<DWORD_PTR>(static_cast<std::uint16_t>(state.pastePending)));
}

LRESULT Filter(ui::EditFilter filter, HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
               DWORD_PTR data) noexcept {
    try {
        ui::EditFilterState state;
        state.pastePending = static_cast<std::int16_t>(data & 0xFFFF);
        switch (message) {
            case WM_KEYDOWN: {
                const ui::Modifiers modifiers{.leftCtrl = KeyDown(VK_LCONTROL),
                                              .alt = KeyDown(VK_MENU)};
                const ui::KeyAction action = ui::OnKeyDown(filter, Code(wParam), modifiers, state);
                if (state.pastePending != static_cast<std::int16_t>(data & 0xFFFF)) {
                    StoreState(filter, edit, state);
                }
                switch (action) {
                    case ui::KeyAction::kPassOn:
                        break;
                    case ui::KeyAction::kFilteredPaste:
                        return FilteredPaste(filter, edit, message, wParam, lParam);
                    case ui::KeyAction::kCopyThenPassOn:
                        SendMessageW(edit, WM_COPY, 0, 0);
                        break;
                    case ui::KeyAction::kCutThenPassOn:
                        SendMessageW(edit, WM_CUT, 0, 0);
                        break;
                }
                break;
            }
            case WM_CHAR: {
                const ui::CharAction action = ui::OnChar(filter, Code(wParam), state);
                if (state.pastePending != static_cast<std::int16_t>(data & 0xFFFF)) {
                    StoreState(filter, edit, state);
                }
                switch (action) {
                    case ui::CharAction::kPassOn:
                        break;
                    case ui::CharAction::kSwallow:
                        return 0;
                    case ui::CharAction::kSwallowWithBeep:
                        MessageBeep(MB_OK);
                        return 0;
                }
                break;
            }
            case WM_NCDESTROY:
                RemoveWindowSubclass(edit, EditFilterProc(filter), kFilterSubclassId);
                break;
            default:
                break;
        }
        return DefSubclassProc(edit, message, wParam, lParam);
    } catch (...) {
        // Only the paste buffer can fail to allocate: the paste is dropped.
        return 0;
    }
}

}  // namespace

LRESULT CALLBACK NameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) noexcept {
    return Filter(ui::EditFilter::kName, edit, message, wParam, lParam, data);
}

LRESULT CALLBACK DigitEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) noexcept {
    return Filter(ui::EditFilter::kDigit, edit, message, wParam, lParam, data);
}

LRESULT CALLBACK AccountIdEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) noexcept {
    return Filter(ui::EditFilter::kAccountId, edit, message, wParam, lParam, data);
}

LRESULT CALLBACK AccountPasswordEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) noexcept {
    return Filter(ui::EditFilter::kAccountPassword, edit, message, wParam, lParam, data);
}

SUBCLASSPROC EditFilterProc(ui::EditFilter filter) {
    switch (filter) {
        case ui::EditFilter::kName:
            return &NameEditProc;
        case ui::EditFilter::kDigit:
            return &DigitEditProc;
        case ui::EditFilter::kAccountId:
            return &AccountIdEditProc;
        case ui::EditFilter::kAccountPassword:
            return &AccountPasswordEditProc;
    }
    return nullptr;
}

void InstallEditFilter(HWND edit, ui::EditFilter filter) {
    const SUBCLASSPROC proc = EditFilterProc(filter);
    if (proc == nullptr || edit == nullptr) return;
    // Installing a filter again only clears its paste flag: SetWindowSubclass never chains
    // a subclass into itself.
    SetWindowSubclass(edit, proc, kFilterSubclassId, 0);
}

}  // namespace win32
