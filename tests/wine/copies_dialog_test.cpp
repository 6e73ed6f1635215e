// The Copies Setting presenter on the real template of the DLL, inside the DLL's activation
// context: the arrows of the real up-down control write the grey-scale field, the real edit
// reports every write (also the presenter's own) at once, and the range set on the real
// control stops the arrows at the job's copies.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "devmode/oem_devmode.h"
#include "platform/win32/dialog_host.h"
#include "platform/win32/win32_platform.h"
#include "plugin_host.h"
#include "ui/copies_dialog.h"
#include "ui/dialog_ids.h"

namespace {

// Runs the Copies Setting presenter and, once the dialog is up, plays the user.
class PlayedPresenter final : public ui::Presenter {
  public:
    PlayedPresenter(ui::Presenter& inner, std::function<void(HWND)> play)
        : inner_(inner), play_(std::move(play)) {}
    profile::UiSession* session() const override { return inner_.session(); }
    bool OnInit(ui::Controls& controls) override {
        const bool result = inner_.OnInit(controls);
        controls.StartTimer(1, 1);
        return result;
    }
    bool OnCommand(ui::Controls& controls, int id, int code) override {
        return inner_.OnCommand(controls, id, code);
    }
    bool OnTimer(ui::Controls& controls, std::uintptr_t) override {
        controls.StopTimer(1);
        const HWND dialog = static_cast<HWND>(controls.Window());
        play_(dialog);
        // Never leaves the dialog open, whatever the play did.
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    }

  private:
    ui::Presenter& inner_;
    std::function<void(HWND)> play_;
};

std::wstring TextOf(HWND dialog, int id) {
    wchar_t text[32] = {};
    GetDlgItemTextW(dialog, id, text, 32);
    return text;
}

// One press of an arrow key in the grey-scale field, which the up-down control handles.
void Arrow(HWND dialog, WPARAM key) {
    const HWND edit = GetDlgItem(dialog, IDC_COPIES_GRAYSCALE);
    SendMessageW(edit, WM_KEYDOWN, key, 1);
    SendMessageW(edit, WM_KEYUP, key, 0xC0000001);
}

void Type(HWND dialog, const wchar_t* text) {
    const HWND edit = GetDlgItem(dialog, IDC_COPIES_GRAYSCALE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const wchar_t* c = text; *c != 0; ++c) SendMessageW(edit, WM_CHAR, *c, 1);
}

TEST(CopiesDialog, ArrowsAndTypingOnTheRealControlsKeepTheSplitWithinTheTotal) {
    hostsim::PluginLibrary library;
    ASSERT_TRUE(library.Load()) << "error " << GetLastError();
    win32::Win32Module module;
    module.Attach(library.module());

    host::DEVMODEW dm{};
    dm.dmCopies = 5;
    dm.dmColor = host::kDmColorColor;
    dm.dmCollate = host::kDmCollateTrue;
    std::array<unsigned char, devmode::kSize> record{};
    host::OEMUIPSPARAM params{};
    params.pPublicDM = &dm;
    params.pOEMDM = record.data();
    profile::UiSession session{};
    session.hostParams = &params;
    session.grayscaleCopies = 2;
    session.colorCopies = 3;
    const platform::Platform ports{};
    ui::CopiesPresenter copies(ports, session);

    // (grey, colour) after each step.
    std::vector<std::pair<std::wstring, std::wstring>> seen;
    PlayedPresenter played(copies, [&](HWND dialog) {
        const auto look = [&] {
            seen.emplace_back(TextOf(dialog, IDC_COPIES_GRAYSCALE),
                              TextOf(dialog, IDC_COPIES_COLOR));
        };
        look();
        Arrow(dialog, VK_UP);
        look();
        for (int i = 0; i < 3; ++i) Arrow(dialog, VK_UP);
        look();
        Type(dialog, L"9");
        look();
        Arrow(dialog, VK_DOWN);
        look();
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    const INT_PTR result = win32::RunPresenterDialog(library.module(), module.ActivationContext(),
                                                     IDD_COPIES_SETTING, nullptr, played);
    module.Detach();

    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"2", L"3"},  // opened
        {L"3", L"2"},  // one arrow up
        {L"5", L"0"},  // three more: the range stops at the total
        {L"5", L"0"},  // 9 typed: put back to the total, colour 0
        {L"4", L"1"},  // an arrow down from the field's text
    };
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(4, session.grayscaleCopies);
    EXPECT_EQ(1, session.colorCopies);
}

}  // namespace
