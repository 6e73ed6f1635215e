#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "autoconfig/config_block.h"
#include "devmode/oem_devmode.h"
#include "fakes/fake_host_driver.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "tree/document_callback.h"
#include "tree/document_tree.h"
#include "tree/tree_entry.h"
#include "ui/property_sheets.h"
#include "ui/tree_buttons.h"

namespace {

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\Drivers\\3\\CVL.DAT";

constexpr char kModel[] =
    "[OEMFiles]\nOEMPrefix=CVL\nJobMointor=1\nJobMointorPath=Software\\Lookout\\Users\n"
    "[Common]\nCaption=TALEN C5\nGraphicsCopiesSetting=1\nGraphicsGrayscaleEnh=1\n"
    "JobSettingMemoryOff=1,5\nGraphics600Res=3\n"
    "GraphicsSmartCMS1=1,11:31\nGraphicsSmartCMS3=0,13:33\nGraphicsSmartCMS4=1,14:0\n"
    "[FUNCTION]\nColorDevice=1\nQuality300Index=2\nUseSmartCMS=1\n";

constexpr char16_t kModule[] = u"C:\\windows\\system32\\spool\\drivers\\x64\\3\\CVLN.DLL";

// The SNMP module: counts its calls and reports a hard disk.
struct ModuleCalls {
    int calls = 0;
    std::string port;
};
ModuleCalls moduleCalls;

std::uint32_t HOST_CALL ReportHardDisk(const char* port, unsigned char* block, std::int32_t*,
                                       std::uintptr_t) {
    ++moduleCalls.calls;
    moduleCalls.port = port;
    const std::int16_t installed = 1;
    std::memcpy(block + autoconfig::kHardDiskOffset, &installed, sizeof installed);
    return 1;
}

// SmartCMS codes 11 to 14 are the two-bit fields of the record's first byte of SmartCmsBits,
// from the high bits down; codes 31 to 34 those of its fifth byte.
constexpr std::size_t kSmartCmsWord1 = 358;
constexpr std::size_t kSmartCmsWord3 = 362;

class DocumentTreeTest : public ::testing::Test {
  protected:
    DocumentTreeTest() : record(devmode::kSize, 0) {
        profiles.files.PutUtf8(kProfile, kModel);
        profiles.files.PutUtf8(kTexts,
                               "[Hold Dialog]\nCaption=Drucken und Halten\n"
                               "[Paper Dialog]\nWarning=Achtung\nCopiesChangedMsg=Kopien?\n");
        devmode::Set(record.data(), devmode::kDwSignature, devmode::kSignature);
        dm.dmCopies = 5;
        dm.dmColor = host::kDmColorColor;
        dm.dmCollate = host::kDmCollateTrue;
        items.Add(nullptr, host::kDmPubCopiesCollate, 5);
        items.Add(nullptr, host::kDmPubColor, 1);
        items.Add(nullptr, host::kDmPubPrintQuality, 1);
        items.Add(nullptr, host::kDmPubNup, 0);
        items.Add("Quality", 0, 3, std::vector<const char16_t*>(4));
        items.Add("ColorMode", 0, 1);
        items.Add("JCLEnhanceGray", 0, 1);
        items.Add("JCLRegionColor", 0, 0);
        items.Add("StapleLocation", 0, 0);
        items.Add("GraphicsSmartCMS1");
        items.Add("GraphicsSmartCMS2");
        items.Add("GraphicsSmartCMS3");
        items.Add("Unrelated");
        items.Add("GraphicsSmartCMS4");
        tree.cbSize = sizeof tree;
        tree.poemuiobj = &uiObject;
        tree.hPrinter = reinterpret_cast<void*>(0x50);
        tree.pPrinterName = const_cast<char16_t*>(u"Talen C5");
        tree.hOEMHeap = reinterpret_cast<void*>(0x60);
        tree.pPublicDM = &dm;
        tree.pOEMDM = record.data();
        tree.pDrvOptItems = items.data();
        tree.cDrvOptItems = items.size();
    }
    void TearDown() override {
        if (sheetParam.pOEMUserData == nullptr) return;
        sheetInfo.Reason = host::kPropSheetUiReasonDestroy;
        fake.system.threadId = 1;
        ui::DocumentPropertySheets(state, &driver, sheetInfo, 0);
    }
    platform::Platform Ports() {
        platform::Platform ports = fake.ports(&profiles);
        ports.dialogs = &dialogs;
        return ports;
    }
    void Build() {
        tree.pOEMOptItems = own;
        tree.cOEMOptItems = 2;
        tree::DocumentTree(state, &driver, tree);
    }
    // The document sheet of the same job, whose session the callback works with.
    profile::UiSession* OpenSheet() {
        sheetParam.cbSize = sizeof sheetParam;
        sheetParam.poemuiobj = &uiObject;
        sheetParam.hPrinter = tree.hPrinter;
        sheetParam.pPrinterName = tree.pPrinterName;
        sheetParam.hOEMHeap = reinterpret_cast<void*>(0x70);
        sheetParam.pPublicDM = &dm;
        sheetParam.pOEMDM = record.data();
        sheetInfo.cbSize = sizeof sheetInfo;
        sheetInfo.Version = host::kPropSheetUiInfoVersion;
        sheetInfo.lParamInit = reinterpret_cast<host::LPARAM>(&sheetParam);
        EXPECT_EQ(host::kSOk, ui::DocumentPropertySheets(state, &driver, sheetInfo, 0));
        return static_cast<profile::UiSession*>(sheetParam.pOEMUserData);
    }
    host::LONG Callback(host::WORD reason, host::OPTITEM* current = nullptr, host::LONG old = 0) {
        host::CPSUICBPARAM callback{};
        callback.cbSize = sizeof callback;
        callback.Reason = reason;
        callback.hDlg = reinterpret_cast<void*>(0xD06);
        callback.pCurItem = current;
        callback.OldSel = old;
        return tree.OEMCUIPCallback(&callback, &tree);
    }
    host::LONG Change(host::OPTITEM* item, host::LONG sel) {
        const host::LONG old = item->Sel;
        item->Sel = sel;
        return Callback(host::kCpsuicbReasonSelChanged, item, old);
    }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    fakes::FakeDialogs dialogs;
    fakes::DriverUi driver;
    plugin::ProcessState state{Ports()};
    std::vector<unsigned char> record;
    host::DEVMODEW dm{};
    host::OEMUIOBJ uiObject{};
    fakes::HostItems items;
    host::OPTITEM own[2]{};
    host::OEMCUIPPARAM tree{};
    host::OEMUIPSPARAM sheetParam{};
    host::PROPSHEETUI_INFO sheetInfo{};
};

TEST_F(DocumentTreeTest, TheFirstCallOnlyAsksForTwoItems) {
    tree.pOEMOptItems = nullptr;
    const std::vector<unsigned char> before = record;
    tree::DocumentTree(state, &driver, tree);
    EXPECT_EQ(2u, tree.cOEMOptItems);
    EXPECT_EQ(nullptr, tree.OEMCUIPCallback);
    EXPECT_EQ(before, record);
    EXPECT_EQ(0, fake.heap.allocs);
}

TEST_F(DocumentTreeTest, TwoPushButtonsOnTheHostHeapAndTheModelsRecordValues) {
    Build();
    EXPECT_EQ(&tree::DocumentTreeCallback, tree.OEMCUIPCallback);
    ASSERT_NE(nullptr, own[0].pName);
    EXPECT_EQ(std::u16string_view(u"Drucken und Halten"), own[0].pName);
    EXPECT_EQ(std::u16string_view(u"Caption"), own[1].pName) << "a missing caption";
    for (const host::OPTITEM& item : own) {
        ASSERT_NE(nullptr, item.pOptType);
        ASSERT_EQ(1, item.pOptType->Count);
    }
    EXPECT_EQ(reinterpret_cast<void*>(&ui::OnPrintAndHoldButton),
              reinterpret_cast<void*>(own[0].pOptType->pOptParam[0].pData));
    EXPECT_EQ(reinterpret_cast<void*>(&ui::OnCopiesSettingButton),
              reinterpret_cast<void*>(own[1].pOptType->pOptParam[0].pData));
    EXPECT_EQ(0u, own[0].Flags & host::kOptifHide) << "state 0 offers Normal and Spool";
    EXPECT_EQ(0u, own[1].Flags & host::kOptifHide);
    EXPECT_EQ(tree.hOEMHeap, fake.heap.lastHeap);
    EXPECT_EQ(4u, fake.heap.live()) << "two captions and two button types; the session is gone";

    EXPECT_EQ(0, devmode::Get(record.data(), devmode::kHddInstalled));
    EXPECT_EQ(1, devmode::Get(record.data(), devmode::kCopiesSettingOn));
    // A printer without the hard-disk value gets one: a DWORD 0, not an empty value.
    ASSERT_EQ(1u, fake.spooler.printerData.count(u"hdd_setting"));
    EXPECT_EQ(platform::kRegDword, fake.spooler.printerData[u"hdd_setting"].type);
    EXPECT_EQ(std::vector<unsigned char>(4, 0), fake.spooler.printerData[u"hdd_setting"].bytes);
}

TEST_F(DocumentTreeTest, ButtonsAreHiddenWhenTheirDialogsHaveNothingToOffer) {
    profiles.files.PutUtf8(kProfile, "[Common]\nCaption=TALEN\nJobSettingMemoryOff= , ,\n");
    tree.cOEMOptItems = 1;  // a host that hands fewer items than asked for
    tree.pOEMOptItems = own;
    own[1].Sel = 77;
    tree::DocumentTree(state, &driver, tree);
    EXPECT_NE(0u, own[0].Flags & host::kOptifHide) << "a list of separators offers no mode";
    EXPECT_EQ(77, own[1].Sel) << "an item the host did not hand over is not touched";
}

TEST_F(DocumentTreeTest, LockedItemsColourTrimmingAndSmartCmsHiding) {
    // The media-type lock takes the first item that is either one: public id 12 comes first.
    items.Add(nullptr, host::kDmPubMediaType);
    items.Add("JCLMediaType");
    tree.pDrvOptItems = items.data();
    tree.cDrvOptItems = items.size();
    devmode::Set(record.data(), devmode::kLockedItems, 0x09);
    Build();
    EXPECT_NE(0u, items.ById(host::kDmPubColor)->Flags & host::kOptifDisabled);
    EXPECT_EQ(0u, items.Find("JCLMediaType")->Flags & host::kOptifDisabled);
    EXPECT_NE(0u, items.ById(host::kDmPubMediaType)->Flags & host::kOptifDisabled);
    EXPECT_EQ(1, items.ById(host::kDmPubColor)->Sel) << "a lock keeps the selection";

    // A colour device with only the Quality index: the resolution item goes, Quality loses
    // its last option and the selection follows.
    EXPECT_NE(0u, items.ById(host::kDmPubPrintQuality)->Flags & host::kOptifHide);
    EXPECT_EQ(3, items.Find("Quality")->pOptType->Count);
    EXPECT_EQ(2, items.Find("Quality")->Sel);

    // SmartCMS: 2 is absent and 3 starts with 0; the walk ends at the unrelated item, so 4
    // keeps its state although its value would hide nothing either way.
    EXPECT_EQ(0u, items.Find("GraphicsSmartCMS1")->Flags & host::kOptifHide);
    EXPECT_NE(0u, items.Find("GraphicsSmartCMS2")->Flags & host::kOptifHide);
    EXPECT_NE(0u, items.Find("GraphicsSmartCMS3")->Flags & host::kOptifHide);
    EXPECT_EQ(0u, items.Find("GraphicsSmartCMS3")->Flags & host::kOptifChanged);
}

TEST_F(DocumentTreeTest, AQualityListOfOneOptionIsNotShortened) {
    items.Find("Quality")->pOptType->Count = 1;
    items.Find("Quality")->Sel = 0;
    Build();
    EXPECT_EQ(1, items.Find("Quality")->pOptType->Count);
    EXPECT_EQ(0, items.Find("Quality")->Sel);
}

TEST_F(DocumentTreeTest, ActivationHandsTheSessionToTheButtonsAndFollowsTheColour) {
    profile::UiSession* session = OpenSheet();
    ASSERT_NE(nullptr, session);
    Build();
    devmode::Set(record.data(), devmode::kHoldItemValue, 3);
    devmode::Set(record.data(), devmode::kRegionColor, 2);
    EXPECT_EQ(1, Callback(host::kCpsuicbReasonSetActive));
    EXPECT_EQ(reinterpret_cast<host::ULONG_PTR>(session), own[0].UserData);
    EXPECT_EQ(reinterpret_cast<host::ULONG_PTR>(session), own[1].UserData);
    EXPECT_EQ(3, own[0].Sel);
    EXPECT_NE(0u, items.Find("JCLEnhanceGray")->Flags & host::kOptifDisabled);
    EXPECT_EQ(0, items.Find("JCLEnhanceGray")->Sel) << "reset in colour mode";
    EXPECT_EQ(2, items.Find("JCLRegionColor")->Sel);

    // Grey: the Copies Setting button and the SmartCMS colour-only feature go, grey
    // enhancement comes back.
    dm.dmColor = host::kDmColorMonochrome;
    Change(items.ById(host::kDmPubColor), 0);
    EXPECT_EQ(0, items.Find("ColorMode")->Sel);
    EXPECT_NE(0u, own[1].Flags & host::kOptifDisabled);
    EXPECT_EQ(0u, items.Find("JCLEnhanceGray")->Flags & host::kOptifDisabled);
    EXPECT_EQ(0, Callback(host::kCpsuicbReasonSelChanged, &own[0]))
        << "a change of the plug-in's own item is no host feature";
    EXPECT_EQ(2, Callback(host::kCpsuicbReasonExtPush));
}

TEST_F(DocumentTreeTest, ChangedCopiesAskBeforeTheSplitIsDropped) {
    profile::UiSession* session = OpenSheet();
    Build();
    Callback(host::kCpsuicbReasonSetActive);
    session->grayscaleCopies = 2;
    session->colorCopies = 3;
    host::OPTITEM* copies = items.ById(host::kDmPubCopiesCollate);
    Change(copies, 5);
    EXPECT_TRUE(dialogs.messages.empty()) << "the same count again asks nothing";
    for (const int answer : {ui::kIdNo, ui::kIdYes}) {
        dialogs.messageAnswer = answer;
        dm.dmCopies = 3;
        Change(copies, 3);
        const bool yes = answer == ui::kIdYes;
        EXPECT_EQ(yes ? 3 : 5, copies->Sel);
        EXPECT_EQ(yes ? 3 : 5, dm.dmCopies);
        EXPECT_EQ(yes ? 0 : 2, devmode::Get(record.data(), devmode::kGrayscaleCopies));
    }
    EXPECT_EQ(2u, dialogs.messages.size());
    EXPECT_EQ(3, devmode::Get(record.data(), devmode::kColorCopies));
}

TEST_F(DocumentTreeTest, ApplyStoresWhatThePrintPathNeeds) {
    profile::UiSession* session = OpenSheet();
    Build();
    Callback(host::kCpsuicbReasonSetActive);
    own[0].Sel = 4;
    items.Find("StapleLocation")->Sel = 2;
    items.ById(host::kDmPubNup)->Sel = 6;
    items.Find("JCLRegionColor")->Sel = 3;
    items.Find("GraphicsSmartCMS1")->Sel = 1;
    // Copies 2 with a split of 3 grey copies: the split is dropped, colour stays as it was.
    session->currentCopies = 2;
    session->grayscaleCopies = 3;
    devmode::Set(record.data(), devmode::kColorCopies, 9);
    // A Quality selection beyond the resolution list leaves the resolution alone.
    devmode::Set(record.data(), devmode::kResolution, 600);
    session->resolutionCount = 2;
    items.Find("Quality")->Sel = 7;
    EXPECT_EQ(0, Callback(host::kCpsuicbReasonApplyNow));
    const void* r = record.data();
    EXPECT_EQ(4, devmode::Get(r, devmode::kHoldItemValue));
    EXPECT_EQ(1, devmode::Get(r, devmode::kStapleOn));
    EXPECT_EQ(1, devmode::Get(r, devmode::kBookletOn));
    EXPECT_EQ(3, devmode::Get(r, devmode::kRegionColor));
    EXPECT_EQ(0, devmode::Get(r, devmode::kGrayscaleCopies));
    EXPECT_EQ(9, devmode::Get(r, devmode::kColorCopies));
    EXPECT_EQ(600, devmode::Get(r, devmode::kResolution));
    EXPECT_EQ(0x40, r != nullptr ? static_cast<const unsigned char*>(r)[358] : 0)
        << "SmartCMS 1 colour code 11: word 1, slot 1";

    // The job monitor's user name: the record's user ID, without a terminator.
    auto* users = fake.registry.Find(u"Software\\Lookout\\Users");
    ASSERT_NE(nullptr, users);
    const auto& value = users->values[u"talen c5"];
    EXPECT_EQ(platform::kRegSz, value.type);
    EXPECT_EQ(8u, value.data.size()) << "\"jdoe\" from the system, 4 units, no terminator";

    // Grey or uncollated jobs never keep a split.
    session->currentCopies = 5;
    session->grayscaleCopies = 2;
    dm.dmCollate = 0;
    Callback(host::kCpsuicbReasonApplyNow);
    EXPECT_EQ(0, devmode::Get(r, devmode::kGrayscaleCopies));
}

TEST_F(DocumentTreeTest, WithoutAJobMonitorPathNoKeyIsCreated) {
    profiles.files.PutUtf8(kProfile, "[OEMFiles]\nJobMointor=1\n[Common]\nCaption=TALEN\n");
    OpenSheet();
    Build();
    Callback(host::kCpsuicbReasonApplyNow);
    EXPECT_TRUE(fake.registry.root.children.empty()) << "no key named after the missing path";
}

TEST_F(DocumentTreeTest, CallsWithoutTheirSessionOrRecordAnswerZero) {
    Build();
    EXPECT_EQ(0, Callback(host::kCpsuicbReasonSetActive)) << "no sheet opened";
    OpenSheet();
    fake.system.threadId = 9;
    EXPECT_EQ(0, Callback(host::kCpsuicbReasonSetActive)) << "another thread's sheet";
    fake.system.threadId = 1;
    tree.pPublicDM = nullptr;
    EXPECT_EQ(0, Callback(host::kCpsuicbReasonSetActive));
    EXPECT_EQ(0, tree::DocumentTreeCallback(nullptr, &tree));
}

TEST_F(DocumentTreeTest, ButtonsOpenTheirDialogsOnlyWithTheSheetsSession) {
    profile::UiSession* session = OpenSheet();
    Build();
    host::CPSUICBPARAM press{};
    press.Reason = host::kCpsuicbReasonPushButton;
    press.hDlg = reinterpret_cast<void*>(0xD06);
    press.pCurItem = &own[0];
    EXPECT_EQ(0, ui::OnPrintAndHoldButton(&press));
    EXPECT_TRUE(dialogs.runs.empty()) << "pressed before the page was activated";

    Callback(host::kCpsuicbReasonSetActive);
    ASSERT_EQ(reinterpret_cast<host::ULONG_PTR>(session), own[0].UserData);
    fake.system.systemLangId = 0x040D;  // Hebrew
    EXPECT_EQ(0, ui::OnPrintAndHoldButton(&press));
    press.pCurItem = &own[1];
    EXPECT_EQ(0, ui::OnCopiesSettingButton(&press));
    ASSERT_EQ(2u, dialogs.runs.size());
    EXPECT_EQ(3500, dialogs.runs[0].templateId);
    EXPECT_EQ(3503, dialogs.runs[1].templateId);
    EXPECT_EQ(press.hDlg, dialogs.runs[0].owner);

    press.Reason = host::kCpsuicbReasonSelChanged;
    EXPECT_EQ(0, ui::OnCopiesSettingButton(&press));
    EXPECT_EQ(2u, dialogs.runs.size()) << "only a press opens the dialog";
}

TEST_F(DocumentTreeTest, LeavingThePageStoresTheItemStapleRegionAndOfferedSmartCms) {
    OpenSheet();
    Build();
    Callback(host::kCpsuicbReasonSetActive);
    own[0].Sel = 5;
    items.Find("StapleLocation")->Sel = 1;
    items.Find("JCLRegionColor")->Sel = 3;
    items.Find("GraphicsSmartCMS1")->Sel = 1;
    items.Find("GraphicsSmartCMS3")->Sel = 1;  // hidden: the model does not offer it
    items.ById(host::kDmPubNup)->Sel = 6;
    EXPECT_EQ(0, Callback(host::kCpsuicbReasonKillActive));
    EXPECT_EQ(5, devmode::Get(record.data(), devmode::kHoldItemValue));
    EXPECT_EQ(1, devmode::Get(record.data(), devmode::kStapleOn));
    EXPECT_EQ(3, devmode::Get(record.data(), devmode::kRegionColor));
    EXPECT_EQ(0x40, record[kSmartCmsWord1]) << "code 11 set, the hidden item's 13 not";
    EXPECT_EQ(0x40, record[kSmartCmsWord3]) << "code 31 set, the hidden item's 33 not";
    // Booklet and the job monitor's user belong to Apply only.
    EXPECT_EQ(0, devmode::Get(record.data(), devmode::kBookletOn));
    EXPECT_EQ(nullptr, fake.registry.Find(u"Software\\Lookout\\Users"));

    // What was switched off is stored off again.
    items.Find("StapleLocation")->Sel = 0;
    items.Find("GraphicsSmartCMS1")->Sel = 0;
    Callback(host::kCpsuicbReasonKillActive);
    EXPECT_EQ(0, devmode::Get(record.data(), devmode::kStapleOn));
    EXPECT_EQ(0, record[kSmartCmsWord1]);
    EXPECT_EQ(0, record[kSmartCmsWord3]);
}

TEST_F(DocumentTreeTest, QualityDrivesTheResolutionItemAndActivationCouplesThem) {
    profile::UiSession* session = OpenSheet();
    ASSERT_NE(nullptr, session);
    Build();
    host::OPTITEM* quality = items.Find("Quality");
    host::OPTITEM* resolution = items.ById(host::kDmPubPrintQuality);
    // The updates the host was told of for these two items, in order.
    auto told = [&] {
        std::vector<void*> seen;
        for (const fakes::DriverUi::Update& u : driver.updates) {
            if (u.item == quality || u.item == resolution) seen.push_back(u.item);
        }
        driver.updates.clear();
        return seen;
    };

    // Only with both indexes does a Quality change move the resolution item.
    resolution->Sel = 1;
    Change(quality, 2);
    EXPECT_EQ(1, resolution->Sel) << "no 300 dpi resolution index";
    session->resolution300Index = 3;
    Change(quality, 2);
    EXPECT_EQ(3, resolution->Sel) << "the 300 dpi quality selects the 300 dpi resolution";
    ASSERT_FALSE(driver.updates.empty());
    EXPECT_EQ(host::kOemCuipDocProp, driver.updates.back().mode);
    EXPECT_EQ(&uiObject, driver.updates.back().uiObject);
    Change(quality, 1);
    EXPECT_EQ(0, resolution->Sel);

    // Activation with only the Quality index: a raised resolution goes back to 0 and the
    // host hears the Quality selection again, after it.
    session->resolution300Index = 0;
    resolution->Sel = 2;
    quality->Sel = 1;
    told();
    Callback(host::kCpsuicbReasonSetActive);
    EXPECT_EQ(0, resolution->Sel);
    EXPECT_EQ(1, quality->Sel);
    EXPECT_EQ((std::vector<void*>{resolution, quality}), told());

    // With both indexes the Quality item follows the resolution item.
    session->resolution300Index = 3;
    resolution->Sel = 3;
    quality->Sel = 0;
    Callback(host::kCpsuicbReasonSetActive);
    EXPECT_EQ(2, quality->Sel) << "raised: the 300 dpi quality";
    resolution->Sel = 0;
    Callback(host::kCpsuicbReasonSetActive);
    EXPECT_EQ(1, quality->Sel) << "not raised: the quality below the 300 dpi one";
    told();
    Callback(host::kCpsuicbReasonSetActive);
    EXPECT_EQ(1, quality->Sel);
    EXPECT_TRUE(told().empty()) << "already coupled";

    // A device without colour couples nothing.
    session->colorDevice = 0;
    resolution->Sel = 3;
    Callback(host::kCpsuicbReasonSetActive);
    EXPECT_EQ(1, quality->Sel);
}

TEST_F(DocumentTreeTest, SmartCmsCodesFollowTheItemsAndTheColourMode) {
    // 2 has a colour code only: it is off in grey. 3 is not offered and stays hidden.
    profiles.files.PutUtf8(kProfile,
                           "[OEMFiles]\nOEMPrefix=CVL\n"
                           "[Common]\nCaption=TALEN C5\nGraphicsCopiesSetting=1\n"
                           "GraphicsSmartCMS1=1,11:31\nGraphicsSmartCMS2=1,12\n"
                           "GraphicsSmartCMS3=0,13:33\n[FUNCTION]\nColorDevice=1\nUseSmartCMS=1\n");
    OpenSheet();
    Build();
    Callback(host::kCpsuicbReasonSetActive);
    host::OPTITEM* cms1 = items.Find("GraphicsSmartCMS1");
    host::OPTITEM* cms2 = items.Find("GraphicsSmartCMS2");
    host::OPTITEM* cms3 = items.Find("GraphicsSmartCMS3");
    ASSERT_NE(0u, cms3->Flags & host::kOptifHide);
    EXPECT_EQ(0u, cms2->Flags & host::kOptifDisabled) << "colour mode offers it";

    // A change of one SmartCMS item writes that item's codes.
    EXPECT_EQ(0, Change(cms2, 1));
    EXPECT_EQ(0x10, record[kSmartCmsWord1]) << "code 12";
    Change(cms1, 1);
    EXPECT_EQ(0x50, record[kSmartCmsWord1]) << "codes 11 and 12";
    EXPECT_EQ(0x40, record[kSmartCmsWord3]) << "code 31";
    Change(cms1, 0);
    EXPECT_EQ(0x10, record[kSmartCmsWord1]);
    EXPECT_EQ(0, record[kSmartCmsWord3]);

    // Grey: 2 is switched off first, the host told of its new selection, and its code
    // written from that selection. The hidden item is left as it is.
    Change(cms1, 1);
    cms3->Sel = 1;
    const host::DWORD cms3Flags = cms3->Flags;
    driver.updates.clear();
    dm.dmColor = host::kDmColorMonochrome;
    Change(items.ById(host::kDmPubColor), 0);
    EXPECT_NE(0u, cms2->Flags & host::kOptifDisabled);
    EXPECT_EQ(0, cms2->Sel);
    EXPECT_EQ(1, cms1->Sel);
    EXPECT_EQ(0x40, record[kSmartCmsWord1]) << "11 on, 12 off, the hidden 13 untouched";
    EXPECT_EQ(0x40, record[kSmartCmsWord3]) << "31 on, the hidden 33 untouched";
    EXPECT_EQ(cms3Flags, cms3->Flags);
    std::vector<void*> told;
    for (const fakes::DriverUi::Update& u : driver.updates) told.push_back(u.item);
    EXPECT_EQ((std::vector<void*>{items.Find("ColorMode"), cms1, cms2}), told);
}

TEST_F(DocumentTreeTest, AutoConfigurationAsksTheModuleWhenTheModelSwitchesItOn) {
    moduleCalls = ModuleCalls{};
    fake.modules.libraries[kModule].exports["SNMP_AutoUpdate"] =
        reinterpret_cast<void*>(&ReportHardDisk);
    items.Add("PrinterHardDisk", 0, 0, {u"Not Installed", u"Installed"});
    tree.pDrvOptItems = items.data();
    tree.cDrvOptItems = items.size();
    Build();
    EXPECT_EQ(0, moduleCalls.calls) << "the model leaves it off";

    profiles.files.PutUtf8(kProfile,
                           "[Common]\nCaption=TALEN C5\n"
                           "[FUNCTION]\nAutoConfiguration=1\nAutoConfigInfo=2\n");
    fake.spooler.printerData.clear();
    driver.updates.clear();
    Build();
    EXPECT_EQ(1, moduleCalls.calls);
    EXPECT_EQ("IP_10.0.0.5", moduleCalls.port);
    EXPECT_EQ(1, items.Find("PrinterHardDisk")->Sel);
    ASSERT_FALSE(driver.updates.empty());
    EXPECT_EQ(host::kOemCuipPrnProp, driver.updates.front().mode)
        << "installed options are printer settings, also from the document tree";
    EXPECT_EQ(std::vector<unsigned char>({1, 0, 0, 0}),
              fake.spooler.printerData[u"hdd_setting"].bytes)
        << "the reported disk, not the tree's default for a missing value";
    EXPECT_EQ(0, fake.modules.libraries[kModule].loaded);
}

}  // namespace
