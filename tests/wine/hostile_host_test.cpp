// The real DLL called the way a careless or hostile host calls it: failure counts handed on
// as list sizes, null and short structures, repeated and foreign sheet
// ends, model files with absurd values, and two sheets on two threads. Nothing may crash or
// write outside what the host handed over.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "devmode_calls.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "snmp_module_host.h"
#include "tree_host.h"

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

// A TALEN model whose profile asks for the 300 dpi pair and lists two billion pages.
const hostsim::ModelSpec kHostileModel = {L"Hostile Talen H1", L"Hostile Talen H1 PS",
                                          L"CVLH1.PPD"};

// The TALEN sample, installed with its English texts.
const hostsim::ModelSpec* InstallTalen() {
    const hostsim::ModelSpec* model = hostsim::FindModel(L"Talen ColorPrint C5");
    std::wstring error;
    EXPECT_TRUE(hostsim::InstallModel(*model, &error));
    EXPECT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
    return model;
}

class HostileHost : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load()) << "error " << GetLastError();
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
    }
    void TearDown() override {
        if (plugIn != nullptr) plugIn->Release();
    }
    void InstallHostileModel() {
        std::wstring error;
        ASSERT_TRUE(
            hostsim::InstallMadeUpModel(kHostileModel,
                                        {{L"CVLH1.PPD", "*PPD-Adobe: \"4.3\"\r\n"},
                                         {L"CVLH1u.INI",
                                          "[Common]\r\nCaption=Hostile TALEN H1\r\n"
                                          "[FUNCTION]\r\nResolution300Index=1\r\n"
                                          "[TABNUMBER]\r\nTabNumber=2000000000\r\nTab0=12\r\n"}},
                                        &error))
            << std::string(error.begin(), error.end());
        printer = std::make_unique<hostsim::OpenedPrinter>(kHostileModel.printerName);
        ASSERT_TRUE(*printer);
    }

    hostsim::PluginLibrary library;
    host::IPrintOemUI* plugIn = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
};

TEST_F(HostileHost, DeviceCapabilitiesLeavesAFailedOrEmptyListAlone) {
    InstallHostileModel();
    // The host's list between two guard pairs.
    LONG pairs[5][2] = {{7, 7}, {150, 150}, {300, 300}, {600, 600}, {7, 7}};
    LONG fresh[5][2];
    std::memcpy(fresh, pairs, sizeof pairs);
    host::DWORD result = kSentinel;
    // GDI_ERROR is what the driver's own query answers on failure: there is no list.
    for (host::DWORD count : {host::kGdiError, 0u}) {
        ASSERT_EQ(host::kSOk, plugIn->DeviceCapabilities(nullptr, printer->get(), nullptr,
                                                         host::kDcEnumResolutions, &pairs[1],
                                                         nullptr, nullptr, count, &result));
        EXPECT_EQ(0, std::memcmp(fresh, pairs, sizeof pairs)) << "count " << count;
    }
    ASSERT_EQ(host::kSOk,
              plugIn->DeviceCapabilities(nullptr, printer->get(), nullptr, host::kDcEnumResolutions,
                                         &pairs[1], nullptr, nullptr, 3, &result));
    EXPECT_EQ(300, pairs[3][0]) << "the last pair of a real list becomes 300 x 300";
    EXPECT_EQ(7, pairs[0][1]);
    EXPECT_EQ(7, pairs[4][0]);
    EXPECT_EQ(kSentinel, result);
}

TEST_F(HostileHost, AHugePageCountStillOpensTheSheetAtOnce) {
    InstallHostileModel();
    hostsim::SheetHost sheet(plugIn, printer->get(), kHostileModel.printerName, true);
    ASSERT_EQ(host::kSOk, sheet.Initialise());
    EXPECT_EQ(1u, sheet.pages().size());
    EXPECT_EQ(L"Caption", sheet.pageTitles().at(0)) << "no language file: the key itself";
    sheet.Destroy();
}

TEST_F(HostileHost, NullAndShortStructuresAreRefusedOrIgnored) {
    SetLastError(kSentinel);
    EXPECT_EQ(host::kEFail, plugIn->DocumentPropertySheets(nullptr, 0));
    EXPECT_EQ(87u, GetLastError());
    host::PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof info;
    info.Version = 0x0101;
    SetLastError(kSentinel);
    EXPECT_EQ(host::kEFail, plugIn->DevicePropertySheets(&info, 0));
    EXPECT_EQ(87u, GetLastError());
    info.Version = host::kPropSheetUiInfoVersion;
    info.Reason = host::kPropSheetUiReasonInit;  // and no OEMUIPSPARAM behind lParamInit
    EXPECT_EQ(host::kSOk, plugIn->DocumentPropertySheets(&info, 0));
    EXPECT_EQ(0u, info.Result);
    info.Reason = host::kPropSheetUiReasonDestroy;
    EXPECT_EQ(host::kSOk, plugIn->DocumentPropertySheets(&info, 0));

    SetLastError(kSentinel);
    EXPECT_EQ(host::kEFail, plugIn->DevMode(host::kOemDmSize, nullptr));
    EXPECT_EQ(87u, GetLastError());
    // An output buffer one byte short of a record is not written at all.
    auto record = hostsim::NewRecord();
    EXPECT_EQ(host::kSOk, hostsim::CallDevMode(plugIn, host::kOemDmDefault, nullptr, nullptr,
                                               record.data(), 2403)
                              .result);
    EXPECT_EQ(hostsim::NewRecord(), record);

    host::OEMCUIPPARAM tree = {};
    EXPECT_EQ(host::kSOk, plugIn->CommonUIProp(host::kOemCuipDocProp, nullptr));
    SetLastError(kSentinel);
    EXPECT_EQ(host::kEFail, plugIn->CommonUIProp(3, &tree));
    EXPECT_EQ(87u, GetLastError());

    EXPECT_EQ(host::kSOk, plugIn->DriverEvent(host::kDriverEventDelete, 3, nullptr, 0));
}

// Members the published structures may leave null, each left null in turn on the whole way
// through the document and printer settings: the sheet, its page, the tree and its callback.
TEST_F(HostileHost, NullMembersOfTheHostsStructuresAreTakenAsAbsent) {
    const hostsim::ModelSpec* model = InstallTalen();
    hostsim::OpenedPrinter talen(model->printerName);
    hostsim::HostDriverUI driver;
    ASSERT_EQ(host::kEFail, plugIn->PublishDriverInterface(nullptr));
    struct Case {
        const char* name;
        void (*sheet)(host::OEMUIPSPARAM&);
        void (*tree)(host::OEMCUIPPARAM&);
        bool helper;  // the host published its own interface
    };
    const Case cases[] = {
        {"no private record", [](host::OEMUIPSPARAM& p) { p.pOEMDM = nullptr; },
         [](host::OEMCUIPPARAM& p) { p.pOEMDM = nullptr; }, true},
        {"no public settings", [](host::OEMUIPSPARAM& p) { p.pPublicDM = nullptr; },
         [](host::OEMCUIPPARAM& p) { p.pPublicDM = nullptr; }, true},
        {"no printer name", [](host::OEMUIPSPARAM& p) { p.pPrinterName = nullptr; },
         [](host::OEMCUIPPARAM& p) { p.pPrinterName = nullptr; }, true},
        {"no printer handle", [](host::OEMUIPSPARAM& p) { p.hPrinter = nullptr; },
         [](host::OEMCUIPPARAM& p) { p.hPrinter = nullptr; }, true},
        {"no heap", [](host::OEMUIPSPARAM& p) { p.hOEMHeap = nullptr; },
         [](host::OEMCUIPPARAM& p) { p.hOEMHeap = nullptr; }, true},
        {"no driver items", [](host::OEMUIPSPARAM&) {},
         [](host::OEMCUIPPARAM& p) {
             p.pDrvOptItems = nullptr;
             p.cDrvOptItems = 0;
         },
         true},
        {"no published interface", [](host::OEMUIPSPARAM&) {}, [](host::OEMCUIPPARAM&) {}, false},
    };
    auto walk = [&](const Case& c) {
        SCOPED_TRACE(c.name);
        hostsim::PluginLibrary own;
        ASSERT_TRUE(own.Load());
        host::IPrintOemUI* object = own.CreatePlugIn();
        ASSERT_NE(nullptr, object);
        if (c.helper) object->PublishDriverInterface(&driver);
        for (bool document : {true, false}) {
            hostsim::SheetHost sheet(object, talen.get(), model->printerName, document);
            c.sheet(sheet.param());
            EXPECT_EQ(host::kSOk, sheet.Initialise());
            for (std::size_t i = 0; i < sheet.pages().size(); ++i) {
                EXPECT_TRUE(sheet.ShowPage(i, [](HWND, HWND) {}));
            }
            host::OEMUIOBJ uiObject = {};
            hostsim::DocumentTreeHost tree(object, sheet, &uiObject,
                                           document ? hostsim::DocumentTreeHost::Kind::kDocument
                                                    : hostsim::DocumentTreeHost::Kind::kPrinter);
            c.tree(tree.param());
            EXPECT_EQ(host::kSOk, tree.Build());
            for (host::WORD reason : {host::kCpsuicbReasonSetActive, host::kCpsuicbReasonApplyNow,
                                      host::kCpsuicbReasonKillActive}) {
                tree.Callback(reason);
            }
            EXPECT_EQ(host::kSOk, sheet.Destroy());
        }
        object->Release();
    };
    for (const Case& c : cases) walk(c);
    const int gdiBefore = hostsim::GdiObjectsAlive();
    const int handlesBefore = hostsim::HandlesOpen();
    for (const Case& c : cases) walk(c);
    EXPECT_EQ(gdiBefore, hostsim::GdiObjectsAlive());
    EXPECT_EQ(handlesBefore, hostsim::HandlesOpen());
}

// A foreign record of nothing but its 12-byte header, at the very end of readable memory: the
// plug-in reads the header only and makes a record of the model's defaults.
TEST_F(HostileHost, AHeaderOnlyRecordIsReadNoFurtherThanItsHeader) {
    const hostsim::ModelSpec* model = InstallTalen();
    hostsim::OpenedPrinter talen(model->printerName);
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    auto* pages =
        static_cast<unsigned char*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, pages);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    auto defaults = hostsim::NewRecord();
    ASSERT_EQ(host::kSOk, hostsim::CallDevMode(plugIn, host::kOemDmDefault, talen.get(), nullptr,
                                               defaults.data())
                              .result);
    for (const char* signature : {"TFSM", "XXXX"}) {
        SCOPED_TRACE(signature);
        unsigned char* header = pages + page - 12;
        const DWORD size = 12;
        std::memcpy(header, &size, 4);
        std::memcpy(header + 4, signature, 4);
        std::memset(header + 8, 0, 4);
        for (host::DWORD mode : {host::kOemDmConvert, host::kOemDmMerge}) {
            auto out = hostsim::NewRecord();
            EXPECT_EQ(host::kSOk,
                      hostsim::CallDevMode(plugIn, mode, talen.get(), header, out.data()).result);
            EXPECT_EQ(hostsim::DescribeRecord(defaults.data()), hostsim::DescribeRecord(out.data()))
                << "mode " << mode;
        }
        auto untouched = hostsim::NewRecord();
        EXPECT_EQ(host::kSOk, hostsim::CallDevMode(plugIn, host::kOemDmConvert, talen.get(),
                                                   nullptr, untouched.data())
                                  .result);
        EXPECT_EQ(hostsim::NewRecord(), untouched) << "no record to convert: nothing written";
    }
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(HostileHost, ASecondDestroyOrAForeignSessionIsAnsweredAsNoSession) {
    const hostsim::ModelSpec* model = InstallTalen();
    hostsim::OpenedPrinter talen(model->printerName);
    hostsim::SheetHost sheet(plugIn, talen.get(), model->printerName, true);
    ASSERT_EQ(host::kSOk, sheet.Initialise());
    ASSERT_NE(nullptr, sheet.param().pOEMUserData);
    ASSERT_EQ(host::kSOk, sheet.Destroy());
    EXPECT_EQ(1u, sheet.info().Result);
    ASSERT_EQ(host::kSOk, sheet.Destroy());
    EXPECT_EQ(0u, sheet.info().Result) << "the session ended with the first destroy";

    std::vector<unsigned char> foreign(4096, 0x5A);
    sheet.param().pOEMUserData = foreign.data();
    ASSERT_EQ(host::kSOk, sheet.Destroy());
    EXPECT_EQ(0u, sheet.info().Result);
    EXPECT_EQ(std::vector<unsigned char>(4096, 0x5A), foreign) << "a foreign block is not ours";
}

TEST_F(HostileHost, TwoSheetsOnTwoThreads) {
    const hostsim::ModelSpec* model = InstallTalen();
    struct Outcome {
        host::HRESULT init = -1;
        bool shown = false;
        std::wstring link;
        DWORD sessionLink = 0;
    } outcomes[2];
    auto run = [&](Outcome& outcome) {
        hostsim::OpenedPrinter talen(model->printerName);
        hostsim::SheetHost sheet(plugIn, talen.get(), model->printerName, true);
        outcome.init = sheet.Initialise();
        std::memcpy(&outcome.sessionLink, sheet.record().data() + 248, 4);
        if (sheet.pages().size() == 1) {
            outcome.shown = sheet.ShowPage(0, [&](HWND, HWND page) {
                wchar_t text[64] = {};
                GetDlgItemTextW(page, 1212, text, 64);
                outcome.link = text;
            });
        }
        sheet.Destroy();
    };
    std::thread first(run, std::ref(outcomes[0]));
    std::thread second(run, std::ref(outcomes[1]));
    first.join();
    second.join();
    for (const Outcome& outcome : outcomes) {
        EXPECT_EQ(host::kSOk, outcome.init);
        EXPECT_TRUE(outcome.shown);
        EXPECT_EQ(L"Talen Support", outcome.link);
        EXPECT_NE(0u, outcome.sessionLink);
    }
    EXPECT_NE(outcomes[0].sessionLink, outcomes[1].sessionLink);
}

// A host that loads the plug-in for each use and unloads it afterwards, as printing programs
// do: the printer settings (whose auto-configuration loads and unloads the SNMP module), the
// document settings with their page, and the module called directly. Each load and unload
// leaves the process as it found it.
TEST(HostileHostProcess, LoadingAndUnloadingTheDllsKeepsNoHandle) {
    const hostsim::ModelSpec* model = InstallTalen();
    hostsim::OpenedPrinter talen(model->printerName);
    auto use = [&] {
        hostsim::PluginLibrary library;
        ASSERT_TRUE(library.Load());
        host::IPrintOemUI* plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
        hostsim::HostDriverUI driver;
        plugIn->PublishDriverInterface(&driver);
        for (bool document : {false, true}) {
            hostsim::SheetHost sheet(plugIn, talen.get(), model->printerName, document);
            EXPECT_EQ(host::kSOk, sheet.Initialise());
            if (document) {
                EXPECT_TRUE(sheet.ShowPage(0, [](HWND, HWND) {}));
            }
            host::OEMUIOBJ uiObject = {};
            hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject,
                                           document ? hostsim::DocumentTreeHost::Kind::kDocument
                                                    : hostsim::DocumentTreeHost::Kind::kPrinter);
            EXPECT_EQ(host::kSOk, tree.Build());
            sheet.Destroy();
        }
        plugIn->Release();
        hostsim::SnmpModule module;
        ASSERT_TRUE(module.Load(L"CVLN.DLL"));
        hostsim::AutoConfigBlock block = hostsim::RequestBlock(0x001, 5);
        module.Call("FILE:", block);
    };
    use();
    ASSERT_EQ(nullptr, GetModuleHandleW(L"CVLU.DLL")) << "the plug-in is unloaded after use";
    const int handlesBefore = hostsim::HandlesOpen();
    const int gdiBefore = hostsim::GdiObjectsAlive();
    for (int i = 0; i < 3; ++i) use();
    EXPECT_EQ(handlesBefore, hostsim::HandlesOpen());
    EXPECT_EQ(gdiBefore, hostsim::GdiObjectsAlive());
}

}  // namespace
