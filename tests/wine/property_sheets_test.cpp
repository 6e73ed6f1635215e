// The real DLL's property sheets under Wine, driven by the host simulator with its own sheet
// function: the TALEN model's Troubleshooting page made in the DLL's activation context with
// a session of its own, and localised from the sample language file with its tooltips.
// (Reasons, results and the other brands' sheets are the native sheet tests'.)
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "devmode/oem_devmode.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"

namespace {

class SheetTest : public ::testing::Test {
  protected:
    void Open(const wchar_t* name) {
        model = hostsim::FindModel(name);
        ASSERT_NE(nullptr, model);
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error));
        printer = std::make_unique<hostsim::OpenedPrinter>(model->printerName);
        ASSERT_TRUE(*printer);
        ASSERT_TRUE(library.Load());
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
    }
    void TearDown() override {
        if (plugIn != nullptr) plugIn->Release();
    }
    std::unique_ptr<hostsim::SheetHost> Sheet(bool document) {
        return std::make_unique<hostsim::SheetHost>(plugIn, printer->get(), model->printerName,
                                                    document);
    }

    const hostsim::ModelSpec* model = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    hostsim::PluginLibrary library;
    host::IPrintOemUI* plugIn = nullptr;
};

TEST_F(SheetTest, TalenDocumentSheetAddsTheTroubleshootingPage) {
    Open(L"Talen ColorPrint C5");
    ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
    auto sheet = Sheet(true);
    ASSERT_EQ(host::kSOk, sheet->Initialise());
    EXPECT_EQ(0u, sheet->info().Result);
    ASSERT_NE(nullptr, sheet->param().pOEMUserData);
    EXPECT_EQ(reinterpret_cast<host::ULONG_PTR>(sheet->param().pOEMUserData),
              sheet->info().UserData);
    const std::uint32_t link = devmode::Get(sheet->record().data(), devmode::kSessionLink);
    EXPECT_NE(0u, link) << "the record names the sheet's session";
    ASSERT_EQ(1u, sheet->pages().size());
    EXPECT_EQ(L"Troubleshooting", sheet->pageTitles()[0]);
    // The page is made inside the activation context the DLL created from its manifest.
    const PROPSHEETPAGEW& page = sheet->pageDescriptions()[0];
    EXPECT_EQ(offsetof(PROPSHEETPAGEW, hActCtx) + sizeof(HANDLE), page.dwSize);
    EXPECT_EQ(static_cast<DWORD>(PSP_USETITLE | PSP_USEFUSIONCONTEXT | PSP_USECALLBACK),
              page.dwFlags);
    EXPECT_NE(nullptr, page.hActCtx);
    EXPECT_EQ(library.module(), page.hInstance);

    // A second sheet open at the same time gets a key of its own.
    auto other = Sheet(true);
    ASSERT_EQ(host::kSOk, other->Initialise());
    EXPECT_NE(link, devmode::Get(other->record().data(), devmode::kSessionLink));
    other->Destroy();

    ASSERT_EQ(host::kSOk, sheet->Destroy());
    EXPECT_EQ(1u, sheet->info().Result);
    EXPECT_EQ(0, sheet->setResultCalls()) << "nothing confirmed, nothing reported";
}

std::wstring ToolText(HWND tooltips, HWND owner, UINT_PTR id) {
    wchar_t text[256] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = id;
    tool.lpszText = text;
    SendMessageW(tooltips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
}

std::wstring Text(HWND page, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(page, id, text, 256);
    return text;
}

// The tooltip window a page made for itself: a window of the tooltip class owned by the
// page's top-level window (a pop-up's owner is always a top-level window).
struct TooltipSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindTooltips(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TooltipSearch*>(context);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (GetWindow(window, GW_OWNER) == search->owner && wcscmp(className, TOOLTIPS_CLASSW) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND TooltipsOf(HWND page) {
    TooltipSearch search{GetAncestor(page, GA_ROOT), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindTooltips, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(SheetTest, TroubleshootingPageIsLocalisedWithTooltips) {
    Open(L"Talen ColorPrint C5");
    for (const wchar_t* code : {L"EN", L"GR"}) {
        ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, code));
        auto sheet = Sheet(true);
        ASSERT_EQ(host::kSOk, sheet->Initialise());
        ASSERT_EQ(1u, sheet->pages().size());
        const bool english = code[0] == L'E';
        bool shown = sheet->ShowPage(0, [&](HWND, HWND page) {
            ASSERT_NE(nullptr, page);
            EXPECT_EQ(english ? L"Talen Support" : L"Talen-Support", Text(page, 1212));
            EXPECT_EQ(english ? L"Web Links" : L"Weblinks", Text(page, 1224));
            HWND tooltips = TooltipsOf(page);
            ASSERT_NE(nullptr, tooltips) << "the page made its tooltip window";
            EXPECT_GT(SendMessageW(tooltips, TTM_GETTOOLCOUNT, 0, 0), 10);
            if (english) {
                EXPECT_EQ(L"Send the selected page to the printer.",
                          ToolText(tooltips, GetDlgItem(page, 1223), 1223));
                EXPECT_EQ(L"Internal and diagnostic pages that this printer can print.",
                          ToolText(tooltips, GetDlgItem(page, 1238), 1238));
            }
        });
        EXPECT_TRUE(shown);
        sheet->Destroy();
    }
}

}  // namespace
