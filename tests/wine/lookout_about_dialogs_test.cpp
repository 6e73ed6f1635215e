// The job-monitor settings and About presenters on the DLL's real templates, inside the
// activation context of its manifest, with a session built for the installed TALEN sample
// printer: Wine's spooler keeps the printer data, the model files lie in the driver folder.
// A thread timer plays the user inside the dialog's modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <winspool.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "model_install.h"
#include "platform/win32/dialog_host.h"
#include "platform/win32/owners.h"
#include "platform/win32/win32_platform.h"
#include "plugin_host.h"
#include "profile/ui_session.h"
#include "sheet_host.h"
#include "ui/about_dialog.h"
#include "ui/dialog_ids.h"
#include "ui/layout_direction.h"
#include "ui/lookout_dialog.h"
#include "wine_test_support.h"

namespace {

std::function<void(HWND)> play;
profile::UiSession* playedSession = nullptr;
UINT_PTR abandonTimer = 0;

// Should the play leave the dialog open, it is closed with 99 a while later.
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

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

using Box = std::array<LONG, 4>;

// The count every leak check of the Wine tests relies on follows the objects made.
TEST(GdiObjectCount, FollowsObjectsMadeAndDeleted) {
    const int before = hostsim::GdiObjectsAlive();
    const HFONT font =
        CreateFontW(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                    CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, L"Arial");
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(before + 2, hostsim::GdiObjectsAlive());
    DeleteObject(font);
    DeleteObject(brush);
    EXPECT_EQ(before, hostsim::GdiObjectsAlive());
}

class InstalledPrinterDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        model = hostsim::FindModel(L"Talen ColorPrint C5");
        ASSERT_NE(nullptr, model);
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error));
        ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
        printer = std::make_unique<hostsim::OpenedPrinter>(model->printerName);
        ASSERT_TRUE(*printer) << "OpenPrinterW error " << GetLastError();
        ASSERT_TRUE(library.Load()) << "error " << GetLastError();
        module.Attach(library.module());
        ASSERT_NE(nullptr, module.ActivationContext()) << "the manifest's context";

        ports.registry = &registry;
        ports.heap = &heap;
        ports.spooler = &spooler;
        ports.profiles = &profiles;
        ports.system = &system;
        ASSERT_TRUE(profile::CreateReaders(ports, session));
        session.hostBlock = {printer->get(), reinterpret_cast<const char16_t*>(model->printerName),
                             nullptr};
        session.printerHandle = printer->get();
        profile::InitializeSession(ports, session);
        ASSERT_EQ(profile::kBrandTalen, session.brand);
        playedSession = &session;
    }
    void TearDown() override {
        module.Detach();
        play = nullptr;
    }

    INT_PTR Run(int templateId, ui::Presenter& presenter, std::function<void(HWND)> user) {
        play = std::move(user);
        session.dialogWindow = nullptr;
        const UINT_PTR playTimer = SetTimer(nullptr, 0, 10, PlayStep);
        const INT_PTR result = win32::RunPresenterDialog(
            library.module(), static_cast<HANDLE>(module.ActivationContext()), templateId, nullptr,
            presenter);
        KillTimer(nullptr, playTimer);
        if (abandonTimer != 0) KillTimer(nullptr, abandonTimer);
        abandonTimer = 0;
        return result;
    }

    const hostsim::ModelSpec* model = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    hostsim::PluginLibrary library;
    win32::Win32Module module;
    win32::Win32Registry registry;
    win32::Win32Heap heap;
    win32::Win32Spooler spooler;
    win32::Win32ProfileFiles profiles;
    win32::Win32SystemInfo system;
    platform::Platform ports;
    profile::UiSession session{};
};

// Typed, then one arrow up from the typed number on the real up-down; OK stores both. (The
// repair of stored values on opening is the hostile printer data test's.)
TEST_F(InstalledPrinterDialogs, LookoutStoresTheTypedAndSteppedInterval) {
    ASSERT_EQ(0u, winetest::SetPrinterDword(printer->get(), L"JLook_Enable", 0));
    ASSERT_EQ(0u, winetest::SetPrinterDword(printer->get(), L"JLook_Timeout", 61));
    ui::LookoutPresenter lookout(ports, session);
    const INT_PTR confirmed =
        Run(ui::DialogTemplate(ports, IDD_LOOKOUT_SETTINGS), lookout, [](HWND dialog) {
            const HWND field = GetDlgItem(dialog, IDC_LOOKOUT_INTERVAL);
            EXPECT_EQ(L"5", TextOf(field)) << "61 is out of range";
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            for (wchar_t c : {L'4', L'2'}) SendMessageW(field, WM_CHAR, c, 1);
            SendMessageW(field, WM_KEYDOWN, VK_UP, 1);
            SendMessageW(field, WM_KEYUP, VK_UP, 0xC0000001);
            EXPECT_EQ(L"43", TextOf(field));
            SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
    EXPECT_EQ(IDOK, confirmed);
    EXPECT_EQ(0, winetest::PrinterDword(printer->get(), L"JLook_Enable"));
    EXPECT_EQ(43, winetest::PrinterDword(printer->get(), L"JLook_Timeout"));
}

TEST_F(InstalledPrinterDialogs, AboutTakesTheSamplePicturesSizeAndPaintsIt) {
    // The sample picture (340 x 180 pixels) as the file holds it, at one point.
    const std::wstring picturePath = hostsim::DriverFolder3() + L"CVLC5Y.bmp";
    const win32::UniqueGdiObject bitmap(
        LoadImageW(nullptr, picturePath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    const win32::UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(bitmap && memory);
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    const COLORREF pictureAt = GetPixel(memory.get(), 30, 150);
    SelectObject(memory.get(), old);

    ui::AboutPresenter about(ports, session);
    COLORREF paintedAt = CLR_INVALID;
    COLORREF belowPicture = CLR_INVALID;
    const INT_PTR result = Run(IDD_ABOUT, about, [&](HWND dialog) {
        EXPECT_EQ(L"About Talen ColorPrint C5", TextOf(dialog));
        RECT client = {};
        GetClientRect(dialog, &client);
        EXPECT_EQ((Box{0, 0, 340, 228}),
                  (Box{client.left, client.top, client.right, client.bottom}));
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const HDC dc = GetDC(dialog);
        paintedAt = GetPixel(dc, 30, 150);
        belowPicture = GetPixel(dc, 5, 220);
        ReleaseDC(dialog, dc);
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(pictureAt, paintedAt) << "the picture at its own place";
    EXPECT_EQ(RGB(255, 255, 255), belowPicture) << "white below the picture";
}

TEST_F(InstalledPrinterDialogs, AboutLeavesNoGdiObjectBehind) {
    // Painted as a brand other than TALEN: the picture and four texts in their own fonts.
    session.brand = profile::kBrandVantora;
    const auto open = [&](int* whileOpen) {
        ui::AboutPresenter about(ports, session);
        return Run(IDD_ABOUT, about, [&](HWND dialog) {
            for (int i = 0; i < 3; ++i) {
                RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            }
            if (whileOpen != nullptr) *whileOpen = hostsim::GdiObjectsAlive();
            SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
    };
    // The first dialog of the process loads what the system keeps for every later one.
    ASSERT_EQ(IDOK, open(nullptr));
    const int before = hostsim::GdiObjectsAlive();
    int whileOpen = 0;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(IDOK, open(&whileOpen));
    EXPECT_GT(before, 0) << "the count is known";
    EXPECT_EQ(before, hostsim::GdiObjectsAlive()) << "while open: " << whileOpen;
}

}  // namespace
