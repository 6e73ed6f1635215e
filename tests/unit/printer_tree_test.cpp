#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "autoconfig/auto_configuration.h"
#include "fakes/fake_host_driver.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "tree/feature_options.h"
#include "tree/printer_tree.h"
#include "tree/tree_entry.h"
#include "ui/property_sheets.h"

namespace {

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\Drivers\\3\\CVL.DAT";
constexpr char16_t kModule[] = u"C:\\windows\\system32\\spool\\drivers\\x64\\3\\CVLN.DLL";

// The module's side: what it was asked and what it answers, set by each test.
struct ModuleScript {
    std::string port;
    std::vector<unsigned char> asked;
    std::int32_t flag = 0;
    int calls = 0;
    std::uint32_t result = 1;
    std::vector<std::pair<std::size_t, std::int16_t>> answers;  // offset, value
};
ModuleScript script;

std::uint32_t HOST_CALL FakeUpdate(const char* port, unsigned char* block, std::int32_t* flag,
                                   std::uintptr_t) {
    ++script.calls;
    script.port = port;
    script.asked.assign(block, block + autoconfig::kBlockBytes);
    script.flag = *flag;
    for (const auto& [offset, value] : script.answers) std::memcpy(block + offset, &value, 2);
    return script.result;
}

class PrinterTreeTest : public ::testing::Test {
  protected:
    PrinterTreeTest() {
        script = ModuleScript{};
        fake.modules.libraries[kModule].exports["SNMP_AutoUpdate"] =
            reinterpret_cast<void*>(&FakeUpdate);
        profiles.files.PutUtf8(kProfile,
                               "[OEMFiles]\nOEMPrefix=CVL\n"
                               "[Common]\nCaption=TALEN\nPrinterJobAccounting=1\n"
                               "[FUNCTION]\nAutoConfigInfo=0x0\nAutoCfgNetworkMDL=261\n");
        profiles.files.PutUtf8(kTexts, "[Job Accounting Dialog]\nCaption=Job Accounting\n");
        const std::vector<const char16_t*> twoStates = {u"Not Installed", u"Installed"};
        tray2 = &items.Add("Option1", 0, 1, twoStates);
        items.Add("Option5", 0, 0, twoStates);
        items.Add("OptTray4", 0, 1, twoStates);
        items.Add("DuplexUnit", 0, 0, twoStates);
        items.Add("PrinterHardDisk", 0, 0, twoStates);
        bins = &items.Add("OptOutputBin", 0, 0, {u"1 Bin", u"2 Bins", u"3 Bins"});
        memory = &items.Add("InstalledMemory", 0, 0, {u"64 MB", u"128 MB", u"128MB", u"256 MB"});
        postScript = &items.Add(nullptr);
        postScript->pName = reinterpret_cast<host::WCHAR*>(std::uintptr_t{400});
        param.cbSize = sizeof param;
        param.poemuiobj = &uiObject;
        param.hPrinter = reinterpret_cast<void*>(0x50);
        param.pPrinterName = const_cast<char16_t*>(u"Talen C5");
        param.hOEMHeap = reinterpret_cast<void*>(0x60);
        param.pDrvOptItems = items.data();
        param.cDrvOptItems = items.size();
    }
    void Build() {
        param.pOEMOptItems = own;
        param.cOEMOptItems = 1;
        tree::PrinterTree(state, &driver, param);
    }
    host::LONG Callback(host::WORD reason) {
        host::CPSUICBPARAM callback{};
        callback.Reason = reason;
        return tree::PrinterTreeCallback(&callback, &param);
    }
    void Answer(std::size_t offset, std::int16_t value) {
        script.answers.emplace_back(offset, value);
    }
    std::int16_t Asked(std::size_t offset) {
        std::int16_t value = 0;
        std::memcpy(&value, script.asked.data() + offset, 2);
        return value;
    }
    void EndSheet() {
        host::OEMUIPSPARAM sheet{};
        sheet.hPrinter = param.hPrinter;
        host::PROPSHEETUI_INFO info{};
        info.Version = host::kPropSheetUiInfoVersion;
        info.Reason = host::kPropSheetUiReasonDestroy;
        info.lParamInit = reinterpret_cast<host::LPARAM>(&sheet);
        ui::DevicePropertySheets(state, &driver, info, 0);
    }
    void TearDown() override { EndSheet(); }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    fakes::DriverUi driver;
    plugin::ProcessState state{fake.ports(&profiles)};
    fakes::HostItems items;
    host::OPTITEM* tray2 = nullptr;
    host::OPTITEM* memory = nullptr;
    host::OPTITEM* bins = nullptr;
    host::OPTITEM* postScript = nullptr;
    host::OEMUIOBJ uiObject{};
    host::OPTITEM own[1]{};
    host::OEMCUIPPARAM param{};
};

TEST_F(PrinterTreeTest, OneButtonAndASessionThatEndsWithThePrinterSheet) {
    param.pOEMOptItems = nullptr;
    tree::PrinterTree(state, &driver, param);
    EXPECT_EQ(1u, param.cOEMOptItems);
    EXPECT_EQ(0, script.calls) << "the size query configures nothing";

    Build();
    EXPECT_EQ(&tree::PrinterTreeCallback, param.OEMCUIPCallback);
    EXPECT_EQ(1, own[0].Level);
    ASSERT_NE(nullptr, own[0].pName);
    EXPECT_EQ(std::u16string_view(u"Job Accounting"), std::u16string_view(own[0].pName));
    EXPECT_EQ(0u, own[0].Flags & host::kOptifHide);
    ASSERT_NE(nullptr, param.pOEMUserData);
    EXPECT_EQ(1, script.calls) << "every printer tree asks the module";

    // A repeated request ends the earlier session; the printer sheet's end ends the last.
    const std::size_t sessionBytes = sizeof(profile::UiSession);
    EXPECT_EQ(1u, fake.heap.liveOfSize(sessionBytes));
    Build();
    EXPECT_EQ(1u, fake.heap.liveOfSize(sessionBytes)) << "no session of the first request is left";
    EndSheet();
    EXPECT_EQ(0, Callback(host::kCpsuicbReasonSetActive)) << "its session has ended";
    EXPECT_EQ(0u, fake.heap.liveOfSize(sessionBytes));
}

TEST_F(PrinterTreeTest, ApplyWritesThePrinterData) {
    fake.spooler.SetString(u"JOBACCOUNT_ID", u"acct7");
    Build();
    auto* session = static_cast<profile::UiSession*>(param.pOEMUserData);
    ASSERT_NE(nullptr, session);
    session->jobAccountPassword[0] = u'\0';
    items.items.at(4).Sel = 1;  // PrinterHardDisk, for a printer description without Option4
    memory->Sel = 3;
    own[0].Sel = 7;
    // The host may call back with another handle of the same printer: the printer data goes
    // to the tree's own handle, OEMUI_VALUE to the call's.
    param.hPrinter = reinterpret_cast<void*>(0x51);
    EXPECT_EQ(1, Callback(host::kCpsuicbReasonApplyNow));
    param.hPrinter = reinterpret_cast<void*>(0x50);
    auto& data = fake.spooler.printerData;
    EXPECT_EQ(10u, data[u"jobaccount_id"].bytes.size()) << "5 units, no terminator";
    EXPECT_EQ(0u, data[u"jobaccount_pw"].bytes.size());
    EXPECT_EQ(std::vector<unsigned char>({1, 0, 0, 0}), data[u"hdd_setting"].bytes);
    EXPECT_EQ(std::vector<unsigned char>({0, 1, 0, 0}), data[u"current_memory"].bytes);
    EXPECT_EQ(std::vector<unsigned char>({7, 0, 0, 0}), data[u"oemui_value"].bytes);
    EXPECT_EQ(reinterpret_cast<void*>(0x51), fake.spooler.lastPrinter) << "OEMUI_VALUE, last";

    // A selection beyond the options, or an option whose data is a resource number, tells no
    // memory size.
    data.erase(u"current_memory");
    memory->Sel = 9;
    Callback(host::kCpsuicbReasonApplyNow);
    EXPECT_EQ(0u, data.count(u"current_memory"));
}

TEST_F(PrinterTreeTest, LeavingThePageConfiguresOnceAfterEachChange) {
    Build();
    EXPECT_EQ(1, Callback(host::kCpsuicbReasonSetActive));
    EXPECT_EQ(reinterpret_cast<host::ULONG_PTR>(param.pOEMUserData), own[0].UserData);
    Callback(host::kCpsuicbReasonKillActive);
    Callback(host::kCpsuicbReasonKillActive);
    EXPECT_EQ(2, script.calls) << "the build and the first leave";
    EXPECT_EQ(0, Callback(host::kCpsuicbReasonSelChanged));
    Callback(host::kCpsuicbReasonKillActive);
    EXPECT_EQ(3, script.calls);
}

TEST_F(PrinterTreeTest, TheModuleIsAskedForTheMaskedFactsOnly) {
    profiles.files.PutUtf8(kProfile, "[FUNCTION]\nAutoConfigInfo=6\nAutoCfgNetworkMDL=261\n");
    Build();
    ASSERT_EQ(1, script.calls);
    EXPECT_EQ("IP_10.0.0.5", script.port);
    EXPECT_EQ(1, script.flag);
    EXPECT_EQ(0, Asked(autoconfig::kHardDiskOffset)) << "0x002 asks for the hard disk (offset 8)";
    EXPECT_EQ(0, Asked(autoconfig::kDuplexOffset)) << "0x004 asks for the duplex unit (offset 6)";
    EXPECT_EQ(-1, Asked(autoconfig::kTrayCodeOffset));
    EXPECT_EQ(-1, Asked(autoconfig::kMemoryOffset));
    EXPECT_EQ(5, script.asked[autoconfig::kModelCodeOffset]) << "the low byte of 261";
    EXPECT_EQ(0xFF, script.asked[0]);
    EXPECT_EQ(0, fake.modules.libraries[kModule].loaded) << "the module is released";
}

TEST_F(PrinterTreeTest, ReportedFactsSelectTheItemsAndWriteWhatChanged) {
    Answer(autoconfig::kTrayCodeOffset, 3);
    Answer(autoconfig::kDuplexOffset, 1);
    Answer(autoconfig::kHardDiskOffset, 1);
    Answer(autoconfig::kMemoryOffset, 128);
    Build();
    EXPECT_EQ(1, tray2->Sel);
    EXPECT_EQ(1, items.items.at(1).Sel) << "Option5";
    EXPECT_EQ(0, items.items.at(2).Sel) << "OptTray4";
    EXPECT_EQ(1, items.items.at(3).Sel) << "DuplexUnit: the duplex value without Option2";
    EXPECT_EQ(1, items.items.at(4).Sel);
    EXPECT_EQ(1, memory->Sel) << "\"128 MB\", not \"128MB\"";
    EXPECT_EQ(13400000 / 1024, postScript->Sel);
    EXPECT_EQ(1, tree::InstallableOptionValue(state, tree::kRowDuplexUnitAlt));
    auto& data = fake.spooler.printerData;
    EXPECT_EQ(std::vector<unsigned char>({1, 0, 0, 0}), data[u"hdd_setting"].bytes);
    EXPECT_EQ(std::vector<unsigned char>({128, 0, 0, 0}), data[u"current_memory"].bytes);
    EXPECT_EQ(host::kOemCuipPrnProp, driver.updates.at(0).mode);

    // Facts the items already show write nothing.
    data.clear();
    Build();
    EXPECT_TRUE(data.empty());
}

TEST_F(PrinterTreeTest, AFactBeyondTheItemsOptionsLeavesTheItem) {
    // The module counts what the printer has; the model may offer fewer options.
    Answer(autoconfig::kOutputBinOffset, 7);
    Answer(autoconfig::kDuplexOffset, 2);
    Build();
    EXPECT_EQ(0, bins->Sel);
    EXPECT_EQ(0u, bins->Flags & host::kOptifChanged);
    EXPECT_EQ(0, items.items.at(3).Sel) << "DuplexUnit has two states";
    EXPECT_TRUE(driver.updates.empty());
    // Within the list the same fact is taken.
    script.answers.clear();
    Answer(autoconfig::kOutputBinOffset, 2);
    Build();
    EXPECT_EQ(2, bins->Sel);
}

TEST_F(PrinterTreeTest, NoAnswerOrNoTrayCodeLeavesTheItems) {
    // A model that does not ask for the trays: the user's optional trays stay.
    Build();
    EXPECT_EQ(1, tray2->Sel);
    EXPECT_EQ(1, items.items.at(2).Sel);
    // A failed request applies nothing, whatever the block says.
    script.result = 0x10000;  // only the low 16 bits count
    Answer(autoconfig::kHardDiskOffset, 1);
    Build();
    EXPECT_EQ(0, items.items.at(4).Sel);
    EXPECT_EQ(0u, fake.heap.liveOfSize(autoconfig::kBlockBytes)) << "the block goes too";
    // Without the module or its entry, nothing is asked; a module without the entry is
    // released.
    fake.modules.libraries.clear();
    Build();
    fake.modules.libraries[kModule].exports.clear();
    Build();
    EXPECT_EQ(2, script.calls);
    EXPECT_EQ(0, fake.modules.libraries[kModule].loaded);
    // Nor without the plug-in's own path: one too short to name a module, the empty answer
    // of a path that was cut, one a unit beyond the longest path, or a printer whose port cannot
    // be had. The module would answer each time if it were loaded.
    fake.modules.libraries[kModule].exports["SNMP_AutoUpdate"] =
        reinterpret_cast<void*>(&FakeUpdate);
    const std::u16string longPath = u"C:\\" + std::u16string(248, u'd') + u"\\CVLU.DLL";
    fake.modules.libraries[longPath.substr(0, longPath.size() - 5) + u"N.DLL"] =
        fake.modules.libraries[kModule];
    const std::size_t loads = fake.modules.loads.size();
    for (const std::u16string& path : {std::u16string(u"U.DL"), std::u16string(), longPath}) {
        fake.module.path = path;
        Build();
    }
    fake.module.path = u"C:\\windows\\system32\\spool\\drivers\\x64\\3\\CVLU.DLL";
    fake.spooler.portMissing = true;
    Build();
    EXPECT_EQ(2, script.calls);
    EXPECT_EQ(loads, fake.modules.loads.size());
}

TEST(MemorySizeTable, LabelsAndTheirPostScriptMemory) {
    EXPECT_EQ(104687, tree::PostScriptMemoryKilobytes(u"1024 MB"));
    EXPECT_LT(*tree::PostScriptMemoryKilobytes(u"320 MB"),
              *tree::PostScriptMemoryKilobytes(u"288 MB"));
    EXPECT_EQ(std::nullopt, tree::PostScriptMemoryKilobytes(u"128MB"));
    EXPECT_EQ(std::nullopt, tree::PostScriptMemoryKilobytes(u"2048 MB"));
    EXPECT_EQ(1660, tree::PostScriptMemoryKilobytes(u"16 MB"));
}

TEST(TrayCodes, EachCodeItsThreeTrays) {
    const std::pair<std::int16_t, std::array<std::int32_t, 3>> cases[] = {
        {0, {0, 0, 0}},  {1, {1, 0, 0}},  {2, {0, 0, 0}},  {3, {1, 1, 0}},  {4, {1, 1, 1}},
        {10, {2, 0, 0}}, {11, {1, 2, 0}}, {12, {1, 1, 2}}, {13, {0, 0, 0}}, {-1, {0, 0, 0}}};
    for (const auto& [code, trays] : cases) {
        const autoconfig::TraySelections got = autoconfig::TraysOfCode(code);
        EXPECT_EQ(trays, (std::array<std::int32_t, 3>{got.tray2, got.tray3, got.tray4})) << code;
    }
}

}  // namespace
