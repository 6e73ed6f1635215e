#include <gtest/gtest.h>

#include <vector>

#include "devmode/oem_devmode.h"
#include "devmode/session_link.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "ui/property_sheets.h"

namespace {

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\Drivers\\3\\CVL.DAT";

// The pages handed to the host, as the Win32 adapter would describe them.
class FakePages final : public platform::SheetPages {
  public:
    std::intptr_t AddTroublePage(void* function, void* sheet, int templateId,
                                 std::u16string_view title, void* session) override {
        added.push_back({templateId, std::u16string(title), session, function, sheet});
        return answer++;
    }
    struct Page {
        int templateId;
        std::u16string title;
        void* session;
        void* function;
        void* sheet;
    };
    std::vector<Page> added;
    std::intptr_t answer = 0x501;
};

class FakeHelp final : public platform::HelpService {
  public:
    void* HtmlHelp(void*, const char16_t*, std::uint32_t command, std::uintptr_t) override {
        commands.push_back(command);
        return nullptr;
    }
    std::vector<std::uint32_t> commands;
};

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
        fake.spooler.dataFile = u"C:\\Drivers\\3\\CVL.PPD";
        fake.spooler.driverDirectory = u"C:\\Drivers";
        ports = fake.ports();
        ports.profiles = &profiles;
        ports.pages = &pages;
        ports.help = &help;
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
    void Profile(std::string_view ini) { profiles.files.PutUtf8(kProfile, ini); }
    host::HRESULT Call(bool document, host::WORD reason, host::LPARAM lParam = 0) {
        info.Reason = reason;
        return document ? ui::DocumentPropertySheets(ports, nullptr, info, lParam)
                        : ui::DevicePropertySheets(ports, nullptr, info, lParam);
    }
    profile::UiSession* Session() { return static_cast<profile::UiSession*>(param.pOEMUserData); }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    FakePages pages;
    FakeHelp help;
    platform::Platform ports;
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
    EXPECT_EQ(session, ui::SessionOfRecord(record.data())) << "found again from the record";
    EXPECT_EQ(param.hOEMHeap, fake.heap.lastHeap) << "the session lives on the host's heap";
    EXPECT_EQ(2, session->grayscaleCopies);
    EXPECT_EQ(3, session->colorCopies);
    EXPECT_EQ(5, session->currentCopies);
    EXPECT_EQ(1, session->noPermission);
    EXPECT_EQ(std::u16string_view(u"1,32,17600,256,0,3"), session->switchSignature);

    ASSERT_EQ(1u, pages.added.size()) << "only entry 1 is a Troubleshooting page";
    EXPECT_EQ(3023, pages.added[0].templateId);
    EXPECT_EQ(u"Fehlersuche", pages.added[0].title);
    EXPECT_EQ(session, pages.added[0].session);
    EXPECT_EQ(info.hComPropSheet, pages.added[0].sheet);
    EXPECT_EQ(reinterpret_cast<host::HANDLE>(0x501), session->troublePage);

    // Destroy without a confirmed dialog: Result 1, the host callback untouched.
    ASSERT_EQ(host::kSOk, Call(true, host::kPropSheetUiReasonDestroy));
    EXPECT_EQ(1u, info.Result);
    EXPECT_TRUE(SheetCalls::functions.empty());
    EXPECT_EQ(nullptr, session->textReader) << "readers go with the sheet";
    EXPECT_EQ(nullptr, ui::SessionOfRecord(record.data())) << "a closed sheet is not found";
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

    // A destroy whose parameter block carries no session answers 0 and does nothing else.
    param.pOEMUserData = nullptr;
    SheetCalls::functions.clear();
    ASSERT_EQ(host::kSOk, Call(true, host::kPropSheetUiReasonDestroy));
    EXPECT_EQ(0u, info.Result);
    EXPECT_TRUE(SheetCalls::functions.empty());
}

TEST_F(SheetTest, OtherReasons) {
    host::PROPSHEETUI_INFO_HEADER header{};
    for (bool document : {true, false}) {
        header.pTitle = nullptr;
        ASSERT_EQ(host::kSOk, Call(document, host::kPropSheetUiReasonGetInfoHeader,
                                   reinterpret_cast<host::LPARAM>(&header)));
        EXPECT_EQ(1u, info.Result);
        ASSERT_NE(nullptr, header.pTitle);
        EXPECT_EQ(std::u16string_view(u"OEM UI Page"), header.pTitle);

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
