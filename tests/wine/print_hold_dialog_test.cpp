// The Print and Hold presenter on the DLL's real template, inside the activation context of
// the DLL's manifest, with the sample TALEN model's files: Wine's combo box, date-time
// pickers and edits, the plug-in's own edit filters and the Win32 controls adapter. A
// thread timer plays the user inside the dialog's modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "devmode/oem_devmode.h"
#include "platform/win32/dialog_host.h"
#include "platform/win32/win32_platform.h"
#include "plugin_host.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/layout_direction.h"
#include "ui/print_hold_dialog.h"

namespace {

// A file of this source tree as Wine sees it: the Unix root is drive Z:.
std::u16string WinePath(const char* unixPath, const char* file) {
    std::u16string path = u"Z:";
    for (const char* p = unixPath; *p != '\0'; ++p) path.push_back(*p == '/' ? u'\\' : *p);
    path.push_back(u'\\');
    for (const char* p = file; *p != '\0'; ++p) path.push_back(*p);
    return path;
}

std::wstring TextOf(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

// What the timer plays on the dialog once it is shown. Should the play leave the dialog
// open, a second timer closes it with 99 a while later, so that a failing test ends.
std::function<void(HWND)> play;
profile::UiSession* playedSession = nullptr;
UINT_PTR abandonTimer = 0;

void CALLBACK Abandon(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    abandonTimer = 0;
    const auto dialog = static_cast<HWND>(playedSession->dialogWindow);
    if (dialog != nullptr && IsWindow(dialog)) EndDialog(dialog, 99);
}

void CALLBACK PlayStep(HWND, UINT, UINT_PTR timer, DWORD) {
    const auto dialog = static_cast<HWND>(playedSession->dialogWindow);
    // The modal loop shows the dialog when its queue first runs empty.
    if (dialog == nullptr || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    play(dialog);
    abandonTimer = SetTimer(nullptr, 0, 3000, Abandon);
}

// Chooses a mode with the keyboard, as a user does: Home, then Down as often as needed.
void ChooseWithKeys(HWND dialog, int position) {
    HWND combo = GetDlgItem(dialog, IDC_HOLD_MODE);
    SetFocus(combo);
    SendMessageW(combo, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < position; ++i) SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
}

void Type(HWND dialog, int id, const wchar_t* text) {
    HWND edit = GetDlgItem(dialog, id);
    for (const wchar_t* c = text; *c != L'\0'; ++c) SendMessageW(edit, WM_CHAR, *c, 1);
}

class PrintHoldDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load()) << "error " << GetLastError();
        module.Attach(library.module());
        ASSERT_NE(nullptr, module.ActivationContext()) << "the manifest's context";
        ports.system = &system;
        ports.profiles = &profiles;
        session.textReader = std::make_unique<profile::ProfileReader>(
            &profiles, WinePath(PROFILE_TEST_MODELS_DIR, "CVLC5EN.DAT"));
        session.profileReader = std::make_unique<profile::ProfileReader>(
            &profiles, WinePath(PROFILE_TEST_MODELS_DIR, "CVLC5u.INI"));
        session.encryptionMode = 1;  // as the TALEN model says
        session.storageState = 1;
        for (std::int16_t m = 0; m < ui::kModeCount; ++m) session.printModeList[m] = {m, m};
        session.printModeCount = ui::kModeCount;
        record.assign(devmode::kSize, 0);
        params.pOEMDM = record.data();
        session.hostParams = &params;
        playedSession = &session;
    }
    void TearDown() override {
        module.Detach();
        play = nullptr;
    }

    INT_PTR Run(std::function<void(HWND)> user) {
        play = std::move(user);
        ui::PrintHoldPresenter presenter(ports, session);
        session.dialogWindow = nullptr;
        const UINT_PTR playTimer = SetTimer(nullptr, 0, 10, PlayStep);
        const INT_PTR result = win32::RunPresenterDialog(
            library.module(), static_cast<HANDLE>(module.ActivationContext()),
            ui::DialogTemplate(ports, IDD_PRINT_HOLD), nullptr, presenter);
        KillTimer(nullptr, playTimer);
        if (abandonTimer != 0) KillTimer(nullptr, abandonTimer);
        abandonTimer = 0;
        return result;
    }

    hostsim::PluginLibrary library;
    win32::Win32Module module;
    win32::Win32SystemInfo system;
    win32::Win32ProfileFiles profiles;
    platform::Platform ports;
    profile::UiSession session{};
    std::vector<unsigned char> record;
    host::OEMUIPSPARAM params{};
};

TEST_F(PrintHoldDialog, ConfidentialJobTypedIntoTheRealControls) {
    const INT_PTR result = Run([](HWND dialog) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_HOLD_PASSCODE)));
        ChooseWithKeys(dialog, ui::kModeConfidentional);
        EXPECT_EQ(ui::kModeConfidentional,
                  SendDlgItemMessageW(dialog, IDC_HOLD_MODE, CB_GETCURSEL, 0, 0));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_HOLD_PASSCODE)))
            << "the combo box's selection change reached the presenter";
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_HOLD_PRINT_AT_DATE)));
        // The digit filter drops the letter; the field's limit (8 digits) cuts the rest.
        Type(dialog, IDC_HOLD_PASSCODE, L"12a345678901");
        Type(dialog, IDC_HOLD_CONFIRM, L"1234567890");
        EXPECT_EQ(L"12345678", TextOf(dialog, IDC_HOLD_PASSCODE));
        EXPECT_EQ(L"12345678", TextOf(dialog, IDC_HOLD_CONFIRM));
        // The name filter drops the slash.
        SetDlgItemTextW(dialog, IDC_HOLD_JOB_NAME, L"");
        Type(dialog, IDC_HOLD_JOB_NAME, L"Plan/B");
        EXPECT_EQ(L"PlanB", TextOf(dialog, IDC_HOLD_JOB_NAME));
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(4, devmode::Get(record.data(), devmode::kPrintModeCode));
    EXPECT_EQ(u"12345678", devmode::GetText(record.data(), devmode::kLongPasscode));
    EXPECT_EQ(u"TLNC5-7F3A9C21", devmode::GetText(record.data(), devmode::kEncryptionKey));
    EXPECT_EQ(u"PlanB", devmode::GetText(record.data(), devmode::kJobName));
    EXPECT_FALSE(devmode::GetText(record.data(), devmode::kUserId).empty());
}

TEST_F(PrintHoldDialog, DelayedJobTakesItsTimeFromTheRealPickers) {
    INT_PTR result = Run([](HWND dialog) {
        ChooseWithKeys(dialog, ui::kModeDelay);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_HOLD_PRINT_AT_TIME)));
        SYSTEMTIME date = {2024, 3, 2, 5, 0, 0, 0, 0};
        SYSTEMTIME time = {2031, 7, 1, 14, 14, 30, 0, 0};
        SendDlgItemMessageW(dialog, IDC_HOLD_PRINT_AT_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                            reinterpret_cast<LPARAM>(&date));
        SendDlgItemMessageW(dialog, IDC_HOLD_PRINT_AT_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                            reinterpret_cast<LPARAM>(&time));
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(9, devmode::Get(record.data(), devmode::kPrintModeCode));
    EXPECT_EQ(u"2024:03:05:14:30", devmode::GetText(record.data(), devmode::kPrintAtTime));

    // Opened again, both pickers show the kept time; Cancel writes nothing.
    const std::vector<unsigned char> before = record;
    result = Run([](HWND dialog) {
        SYSTEMTIME shown = {};
        EXPECT_EQ(GDT_VALID, SendDlgItemMessageW(dialog, IDC_HOLD_PRINT_AT_DATE, DTM_GETSYSTEMTIME,
                                                 0, reinterpret_cast<LPARAM>(&shown)));
        EXPECT_EQ(2024, shown.wYear);
        EXPECT_EQ(3, shown.wMonth);
        EXPECT_EQ(5, shown.wDay);
        EXPECT_EQ(GDT_VALID, SendDlgItemMessageW(dialog, IDC_HOLD_PRINT_AT_TIME, DTM_GETSYSTEMTIME,
                                                 0, reinterpret_cast<LPARAM>(&shown)));
        EXPECT_EQ(14, shown.wHour);
        EXPECT_EQ(30, shown.wMinute);
        SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(2, result);
    EXPECT_TRUE(before == record);
}

}  // namespace
