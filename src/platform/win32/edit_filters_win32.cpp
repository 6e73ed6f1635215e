#include "platform/win32/edit_filters_win32.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "plugin/module_state.h"
#include "profile/ui_session.h"
#include "ui/edit_filters.h"
#include "ui/presenter.h"

namespace win32 {

namespace {

ui::EditFilterState& State() { return plugin::TheModuleState().editFilters; }

// Message parameters as the core's 32-bit codes; anything wider matches no key or set.
std::uint32_t Code(WPARAM wParam) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(wParam, 0xFFFFFFFFu));
}

LRESULT PassOn(ui::EditFilter filter, HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::intptr_t previous = State().previousProc[ui::Index(filter)];
    if (previous == 0) return DefWindowProcW(edit, message, wParam, lParam);
    return CallWindowProcW(reinterpret_cast<WNDPROC>(previous), edit, message, wParam, lParam);
}

bool LeftCtrlDown() { return (GetKeyState(VK_LCONTROL) & 0x8000) != 0; }

// The passcode limits of the session whose presenter the edit's dialog keeps.
ui::PasteLimits LimitsOf(HWND edit) {
    HWND parent = GetParent(edit);
    if (parent == nullptr) return {};
    auto* presenter = reinterpret_cast<ui::Presenter*>(GetWindowLongPtrW(parent, DWLP_USER));
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
        return PassOn(filter, edit, message, wParam, lParam);
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
    return PassOn(filter, edit, message, wParam, lParam);
}

LRESULT Filter(ui::EditFilter filter, HWND edit, UINT message, WPARAM wParam,
               LPARAM lParam) noexcept {
    try {
        switch (message) {
            case WM_KEYDOWN:
                switch (ui::OnKeyDown(filter, Code(wParam), LeftCtrlDown(), State())) {
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
            case WM_CHAR:
                switch (ui::OnChar(filter, Code(wParam), State())) {
                    case ui::CharAction::kPassOn:
                        break;
                    case ui::CharAction::kSwallow:
                        return 0;
                    case ui::CharAction::kSwallowWithBeep:
                        MessageBeep(MB_OK);
                        return 0;
                }
                break;
            default:
                break;
        }
        return PassOn(filter, edit, message, wParam, lParam);
    } catch (...) {
        // Only the paste buffer can fail to allocate: the paste is dropped.
        return 0;
    }
}

}  // namespace

LRESULT CALLBACK NameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return Filter(ui::EditFilter::kName, edit, message, wParam, lParam);
}

LRESULT CALLBACK DigitEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return Filter(ui::EditFilter::kDigit, edit, message, wParam, lParam);
}

LRESULT CALLBACK AccountIdEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return Filter(ui::EditFilter::kAccountId, edit, message, wParam, lParam);
}

LRESULT CALLBACK AccountPasswordEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return Filter(ui::EditFilter::kAccountPassword, edit, message, wParam, lParam);
}

WNDPROC EditFilterProc(ui::EditFilter filter) {
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
    const WNDPROC proc = EditFilterProc(filter);
    if (proc == nullptr || edit == nullptr) return;
    const auto procValue = reinterpret_cast<LONG_PTR>(proc);
    // A second install on the same edit would make the filter its own predecessor.
    if (GetWindowLongPtrW(edit, GWLP_WNDPROC) == procValue) return;
    const LONG_PTR previous = SetWindowLongPtrW(edit, GWLP_WNDPROC, procValue);
    if (previous != 0) State().previousProc[ui::Index(filter)] = previous;
}

}  // namespace win32
