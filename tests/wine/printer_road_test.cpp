// The printer settings of the TALEN sample through the real DLL: the host builds the printer
// tree; auto-configuration asks the model's SNMP module beside the plug-in (here a stand-in
// that answers from a file and records what it was asked) and sets the installed options.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "dialog_robot.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "tree_host.h"
#include "ui/dialog_ids.h"
#include "wine_test_support.h"

namespace {

// The folder of the plug-in copy that has the stand-in module beside it.
const wchar_t kFolder[] = L"snmptest\\";

void WriteFile(const std::wstring& path, const std::string& text) {
    std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << text;
}

class PrinterRoad : public ::testing::Test {
  protected:
    void Open(const std::string& answers) {
        model = hostsim::FindModel(L"Talen ColorPrint C5");
        ASSERT_NE(nullptr, model);
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error));
        printer = std::make_unique<hostsim::OpenedPrinter>(model->printerName);
        for (const wchar_t* name :
             {L"HDD_SETTING", L"CURRENT_MEMORY", L"JOBACCOUNT_ID", L"JOBACCOUNT_PW"}) {
            winetest::RemovePrinterData(model->printerName, name);
        }
        DeleteFileW((std::wstring(kFolder) + L"CVLN.asked").c_str());
        WriteFile(std::wstring(kFolder) + L"CVLN.answers", answers);
        ASSERT_TRUE(library.Load((std::wstring(kFolder) + PLUGIN_DLL_NAME).c_str()));
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
        ASSERT_EQ(host::kSOk, plugIn->PublishDriverInterface(&driver));
        sheet =
            std::make_unique<hostsim::SheetHost>(plugIn, printer->get(), model->printerName, false);
        ASSERT_EQ(host::kSOk, sheet->Initialise());
        tree = std::make_unique<hostsim::DocumentTreeHost>(
            plugIn, *sheet, &uiObject, hostsim::DocumentTreeHost::Kind::kPrinter);
        ASSERT_EQ(host::kSOk, tree->Build());
    }
    void TearDown() override {
        tree.reset();
        if (sheet) sheet->Destroy();
        sheet.reset();
        if (plugIn != nullptr) plugIn->Release();
        DeleteFileW((std::wstring(kFolder) + L"CVLN.answers").c_str());
    }
    std::string Asked() { return winetest::FileBytes(std::wstring(kFolder) + L"CVLN.asked"); }

    const hostsim::ModelSpec* model = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    hostsim::PluginLibrary library;
    hostsim::HostDriverUI driver;
    host::IPrintOemUI* plugIn = nullptr;
    host::OEMUIOBJ uiObject{};
    std::unique_ptr<hostsim::SheetHost> sheet;
    std::unique_ptr<hostsim::DocumentTreeHost> tree;
};

TEST_F(PrinterRoad, TheModuleBesideThePlugInConfiguresTheInstalledOptions) {
    // Trays 2 and 3 (code 3), duplex unit, hard disk, the second finisher, 256 MB.
    Open("[Answer]\r\nResult=1\r\n4=3\r\n6=1\r\n8=1\r\n16=2\r\n22=256\r\n");
    // The model asks for trays, hard disk, duplex, finisher, memory and output bin (mask
    // 807), with model code 5; everything else stays "not asked".
    const std::string asked = Asked();
    EXPECT_NE(std::string::npos, asked.find("port=FILE:")) << asked;
    EXPECT_NE(std::string::npos,
              asked.find("block=FFFFFFFF000000000000FFFFFFFFFFFF0000FFFFFF0500000000FFFFFFFFFFFF"))
        << asked;
    EXPECT_NE(std::string::npos, asked.find("flag=1")) << asked;

    EXPECT_EQ(1, tree->Item("Option1")->Sel);
    EXPECT_EQ(1, tree->Item("Option5")->Sel);
    EXPECT_EQ(0, tree->Item("Option6")->Sel);
    EXPECT_EQ(1, tree->Item("Option2")->Sel);
    EXPECT_EQ(1, tree->Item("Option4")->Sel);
    EXPECT_EQ(2, tree->Item("Finisher")->Sel);
    EXPECT_EQ(L"256 MB", hostsim::DocumentTreeHost::OptionText(*tree->Item("InstalledMemory")));
    EXPECT_EQ(1, winetest::PrinterDword(printer->get(), L"HDD_SETTING"));
    EXPECT_EQ(256, winetest::PrinterDword(printer->get(), L"CURRENT_MEMORY"));
    EXPECT_GT(driver.updateCalls(), 6) << "every change is told to the host";
}

// The stored Job Accounting text as the print path reads it: no terminator.
std::wstring StoredText(HANDLE printer, const wchar_t* name) {
    wchar_t text[40] = {};
    DWORD type = 0, needed = 0;
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, reinterpret_cast<BYTE*>(text),
                        sizeof text - sizeof(wchar_t), &needed) != 0) {
        return L"<missing>";
    }
    // Wine keeps the terminator that follows the data in the caller's buffer; Windows stores
    // exactly the bytes given.
    std::wstring stored(text, needed / sizeof(wchar_t));
    while (!stored.empty() && stored.back() == L'\0') stored.pop_back();
    return stored;
}

TEST_F(PrinterRoad, JobAccountingCredentialsReachThePrinterDataOnApply) {
    Open("[Answer]\r\nResult=0\r\n");
    ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
    EXPECT_EQ(1, tree->Callback(host::kCpsuicbReasonSetActive));
    hostsim::DialogRobot robot(GetCurrentThreadId());
    std::thread user([&] {
        HWND dialog = robot.Wait(nullptr);
        if (dialog != nullptr) {
            hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_USER_ID, L"");
            hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_USER_ID, L"acct 7");  // no blank
            hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_PASSWORD, L"");
            hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_CONFIRM, L"");
            hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_PASSWORD, L"s3cret!x");
            hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_CONFIRM, L"s3cret!x");
            hostsim::DialogRobot::Click(dialog, IDOK);
        }
        robot.CancelAll();
    });
    tree->PressButton(0, nullptr);
    user.join();
    EXPECT_EQ(1, tree->Callback(host::kCpsuicbReasonApplyNow));
    EXPECT_EQ(L"acct7", StoredText(printer->get(), L"JOBACCOUNT_ID"));
    EXPECT_EQ(L"s3cret!x", StoredText(printer->get(), L"JOBACCOUNT_PW"));
}

TEST_F(PrinterRoad, AFailedRequestChangesNothing) {
    Open("[Answer]\r\nResult=0\r\n4=4\r\n8=1\r\n22=512\r\n");
    EXPECT_FALSE(Asked().empty()) << "the module was asked";
    EXPECT_EQ(0, tree->Item("Option1")->Sel);
    EXPECT_EQ(0, tree->Item("Option4")->Sel);
    EXPECT_EQ(-1, winetest::PrinterDword(printer->get(), L"HDD_SETTING"));
    EXPECT_EQ(0, driver.updateCalls());
}

}  // namespace
