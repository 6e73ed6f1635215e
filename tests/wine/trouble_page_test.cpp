// The Troubleshooting page of the TALEN sample in a real property sheet, through the real
// DLL: its list, link font and links; a diagnostic page printed through Wine's spooler into
// a file, byte for byte; the printer's own web page handed to the browser Wine starts for
// web addresses (a script that records it); the link font and every GDI object released
// with the page.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "captured_port.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "wine_test_support.h"

namespace {

constexpr wchar_t kPrinterName[] = L"Cvl Trouble Test";
constexpr wchar_t kBrowserKey[] = L"Software\\Wine\\WineBrowser";

using winetest::Narrow;

// The folder of the build's capture files, as Windows names it (Wine shows "/" as Z:).
std::wstring CaptureFolder() {
    std::wstring folder = L"Z:" CAPTURE_DIR;
    for (wchar_t& c : folder) c = c == L'/' ? L'\\' : c;
    return folder;
}

// A printer of the TALEN driver on a port at 10.1.2.3 whose jobs land in a file, and Wine's
// browser setting pointed at the recording script; all of it is undone afterwards.
class TroublePage : public ::testing::Test {
  protected:
    void SetUp() override {
        const hostsim::ModelSpec* model = hostsim::FindModel(L"Talen ColorPrint C5");
        ASSERT_NE(nullptr, model);
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error)) << Narrow(error);
        port = std::make_unique<hostsim::CapturedPort>(L"CVL_TROUBLE", L"10.1.2.3",
                                                       CaptureFolder() + L"\\diagnostic.prn");
        ASSERT_EQ(L"", port->error()) << Narrow(port->error());
        hostsim::RemovePrinter(kPrinterName);
        const hostsim::ModelSpec onPort = {kPrinterName, model->driverName, model->dataFile,
                                           L"CVL_TROUBLE"};
        ASSERT_TRUE(hostsim::InstallModel(onPort, &error)) << Narrow(error);
        ASSERT_TRUE(hostsim::StoreLanguageCode(kPrinterName, L"EN"));
        printer = std::make_unique<hostsim::OpenedPrinter>(kPrinterName);
        ASSERT_TRUE(*printer);

        browserLog = CaptureFolder() + L"\\browser.txt";
        DeleteFileW(browserLog.c_str());
        const std::wstring script = CAPTURE_DIR L"/browser.sh";
        ASSERT_EQ(
            ERROR_SUCCESS,
            RegSetKeyValueW(HKEY_CURRENT_USER, kBrowserKey, L"Browsers", REG_SZ, script.c_str(),
                            static_cast<DWORD>((script.size() + 1) * sizeof(wchar_t))));
        ASSERT_TRUE(library.Load());
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
    }
    void TearDown() override {
        if (plugIn != nullptr) plugIn->Release();
        printer.reset();
        hostsim::RemovePrinter(kPrinterName);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kBrowserKey, L"Browsers");
        port.reset();
    }
    // What the browser was asked to open, once it has been started (it runs on its own).
    std::string BrowserAddresses() {
        for (int i = 0; i < 500; ++i) {
            const std::string log = hostsim::FileBytes(browserLog);
            if (!log.empty()) return log;
            Sleep(20);
        }
        return {};
    }

    std::unique_ptr<hostsim::CapturedPort> port;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    std::wstring browserLog;
    hostsim::PluginLibrary library;
    host::IPrintOemUI* plugIn = nullptr;
};

TEST_F(TroublePage, PrintsThroughTheSpoolerOpensThePrinterPageAndReleasesTheLinkFont) {
    hostsim::SheetHost sheet(plugIn, printer->get(), kPrinterName, true);
    ASSERT_EQ(host::kSOk, sheet.Initialise());
    ASSERT_EQ(1u, sheet.pages().size());
    HFONT linkFont = nullptr;
    const bool shown = sheet.ShowPage(0, [&](HWND, HWND page) {
        ASSERT_NE(nullptr, page);
        HWND list = GetDlgItem(page, 1238);
        ASSERT_EQ(7, SendMessageW(list, CB_GETCOUNT, 0, 0)) << "TestPages=1,2,3,5,6,8,9";
        EXPECT_EQ(0, SendMessageW(list, CB_GETCURSEL, 0, 0));
        wchar_t entry[64] = {};
        SendMessageW(list, CB_GETLBTEXT, 6, reinterpret_cast<LPARAM>(entry));
        EXPECT_STREQ(L"Test Pattern", entry);

        linkFont = reinterpret_cast<HFONT>(SendDlgItemMessageW(page, 1212, WM_GETFONT, 0, 0));
        LOGFONTW shape = {};
        ASSERT_NE(0, GetObjectW(linkFont, sizeof shape, &shape));
        EXPECT_TRUE(shape.lfUnderline);
        EXPECT_EQ(600, shape.lfWeight);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, 1214))) << "the port has an address";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1243))) << "no last report yet";

        // The first entry, then the last; each job lands whole in the port's file.
        const auto print = [&] {
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(1223, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(page, 1223)));
            return port->TakeJobs();
        };
        EXPECT_EQ(std::string("\x1B%-12345X@PJL\r\n@PJL TEST PRINT=CONFIG\r\n\x1B%-12345X"),
                  print());
        SendMessageW(list, CB_SETCURSEL, 6, 0);
        EXPECT_EQ(std::string("\x1B%-12345X@PJL\r\n@PJL TEST PRINT=PATTERN\r\n\x1B%-12345X"),
                  print());

        // Link 5 is "http://%s/status.html": the printer's status page.
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(1216, STN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, 1216)));
        EXPECT_EQ("http://10.1.2.3/status.html\n", BrowserAddresses());
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(0u, GetObjectType(linkFont)) << "the page deleted its link font";
    sheet.Destroy();

    // Shown again, once the system's own objects exist: the page, its logo drawn, leaves no
    // GDI object behind.
    hostsim::SheetHost again(plugIn, printer->get(), kPrinterName, true);
    ASSERT_EQ(host::kSOk, again.Initialise());
    const int before = hostsim::GdiObjectsAlive();
    ASSERT_TRUE(again.ShowPage(0, [](HWND window, HWND) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }));
    ASSERT_GT(before, 0) << "the process's GDI objects can be counted";
    EXPECT_EQ(before, hostsim::GdiObjectsAlive()) << "GDI objects before the page: " << before;
    again.Destroy();
}

}  // namespace
