// The four edit filters on real edit controls of a real dialog. Shortcuts are posted key
// presses with the thread's keyboard state set (SetKeyboardState), so the filters see the
// left or right Ctrl key in GetKeyState and TranslateMessage makes the control characters;
// unlike SendInput this does not depend on which window of the wineserver has the focus.
// Typed characters are sent as WM_CHAR. The clipboard is the wineserver's real one.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/win32/edit_filters_win32.h"
#include "profile/ui_session.h"
#include "sheet_host.h"
#include "ui/edit_filters.h"
#include "ui/presenter.h"

namespace {

using ui::EditFilter;

// The dialog's presenter, as the plug-in's dialogs keep one in DWLP_USER.
class SessionPresenter final : public ui::Presenter {
  public:
    profile::UiSession* session() const override { return &session_; }
    bool OnInit(ui::Controls&) override { return true; }
    void SetLimits(std::int16_t min, std::int16_t max) {
        session_.minPasscodeLength = min;
        session_.maxPasscodeLength = max;
    }

  private:
    mutable profile::UiSession session_{};
};

// An empty, visible, modeless dialog; the edits are added as child windows.
struct EmptyTemplate {
    DLGTEMPLATE head;
    WORD menu, windowClass, title;
};
const EmptyTemplate kTemplate = {
    {WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 0, 0, 200, 100}, 0, 0, 0};

INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// Dispatches everything queued, including the characters TranslateMessage makes.
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring Text(HWND edit) {
    wchar_t buffer[2048] = {};
    GetWindowTextW(edit, buffer, 2048);
    return buffer;
}

// Puts one block on the clipboard, owned by `owner`.
void SetClipboardBlock(HWND owner, UINT format, const void* data, std::size_t bytes) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    ASSERT_NE(nullptr, block);
    std::memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    EXPECT_NE(nullptr, SetClipboardData(format, block)) << GetLastError();
    CloseClipboard();
}

void SetClipboardText(HWND owner, const std::wstring& text) {
    SetClipboardBlock(owner, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return L"<not opened>";
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        const SIZE_T units = GlobalSize(block) / sizeof(wchar_t);
        if (const auto* data = static_cast<const wchar_t*>(GlobalLock(block))) {
            text.assign(data, wcsnlen(data, units));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

class EditFilters : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &kTemplate.head, nullptr,
                                            &TestDialogProc, 0);
        ASSERT_NE(nullptr, dialog) << "error " << GetLastError();
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&presenter));
        presenter.SetLimits(4, 4);
        name = MakeEdit(EditFilter::kName, 1066, 64);
        digits = MakeEdit(EditFilter::kDigit, 1020, 4);
        accountId = MakeEdit(EditFilter::kAccountId, 1191, 32);
        password = MakeEdit(EditFilter::kAccountPassword, 1349, 32);
    }
    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
    }

    HWND MakeEdit(EditFilter filter, int id, int limit) {
        HWND edit = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0,
                                    100, 20, dialog, reinterpret_cast<HMENU>(INT_PTR{id}),
                                    GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(nullptr, edit);
        SendMessageW(edit, EM_LIMITTEXT, limit, 0);
        win32::InstallEditFilter(edit, filter);
        return edit;
    }

    static void Type(HWND edit, const std::wstring& text) {
        for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
    }

    // Ctrl+key as the keyboard delivers it: the thread's key state says which Ctrl key is
    // down (and, for AltGr, the right Alt key with it), TranslateMessage turns the key press
    // into its control character.
    static void Shortcut(HWND edit, WORD key, WORD ctrl = VK_LCONTROL, bool altGr = false) {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = 0x80;
        keys[ctrl] = 0x80;
        keys[key] = 0x80;
        if (altGr) keys[VK_MENU] = keys[VK_RMENU] = 0x80;
        ASSERT_TRUE(SetKeyboardState(keys));
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(edit, WM_KEYDOWN, key, scan | 1);
        Pump();
        keys[key] = 0;
        SetKeyboardState(keys);
        PostMessageW(edit, WM_KEYUP, key, scan | 0xC0000001);
        Pump();
        BYTE none[256] = {};
        SetKeyboardState(none);
    }

    static void Paste(HWND edit, WORD ctrl = VK_LCONTROL) { Shortcut(edit, 'V', ctrl); }

    void Reset(HWND edit, const wchar_t* text) {
        SetWindowTextW(edit, text);
        SendMessageW(edit, EM_SETSEL, wcslen(text), wcslen(text));
    }

    // Empties the field, puts `clip` on the clipboard and pastes it with the left Ctrl key.
    std::wstring PasteInto(HWND edit, const std::wstring& clip) {
        Reset(edit, L"");
        SetClipboardText(dialog, clip);
        Paste(edit);
        return Text(edit);
    }

    SessionPresenter presenter;
    HWND dialog = nullptr;
    HWND name = nullptr;
    HWND digits = nullptr;
    HWND accountId = nullptr;
    HWND password = nullptr;
};

// Each field's filter on its own edit: typing is filtered character by character, a paste
// is taken whole or not at all, within the session's passcode limits of the moment.
TEST_F(EditFilters, EachFieldFiltersTypingAndTakesPastesWholeOrNotAtAll) {
    // A second installation (and one on no window) keeps the edit's own procedure: no
    // endless chain into itself.
    win32::InstallEditFilter(name, EditFilter::kName);
    win32::InstallEditFilter(nullptr, EditFilter::kName);
    Type(name, L"a/b\\c\b");
    EXPECT_EQ(L"ab", Text(name));
    Type(digits, L"1a2\b3");
    EXPECT_EQ(L"13", Text(digits));
    Type(password, L" ~!a\x00E9\b");
    EXPECT_EQ(L"~!", Text(password));

    const struct {
        HWND edit;
        const wchar_t* clip;
        const wchar_t* result;
    } cases[] = {
        {name, L"ab/c", L""},         {name, L"Ab 12", L"Ab 12"}, {digits, L"1234", L"1234"},
        {digits, L"12345", L""},      {accountId, L"j doe", L""}, {accountId, L"j.d@c", L"j.d@c"},
        {password, L"p@s~", L"p@s~"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, PasteInto(c.edit, c.clip)) << c.clip;

    presenter.SetLimits(2, 3);
    EXPECT_EQ(L"123", PasteInto(digits, L"123"));
    EXPECT_EQ(L"", PasteInto(password, L"abcd"));
    // Without a presenter only the characters are checked.
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    EXPECT_EQ(L"1", PasteInto(digits, L"1"));
    EXPECT_EQ(L"", PasteInto(digits, L"1x"));
}

TEST_F(EditFilters, AcceptedPasteReplacesTheSelectionOnce) {
    Reset(name, L"hello world");
    SendMessageW(name, EM_SETSEL, 6, 11);
    SetClipboardText(dialog, L"Ab12");
    Paste(name);
    EXPECT_EQ(L"hello Ab12", Text(name));
    // After a refused paste the swallowed control character does not eat the next one.
    SetClipboardText(dialog, L"/");
    Paste(name);
    Type(name, L"!");
    EXPECT_EQ(L"hello Ab12!", Text(name));
}

TEST_F(EditFilters, RightCtrlAndTheContextMenuLeaveThePasteToTheEdit) {
    SetClipboardText(dialog, L"a/b");
    // In the name field the control character is allowed: the edit pastes unfiltered.
    Paste(name, VK_RCONTROL);
    EXPECT_EQ(L"a/b", Text(name));
    // In the others it is refused, so nothing is pasted at all.
    SetClipboardText(dialog, L"1234");
    for (HWND edit : {digits, accountId, password}) {
        Paste(edit, VK_RCONTROL);
        EXPECT_EQ(L"", Text(edit));
    }
    SetClipboardText(dialog, L"x/y");
    SendMessageW(accountId, WM_PASTE, 0, 0);
    EXPECT_EQ(L"x/y", Text(accountId));
}

TEST_F(EditFilters, AltGrTypesInsteadOfPastingOrCutting) {
    // The system reports AltGr as left Ctrl + right Alt; on Czech, Slovak, Hungarian and
    // Croatian layouts AltGr+V types "@" and AltGr+X types "#".
    Reset(accountId, L"j.doe");
    SetClipboardText(dialog, L"clipboard");
    Shortcut(accountId, 'V', VK_LCONTROL, true);
    Type(accountId, L"@");
    EXPECT_EQ(L"j.doe@", Text(accountId)) << "nothing pasted, the typed character kept";
    SendMessageW(accountId, EM_SETSEL, 0, 1);
    Shortcut(accountId, 'X', VK_LCONTROL, true);
    EXPECT_EQ(L"j.doe@", Text(accountId)) << "nothing cut";
    EXPECT_EQ(L"clipboard", ClipboardText(dialog));
}

TEST_F(EditFilters, EachFieldKeepsItsOwnPasteFlag) {
    // Ctrl+V in this dialog's name field raises its flag; the control character it is meant
    // for has not arrived yet when a user types into the name field of another dialog on
    // another thread. That typing must not be eaten by this field's flag, nor clear it.
    SetClipboardText(dialog, L"a/b");
    BYTE keys[256] = {};
    keys[VK_CONTROL] = keys[VK_LCONTROL] = keys['V'] = 0x80;
    ASSERT_TRUE(SetKeyboardState(keys));
    SendMessageW(name, WM_KEYDOWN, 'V', 1);
    BYTE none[256] = {};
    SetKeyboardState(none);

    std::wstring typed;
    std::thread other([&] {
        HWND otherDialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &kTemplate.head,
                                                      nullptr, &TestDialogProc, 0);
        HWND otherName = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20,
                                         otherDialog, reinterpret_cast<HMENU>(INT_PTR{1066}),
                                         GetModuleHandleW(nullptr), nullptr);
        win32::InstallEditFilter(otherName, EditFilter::kName);
        Type(otherName, L"xy");
        typed = Text(otherName);
        DestroyWindow(otherDialog);
    });
    other.join();
    EXPECT_EQ(L"xy", typed);
    Type(name, L"\x16jd");
    EXPECT_EQ(L"jd", Text(name)) << "this field's flag still swallows its control character";
}

TEST_F(EditFilters, CopyAndCutWorkInTheIdFieldsOnly) {
    for (HWND edit : {name, accountId}) {
        Reset(edit, L"secret");
        SendMessageW(edit, EM_SETSEL, 0, 3);
        SetClipboardText(dialog, L"before");
        Shortcut(edit, 'C');
        EXPECT_EQ(L"sec", ClipboardText(dialog));
        SetClipboardText(dialog, L"before");
        Shortcut(edit, 'X');
        EXPECT_EQ(L"sec", ClipboardText(dialog));
        EXPECT_EQ(L"ret", Text(edit));
    }
    for (HWND edit : {digits, password}) {
        Reset(edit, L"1234");
        SendMessageW(edit, EM_SETSEL, 0, 4);
        SetClipboardText(dialog, L"before");
        Shortcut(edit, 'C');
        Shortcut(edit, 'X');
        EXPECT_EQ(L"before", ClipboardText(dialog)) << "a passcode never leaves its field";
        EXPECT_EQ(L"1234", Text(edit));
    }
}

TEST_F(EditFilters, HostileOrMissingClipboardTextIsBounded) {
    // A CF_TEXT block without terminator is read no further than its size. (Wine puts a
    // terminator into the block's last byte when it is set, Windows leaves it.)
    presenter.SetLimits(3, 4);
    SetClipboardBlock(dialog, CF_TEXT, "1234", 4);
    Paste(digits);
    const std::wstring pasted = Text(digits);
    EXPECT_TRUE(pasted == L"123" || pasted == L"1234") << pasted;

    // At most 259 characters reach the field.
    SendMessageW(name, EM_LIMITTEXT, 1000, 0);
    const std::string longText(300, 'a');
    SetClipboardBlock(dialog, CF_TEXT, longText.c_str(), longText.size() + 1);
    Paste(name);
    EXPECT_EQ(std::wstring(259, L'a'), Text(name));
    Reset(name, L"");

    // 100,000 characters of Unicode text, which the system hands on as ANSI text, in every
    // field: refused unseen, and nothing of the process is kept.
    const std::wstring flood(100000, L'1');
    for (HWND edit : {name, digits, accountId, password}) EXPECT_EQ(L"", PasteInto(edit, flood));
    const int gdiBefore = hostsim::GdiObjectsAlive();
    const int handlesBefore = hostsim::HandlesOpen();
    for (HWND edit : {name, digits, accountId, password}) EXPECT_EQ(L"", PasteInto(edit, flood));
    EXPECT_EQ(gdiBefore, hostsim::GdiObjectsAlive());
    EXPECT_EQ(handlesBefore, hostsim::HandlesOpen());
    Reset(digits, pasted.c_str());

    // No text on the clipboard, or the clipboard held open by another thread: nothing.
    ASSERT_TRUE(OpenClipboard(dialog));
    EmptyClipboard();
    CloseClipboard();
    Paste(name);
    Paste(digits);
    EXPECT_EQ(L"", Text(name));
    EXPECT_EQ(pasted, Text(digits));
    SetClipboardText(dialog, L"ab");
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        const BOOL ok = OpenClipboard(nullptr);
        SetEvent(opened);
        WaitForSingleObject(release, 5000);
        if (ok) CloseClipboard();
    });
    WaitForSingleObject(opened, 5000);
    Paste(name);
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    Type(name, L"q");
    EXPECT_EQ(L"q", Text(name));
}

}  // namespace
