#include <gtest/gtest.h>

#include <vector>

#include "devmode/oem_devmode.h"
#include "devmode/session_link.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "ui/presenter.h"
#include "ui/property_sheets.h"

namespace {

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\Drivers\\3\\CVL.DAT";

// The host's sheet function: records set-result calls and answers with a marker.
struct SheetCalls {
    static std::vector<host::DWORD> functions;
    static host::LONG_PTR HOST_CALL Function(host::HANDLE, host::DWORD function, host::LPARAM,
                                             host::LPARAM lParam2) {
        functions.push_back(function);
        return function == host::kCpsFuncSetResult && lParam2 == host::kCpsuiOk ? 77 : 0;
    }
};
std::vector<host::DWORD> SheetCalls::functions;

class SheetTest : public ::testing::Test {
  protected:
    SheetTest() : record(devmode::kSize, 0) {
        devmode::Set(record.data(), devmode::kDwSignature, devmode::kSignature);
        dm.dmCopies = 5;
        param.cbSize = sizeof param;
        param.hPrinter = reinterpret_cast<void*>(0x50);
        param.pPrinterName = const_cast<char16_t*>(u"Talen C5");
        param.hOEMHeap = reinterpret_cast<void*>(0x60);
        param.pPublicDM = &dm;
        param.pOEMDM = record.data();
        info.cbSize = sizeof info;
        info.Version = host::kPropSheetUiInfoVersion;
        info.hComPropSheet = reinterpret_cast<void*>(0x5EE7);
        info.pfnComPropSheet = &SheetCalls::Function;
        info.lParamInit = reinterpret_cast<host::LPARAM>(&param);
        SheetCalls::functions.clear();
    }
    platform::Platform Ports() {
        ports = fake.ports(&profiles);
        ports.pages = &pages;
        ports.help = &help;
        return ports;
    }
    void Profile(std::string_view ini) { profiles.files.PutUtf8(kProfile, ini); }
    host::HRESULT Call(bool document, host::WORD reason, host::LPARAM lParam = 0) {
        info.Reason = reason;
        return document ? ui::DocumentPropertySheets(state, nullptr, info, lParam)
                        : ui::DevicePropertySheets(state, nullptr, info, lParam);
    }
    profile::UiSession* Session() { return static_cast<profile::UiSession*>(param.pOEMUserData); }
    // The session of the page the host was handed, as its window would get it.
    profile::UiSession* PageSession(std::size_t page) {
        return pages.added.at(page).factory()->session();
    }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    fakes::FakePages pages;
    fakes::FakeHelp help;
    platform::Platform ports;
    plugin::ProcessState state{Ports()};
    std::vector<unsigned char> record;
    host::DEVMODEW dm{};
    host::OEMUIPSPARAM param{};
    host::PROPSHEETUI_INFO info{};
};

TEST_F(SheetTest, DocumentStartBuildsAndLinksTheSession) {
    Profile(
        "[OEMFiles]\nOEMPrefix=CVL\n[Common]\nCaption=Talen "
        "C5\nLayoutRotate=1\n[TABNUMBER]\nTabNumber=3\nTab0=5\nTab1=12\n");
    profiles.files.PutUtf8(kTexts, "[Troubleshooting Dialog]\nCaption=Fehlersuche\n");
    devmode::Set(record.data(), devmode::kGrayscaleCopies, 2);
    devmode::Set(record.data(), devmode::kColorCopies, 3);
    param.dwFlags = 0x20;
    ASSERT_EQ(host::kSOk, Call(true, host::kPropSheetUiReasonInit));
    EXPECT_EQ(0u, info.Result);
    profile::UiSession* session = Session();
    ASSERT_NE(nullptr, session);
    EXPECT_EQ(reinterpret_cast<host::ULONG_PTR>(session), info.UserData);
    EXPECT_EQ(session, ui::SessionOfRecord(state, record.data())) << "found again from the record";
    fake.system.threadId = 2;
    EXPECT_EQ(nullptr, ui::SessionOfRecord(state, record.data())) << "only on the sheet's thread";
    fake.system.threadId = 1;
    EXPECT_EQ(param.hOEMHeap, fake.heap.lastHeap) << "the session lives on the host's heap";
    EXPECT_EQ(2, session->grayscaleCopies);
    EXPECT_EQ(1, session->noPermission);
    EXPECT_EQ(std::u16string_view(u"1,32,17600,256,0,3"), session->switchSignature);

    ASSERT_EQ(1u, pages.added.size()) << "only entry 1 is a Troubleshooting page";
    EXPECT_EQ(3023, pages.added[0].templateId);
    EXPECT_EQ(u"Fehlersuche", pages.added[0].title);
    EXPECT_EQ(session, PageSession(0));
    // The page's help request opens the page's help and is still left to the sheet.
    fakes::FakeControls controls;
    const ui::NotifyAnswer answer =
        pages.added[0].factory()->OnNotify(controls, {.code = ui::kPsnHelp});
    EXPECT_FALSE(answer.handled);
    EXPECT_EQ(std::vector<std::uint32_t>{platform::kHhDisplayTopic}, help.commands);
    EXPECT_EQ(info.hComPropSheet, pages.added[0].sheet);
    EXPECT_EQ(reinterpret_cast<host::HANDLE>(0x501), session->troublePage);

    // Destroy without a confirmed dialog: Result 1, the host callback untouched.
    ASSERT_EQ(host::kSOk, Call(true, host::kPropSheetUiReasonDestroy));
    EXPECT_EQ(1u, info.Result);
    EXPECT_TRUE(SheetCalls::functions.empty());
    EXPECT_EQ(0u, fake.heap.live()) << "the session and its readers go with the sheet";
    EXPECT_EQ(nullptr, param.pOEMUserData);
    EXPECT_EQ(nullptr, ui::SessionOfRecord(state, record.data())) << "a closed sheet is not found";
}

TEST_F(SheetTest, AHugePageCountIsReadNoFurtherThanTheBound) {
    Profile("[Common]\nCaption=TALEN\n[TABNUMBER]\nTabNumber=2000000000\nTab0=12\n");
    const int before = profiles.intQueries;
    ASSERT_EQ(host::kSOk, Call(false, host::kPropSheetUiReasonInit));
    EXPECT_EQ(1u, pages.added.size());
    EXPECT_LE(profiles.intQueries - before, ui::kMaxPageEntries + 40)
        << "the page list is read at most " << ui::kMaxPageEntries << " entries deep";
    Call(false, host::kPropSheetUiReasonDestroy);
}

TEST_F(SheetTest, ADocumentSheetWithoutPrivateRecordStillReadsTheModel) {
    Profile(
        "[Common]\nCaption=TALEN\nLayoutRotate=1\nPrinterMemory=1\nCriticalMemorySize=64\n"
        "JobSettingMemoryOn=2,3\n[DEFAULTDEVMODE]\nPrinterMemorySize=128\n");
    param.pOEMDM = nullptr;
    param.dwFlags = 0x20;
    ASSERT_EQ(host::kSOk, Call(true, host::kPropSheetUiReasonInit));
    profile::UiSession* session = Session();
    ASSERT_NE(nullptr, session);
    EXPECT_EQ(std::u16string_view(u"1,32,17600,6400,0,3"), session->switchSignature);
    EXPECT_EQ(1, session->noPermission);
    EXPECT_EQ(3, session->storageState) << "memory storage from the model's defaults";
    EXPECT_EQ(2, session->printModeCount);
    EXPECT_EQ(5, session->colorCopies) << "every copy in colour";
    Call(true, host::kPropSheetUiReasonDestroy);
}

TEST_F(SheetTest, AStartThatFailsHalfWayLeavesNothingBehind) {
    Profile("[OEMFiles]\nOEMPrefix=CVL\n[Common]\nCaption=TALEN\n");
    fakes::FailingProfiles failing(profiles);
    failing.failAt = 3;
    platform::Platform failingPorts = ports;
    failingPorts.profiles = &failing;
    plugin::ProcessState failingState(failingPorts);
    devmode::Set(record.data(), devmode::kSessionLink, 0xCCCCCCCCu);
    info.Reason = host::kPropSheetUiReasonInit;
    EXPECT_THROW(ui::DocumentPropertySheets(failingState, nullptr, info, 0), std::bad_alloc);
    EXPECT_EQ(0u, fake.heap.live()) << "the half-built session is ended";
    EXPECT_EQ(nullptr, param.pOEMUserData);
    EXPECT_EQ(0u, info.UserData);
    EXPECT_EQ(0xCCCCCCCCu, devmode::Get(record.data(), devmode::kSessionLink));
}

TEST_F(SheetTest, CopiesThatDisagreeGoToColourAndOtherBrandsGetNoPage) {
    Profile("[Common]\nCaption=Vantora M2\n[TABNUMBER]\nTabNumber=1\nTab0=12\n");
    devmode::Set(record.data(), devmode::kGrayscaleCopies, 1);
    devmode::Set(record.data(), devmode::kColorCopies, 1);
    ASSERT_EQ(host::kSOk, Call(true, host::kPropSheetUiReasonInit));
    EXPECT_EQ(0, Session()->grayscaleCopies);
    EXPECT_EQ(5, Session()->colorCopies);
    EXPECT_TRUE(pages.added.empty());
    EXPECT_EQ(nullptr, Session()->troublePage);
    Call(true, host::kPropSheetUiReasonDestroy);
}

TEST_F(SheetTest, RightToLeftSystemsGetTheMirroredPage) {
    Profile("[Common]\nCaption=TALEN\n[TABNUMBER]\nTabNumber=2\nTab0=12\nTab1=12\n");
    fake.system.systemLangId = 0x0401;  // Arabic
    ASSERT_EQ(host::kSOk, Call(false, host::kPropSheetUiReasonInit));
    EXPECT_EQ(1u, info.Result);
    ASSERT_EQ(2u, pages.added.size()) << "each entry of kind 12 adds the page";
    EXPECT_EQ(3501, pages.added[1].templateId);
    EXPECT_EQ(u"Caption", pages.added[0].title) << "a missing title reads as its key";
    EXPECT_EQ(reinterpret_cast<host::HANDLE>(0x502), Session()->troublePage);
    EXPECT_EQ(Session(), PageSession(1));
    EXPECT_EQ(0u, devmode::Get(record.data(), devmode::kSessionLink))
        << "printer sheets write no private record";

    // Device destroy always reports through the host's set-result function.
    ASSERT_EQ(host::kSOk, Call(false, host::kPropSheetUiReasonDestroy));
    EXPECT_EQ(77u, info.Result);
    EXPECT_EQ(std::vector<host::DWORD>{host::kCpsFuncSetResult}, SheetCalls::functions);
}

TEST_F(SheetTest, ConfirmedSettingsAndOpenHelpAtDestroy) {
    Profile("[Common]\nCaption=TALEN\n");
    ASSERT_EQ(host::kSOk, Call(true, host::kPropSheetUiReasonInit));
    Session()->settingsChanged = 1;
    Session()->helpWindow = reinterpret_cast<void*>(0x4E1F);
    ASSERT_EQ(host::kSOk, Call(true, host::kPropSheetUiReasonDestroy));
    EXPECT_EQ(77u, info.Result);
    EXPECT_EQ(std::vector<std::uint32_t>{platform::kHhCloseAll}, help.commands);
    EXPECT_EQ(std::vector<host::DWORD>{host::kCpsFuncSetResult}, SheetCalls::functions);
}

TEST_F(SheetTest, OtherReasons) {
    for (bool document : {true, false}) {
        host::SETRESULT_INFO set{};
        set.Result = 42;
        Call(document, host::kPropSheetUiReasonSetResult, reinterpret_cast<host::LPARAM>(&set));
        EXPECT_EQ(42u, info.Result);
        Call(document, host::kPropSheetUiReasonGetIcon);
        EXPECT_EQ(0u, info.Result);
        Call(document, 9);
        EXPECT_EQ(document ? 0u : 1u, info.Result);
    }
}

TEST_F(SheetTest, ASessionThatCannotBeAllocatedIsReported) {
    fake.heap.failAlloc = true;
    EXPECT_EQ(host::kEFail, Call(true, host::kPropSheetUiReasonInit));
    EXPECT_EQ(8u, fake.lastError.Get());
    EXPECT_EQ(nullptr, param.pOEMUserData);
    EXPECT_EQ(0u, devmode::Get(record.data(), devmode::kSessionLink));
}

}  // namespace
