// The roads a user walks through the TALEN sample's settings in the real DLL: the host builds
// the document or printer tree, activates the page and presses the push buttons; a robot on a
// second thread plays the user of the real modal dialogs; Apply stores what the print path
// reads. The printer settings' auto-configuration asks the model's SNMP module beside the
// plug-in, here a stand-in that answers from a file and records what it was asked.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <winspool.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "devmode/oem_devmode.h"
#include "dialog_robot.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "tree_host.h"
#include "ui/dialog_ids.h"
#include "wine_test_support.h"

namespace {

class TalenRoad : public ::testing::Test {
  protected:
    // Opens the document or printer settings through the plug-in at `dll`; `before` sees the
    // sheet before it starts.
    void Open(bool document, const std::wstring& dll = PLUGIN_DLL_NAME,
              const std::function<void(hostsim::SheetHost&)>& before = {}) {
        model = hostsim::FindModel(L"Talen ColorPrint C5");
        ASSERT_NE(nullptr, model);
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error));
        ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
        printer = std::make_unique<hostsim::OpenedPrinter>(model->printerName);
        ASSERT_TRUE(library.Load(dll.c_str()));
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
        ASSERT_EQ(host::kSOk, plugIn->PublishDriverInterface(&driver));
        sheet = std::make_unique<hostsim::SheetHost>(plugIn, printer->get(), model->printerName,
                                                     document);
        if (before) before(*sheet);
        ASSERT_EQ(host::kSOk, sheet->Initialise());
        tree = std::make_unique<hostsim::DocumentTreeHost>(
            plugIn, *sheet, &uiObject,
            document ? hostsim::DocumentTreeHost::Kind::kDocument
                     : hostsim::DocumentTreeHost::Kind::kPrinter);
        ASSERT_EQ(host::kSOk, tree->Build());
    }
    void TearDown() override {
        tree.reset();
        if (sheet) sheet->Destroy();
        sheet.reset();
        if (plugIn != nullptr) plugIn->Release();
    }
    // Presses a push button on this thread while `user` plays the dialog from another one.
    template <class User>
    void Press(std::size_t button, User user) {
        hostsim::DialogRobot robot(GetCurrentThreadId());
        std::thread player([&] {
            user(robot);
            robot.CancelAll();  // whatever went wrong, never leave the dialog open
        });
        tree->PressButton(button, nullptr);
        player.join();
    }

    const hostsim::ModelSpec* model = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    hostsim::PluginLibrary library;
    hostsim::HostDriverUI driver;
    host::IPrintOemUI* plugIn = nullptr;
    host::OEMUIOBJ uiObject{};
    std::unique_ptr<hostsim::SheetHost> sheet;
    std::unique_ptr<hostsim::DocumentTreeHost> tree;
};

// The document settings of a job of five collated colour copies, kept in the printer's memory
// (the confidential mode needs storage), whatever other tests left in the printer's data.
class DocumentRoad : public TalenRoad {
  protected:
    void SetUp() override {
        Open(true, PLUGIN_DLL_NAME, [this](hostsim::SheetHost& unstarted) {
            ASSERT_EQ(0u, winetest::SetPrinterDword(printer->get(), L"CURRENT_MEMORY", 512));
            unstarted.publicDevmode().dmCopies = 5;
            unstarted.publicDevmode().dmColor = host::kDmColorColor;
            unstarted.publicDevmode().dmCollate = host::kDmCollateTrue;
        });
        ASSERT_EQ(1, tree->Callback(host::kCpsuicbReasonSetActive));
    }
    std::u16string Text(devmode::Text field) { return devmode::GetText(Record(), field); }
    const void* Record() { return sheet->record().data(); }
};

TEST_F(DocumentRoad, AConfidentialJobWithAPasscode) {
    EXPECT_EQ(L"Print and Hold", tree->OwnCaption(0));
    EXPECT_EQ(L"Copies Setting", tree->OwnCaption(1));
    std::wstring mismatch;
    bool stayedOpen = false;
    Press(0, [&](hostsim::DialogRobot& robot) {
        HWND dialog = robot.Wait(L"Print and Hold");
        ASSERT_NE(nullptr, dialog);
        const int confidential =
            hostsim::DialogRobot::EntryWith(dialog, IDC_HOLD_MODE, L"Confidential");
        ASSERT_GE(confidential, 0);
        hostsim::DialogRobot::Select(dialog, IDC_HOLD_MODE, confidential);
        EXPECT_TRUE(hostsim::DialogRobot::IsShown(dialog, IDC_HOLD_PASSCODE));
        hostsim::DialogRobot::SetText(dialog, IDC_HOLD_USER_ID, L"");
        hostsim::DialogRobot::Type(dialog, IDC_HOLD_USER_ID, L"j/doe");  // the slash is refused
        hostsim::DialogRobot::SetText(dialog, IDC_HOLD_JOB_NAME, L"");
        hostsim::DialogRobot::Type(dialog, IDC_HOLD_JOB_NAME, L"Quarterly");
        hostsim::DialogRobot::Type(dialog, IDC_HOLD_PASSCODE, L"12a34");  // the letter too
        hostsim::DialogRobot::Type(dialog, IDC_HOLD_CONFIRM, L"1235");
        // A confirmation that differs: the message, and the dialog stays open.
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        HWND box = robot.Wait(L"Invalid Passcode");
        ASSERT_NE(nullptr, box);
        mismatch = hostsim::DialogRobot::MessageText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        Sleep(100);
        stayedOpen = IsWindow(dialog) != FALSE;
        hostsim::DialogRobot::SetText(dialog, IDC_HOLD_CONFIRM, L"");
        hostsim::DialogRobot::Type(dialog, IDC_HOLD_CONFIRM, L"1234");
        hostsim::DialogRobot::Click(dialog, IDOK);
    });
    EXPECT_EQ(L"The passcode must have 4 to 8 digits, and both entries must be the same.",
              mismatch);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(0, tree->Callback(host::kCpsuicbReasonApplyNow));

    EXPECT_EQ(4, devmode::Get(Record(), devmode::kPrintModeCode)) << "Confidential, not stored";
    EXPECT_EQ(u"jdoe", Text(devmode::kUserId));
    EXPECT_EQ(u"Quarterly", Text(devmode::kJobName));
    // The model encrypts: the passcode goes into the long field with the model's key.
    EXPECT_EQ(u"1234", Text(devmode::kLongPasscode));
    EXPECT_EQ(u"TLNC5-7F3A9C21", Text(devmode::kEncryptionKey));
    EXPECT_EQ(1, devmode::Get(Record(), devmode::kEncryptionMode));

    ASSERT_EQ(host::kSOk, sheet->Destroy());
    EXPECT_EQ(2, sheet->setResultCalls()) << "once on OK, once when the sheet closes";
    EXPECT_EQ(1u, sheet->info().Result);
}

TEST_F(DocumentRoad, CancelAfterARefusedPasscodeLeavesTheRecord) {
    const std::vector<unsigned char> before = sheet->record();
    Press(0, [&](hostsim::DialogRobot& robot) {
        HWND dialog = robot.Wait(L"Print and Hold");
        ASSERT_NE(nullptr, dialog);
        hostsim::DialogRobot::Select(
            dialog, IDC_HOLD_MODE,
            hostsim::DialogRobot::EntryWith(dialog, IDC_HOLD_MODE, L"Confidential"));
        hostsim::DialogRobot::Type(dialog, IDC_HOLD_PASSCODE, L"12");
        hostsim::DialogRobot::Type(dialog, IDC_HOLD_CONFIRM, L"12");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        HWND box = robot.Wait(L"Invalid Passcode");
        ASSERT_NE(nullptr, box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        Sleep(100);
        hostsim::DialogRobot::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(before, sheet->record()) << "a refused OK wrote nothing";
}

// The real date and time pickers give the delayed job its time; opened again they show it,
// and Cancel writes nothing.
TEST_F(DocumentRoad, ADelayedJobTakesItsTimeFromTheRealPickers) {
    Press(0, [&](hostsim::DialogRobot& robot) {
        HWND dialog = robot.Wait(L"Print and Hold");
        ASSERT_NE(nullptr, dialog);
        hostsim::DialogRobot::Select(
            dialog, IDC_HOLD_MODE,
            hostsim::DialogRobot::EntryWith(dialog, IDC_HOLD_MODE, L"Print Later"));
        EXPECT_TRUE(hostsim::DialogRobot::IsShown(dialog, IDC_HOLD_PRINT_AT_TIME));
        SYSTEMTIME date = {2024, 3, 2, 5, 0, 0, 0, 0};
        SYSTEMTIME time = {2031, 7, 1, 14, 14, 30, 0, 0};
        SendDlgItemMessageW(dialog, IDC_HOLD_PRINT_AT_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                            reinterpret_cast<LPARAM>(&date));
        SendDlgItemMessageW(dialog, IDC_HOLD_PRINT_AT_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                            reinterpret_cast<LPARAM>(&time));
        hostsim::DialogRobot::Click(dialog, IDOK);
    });
    EXPECT_EQ(9, devmode::Get(Record(), devmode::kPrintModeCode));
    EXPECT_EQ(u"2024:03:05:14:30", Text(devmode::kPrintAtTime));

    const std::vector<unsigned char> before = sheet->record();
    SYSTEMTIME date = {}, time = {};
    Press(0, [&](hostsim::DialogRobot& robot) {
        HWND dialog = robot.Wait(L"Print and Hold");
        ASSERT_NE(nullptr, dialog);
        SendDlgItemMessageW(dialog, IDC_HOLD_PRINT_AT_DATE, DTM_GETSYSTEMTIME, 0,
                            reinterpret_cast<LPARAM>(&date));
        SendDlgItemMessageW(dialog, IDC_HOLD_PRINT_AT_TIME, DTM_GETSYSTEMTIME, 0,
                            reinterpret_cast<LPARAM>(&time));
        hostsim::DialogRobot::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ((std::vector<int>{2024, 3, 5, 14, 30}),
              (std::vector<int>{date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute}));
    EXPECT_EQ(before, sheet->record());
}

TEST_F(DocumentRoad, TheCopiesSplitAndTheWarningWhenTheCopiesChange) {
    Press(1, [&](hostsim::DialogRobot& robot) {
        HWND dialog = robot.Wait(L"Copies Setting");
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(L"5", hostsim::DialogRobot::Text(dialog, IDC_COPIES_TOTAL));
        hostsim::DialogRobot::SetText(dialog, IDC_COPIES_GRAYSCALE, L"2");
        EXPECT_EQ(L"3", hostsim::DialogRobot::Text(dialog, IDC_COPIES_COLOR));
        hostsim::DialogRobot::Click(dialog, IDOK);
    });
    tree->Callback(host::kCpsuicbReasonApplyNow);
    EXPECT_EQ(2, devmode::Get(Record(), devmode::kGrayscaleCopies));
    EXPECT_EQ(3, devmode::Get(Record(), devmode::kColorCopies));

    // Fewer copies with a split: the user is asked. No keeps everything as it was.
    host::OPTITEM* copies = tree->ItemById(host::kDmPubCopiesCollate);
    std::wstring question;
    auto answer = [&](int button) {
        return [&, button](hostsim::DialogRobot& robot) {
            HWND box = robot.Wait(L"Warning");
            ASSERT_NE(nullptr, box);
            question = hostsim::DialogRobot::MessageText(box);
            PostMessageW(box, WM_COMMAND, button, 0);
        };
    };
    {
        hostsim::DialogRobot robot(GetCurrentThreadId());
        std::thread player([&] { answer(IDNO)(robot); });
        tree->Change(copies, 3);
        player.join();
    }
    EXPECT_NE(std::wstring::npos, question.find(L"number of copies has changed"));
    EXPECT_EQ(5, copies->Sel);
    EXPECT_EQ(5, sheet->publicDevmode().dmCopies);
    EXPECT_EQ(2, devmode::Get(Record(), devmode::kGrayscaleCopies));
    {
        hostsim::DialogRobot robot(GetCurrentThreadId());
        std::thread player([&] { answer(IDYES)(robot); });
        tree->Change(copies, 3);
        player.join();
    }
    EXPECT_EQ(3, copies->Sel);
    EXPECT_EQ(0, devmode::Get(Record(), devmode::kGrayscaleCopies));
    EXPECT_EQ(3, devmode::Get(Record(), devmode::kColorCopies));
}

// --- The printer settings -------------------------------------------------------------------

// The folder of the plug-in copy that has the stand-in SNMP module beside it.
const wchar_t kFolder[] = L"snmptest\\";

// The printer settings through that copy, the stand-in answering `answers`; none of the
// printer data that auto-configuration or Job Accounting write is there before.
class PrinterRoad : public TalenRoad {
  protected:
    void Open(const std::string& answers) {
        for (const wchar_t* name :
             {L"HDD_SETTING", L"CURRENT_MEMORY", L"JOBACCOUNT_ID", L"JOBACCOUNT_PW"}) {
            winetest::RemovePrinterData(L"Talen ColorPrint C5", name);
        }
        DeleteFileW((std::wstring(kFolder) + L"CVLN.asked").c_str());
        std::ofstream(std::string("snmptest\\CVLN.answers"), std::ios::binary) << answers;
        TalenRoad::Open(false, std::wstring(kFolder) + PLUGIN_DLL_NAME);
    }
    void TearDown() override {
        TalenRoad::TearDown();
        DeleteFileW((std::wstring(kFolder) + L"CVLN.answers").c_str());
    }
    std::string Asked() { return hostsim::FileBytes(std::wstring(kFolder) + L"CVLN.asked"); }
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
    EXPECT_EQ(1, tree->Callback(host::kCpsuicbReasonSetActive));
    Press(0, [&](hostsim::DialogRobot& robot) {
        HWND dialog = robot.Wait(nullptr);
        ASSERT_NE(nullptr, dialog);
        hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_USER_ID, L"");
        hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_USER_ID, L"acct 7");  // no blank
        hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_PASSWORD, L"");
        hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_CONFIRM, L"");
        hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_PASSWORD, L"s3cret!x");
        hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_CONFIRM, L"s3cret!x");
        hostsim::DialogRobot::Click(dialog, IDOK);
    });
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
