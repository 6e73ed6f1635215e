#include "ui/trouble_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "profile/bounded_text.h"
#include "ui/diagnostic_pages.h"
#include "ui/localise.h"

namespace {

constexpr char16_t kProfile[] = u"C:\\D\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\D\\3\\CVLEN.DAT";
constexpr char16_t kPortKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\"
    u"IP_10.0.0.5";
constexpr std::uint32_t kSsNotify = 0x100;
// The 48 bytes that make the printer print its configuration page.
constexpr std::string_view kConfigJob =
    "\x1B%-12345X@PJL\r\n@PJL TEST PRINT=CONFIG\r\n\x1B%-12345X";

// A modal dialog that makes itself the session's dialog, as every plug-in dialog does.
class EnteringDialog final : public ui::Presenter {
  public:
    explicit EnteringDialog(profile::UiSession& session) : session_(session) {}
    profile::UiSession* session() const override { return &session_; }
    bool OnInit(ui::Controls& controls) override {
        ui::EnterDialog(session_, controls.Window(), 3026, u"About");
        session_.tooltipWindow = reinterpret_cast<void*>(0xDEAD);
        return true;
    }

  private:
    profile::UiSession& session_;
};

// The page of a TALEN model on the template's controls, with a printer on a Standard TCP/IP
// port at 10.0.0.5.
class TroublePageTest : public ::testing::Test {
  protected:
    TroublePageTest() {
        Texts("");
        Profile("TroubleLookout=1\nTestPages=9, 1,x,0,11,-2,+3,9,2,4,5,6,7,8,10\n");
        session.profileReader = std::make_unique<profile::ProfileReader>(&profiles, kProfile);
        session.textReader = std::make_unique<profile::ProfileReader>(&profiles, kTexts);
        session.printerHandle = reinterpret_cast<void*>(0x50);
        text::Copy(session.driverDir, profile::kNameUnits, u"C:\\D\\3\\");
        text::Copy(session.filePrefix, profile::kNameUnits, u"CVLC5");
        fake.registry.SetString(kPortKey, u"IPAddress", u"10.0.0.5", platform::kRegSz,
                                &fake.registry.machine);
        ports.help = &help;
        ports.dialogs = &dialogs;
        const std::u16string_view link[] = {u"URL_1", u"URL_2", u"URL_3",
                                            u"URL_4", u"URL_5", u"URL_6"};
        Add(1241, u"Button", u"Job Lookout", {8, 8, 328, 66});
        Add(1242, u"Static", u"Intro", {17, 20, 318, 38});
        Add(1243, u"Static", u"View Last Job Lookout Help Topic", {17, 43, 225, 57}, kSsNotify);
        Add(1225, u"Button", u"Settings...", {237, 43, 318, 57});
        Add(1131, u"Button", u"Diagnostic", {8, 70, 328, 128});
        Add(1239, u"Static", u"To print", {17, 82, 318, 100});
        Add(1238, u"ComboBox", u"", {17, 106, 225, 234});
        Add(1223, u"Button", u"Print", {237, 105, 318, 119});
        Add(1224, u"Button", u"Web Links", {8, 133, 328, 209});
        for (int n = 0; n < 6; ++n) {
            const int left = n < 3 ? 18 : 176;
            const int top = 147 + 20 * (n % 3);
            Add(1212 + n, u"Static", link[n], {left, top, left + 142, top + 14}, kSsNotify);
        }
        Add(1229, u"Button", u"About", {175, 230, 250, 244});
        Add(1071, u"Static", u"", {8, 229, 80, 246});
        Add(1001, u"Button", u"Help", {256, 230, 331, 244});
    }
    void Add(int id, std::u16string_view cls, std::u16string_view text, ui::Rect r,
             std::uint32_t style = 0) {
        controls.Add(id, cls, text, style).rect = r;
    }
    void Profile(std::string_view common) {
        profiles.files.PutUtf8(kProfile, "[Common]\n" + std::string(common));
    }
    // The sample's link addresses (link 6 has none), hostile ones among them.
    void Texts(std::string_view more) {
        profiles.files.PutUtf8(
            kTexts,
            "[Troubleshooting Dialog]\nURL_1=Support\nConfig Page=Konfiguration\n"
            "Test Print=Testmuster\n"
            "Ref_URL_1=https://support.example/a%20b%s%n\n"
            "Ref_URL_2=https://drivers.example/\nRef_URL_3=http://%s\n"
            "Ref_URL_4=https://shop.example/\n"
            "Ref_URL_5=http://%s/status.html?q=%s%d\n" +
                std::string(more));
    }
    ui::Rect Rect(int id) { return controls.Get(id).rect; }
    void Click(int id) { presenter.OnCommand(controls, id, 0); }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    fakes::FakeHelp help;
    fakes::FakeDialogs dialogs;
    platform::Platform ports = fake.ports(&profiles);
    profile::UiSession session{};
    fakes::FakeControls controls;
    ui::TroublePagePresenter presenter{ports, &session, ui::TroubleDialogs{}};
};

TEST(TroubleLinks, TheAddressGoesInAsTextAndNothingElseIsExpanded) {
    EXPECT_EQ(u"http://10.0.0.5/s?a=%20%s%n%d",
              ui::WebLinkAddress(u"http://%s/s?a=%20%s%n%d", u"10.0.0.5"));
    EXPECT_EQ(u"see http://%s%d.x/", ui::WebLinkAddress(u"see http://%s.x/", u"%s%d"));
    EXPECT_EQ(u"https://a.example/%s", ui::WebLinkAddress(u"https://a.example/%s", u"1.2.3.4"));
    EXPECT_EQ(259u, ui::WebLinkAddress(u"http://%s/" + std::u16string(300, u'x'), u"h").size());

    fakes::FakeShell shell;
    ui::OpenWebLink(&shell, u"http://h/", 5);
    EXPECT_TRUE(shell.started.empty());
    shell.openAnswer = 32;  // the shell could not open it
    ui::OpenWebLink(&shell, u"http://h/", 5);
    EXPECT_EQ(std::vector<std::u16string>{u"IEXPLORE.EXE http://h/"}, shell.started);
    EXPECT_EQ(5, shell.lastShow);
}

TEST(TroubleLinks, ALinkFitsItsTextAroundTheSameCentre) {
    EXPECT_EQ((ui::Rect{27, 10, 97, 23}), ui::FitToText({10, 10, 115, 24}, {70, 13}));
    // A text wider than its control grows it to both sides (the half rounded toward zero).
    EXPECT_EQ((ui::Rect{7, 10, 111, 23}), ui::FitToText({10, 10, 107, 24}, {104, 13}));
}

TEST_F(TroublePageTest, StartFillsTheListStylesTheLinksAndPrintsTheSelectedPage) {
    fake.spooler.SetString(u"JLook_LastInfo", u"CVLC5.chm::/lookout/jam.htm");
    presenter.OnInit(controls);
    EXPECT_EQ(u"Troubleshooting", std::u16string(session.dialogName));
    EXPECT_EQ(u"10.0.0.5", std::u16string(session.printerAddress));
    auto& list = controls.Get(1238);
    ASSERT_EQ(11u, list.items.size()) << "entries outside the table are left out";
    EXPECT_EQ(
        (std::vector<std::u16string>{u"Testmuster", u"Konfiguration", u"Menu Map", u"Testmuster"}),
        std::vector<std::u16string>(list.items.begin(), list.items.begin() + 4))
        << "a missing text shows its key";
    EXPECT_EQ(0, list.selection);
    EXPECT_EQ(u"Support", controls.Get(1212).info.text);

    // Links 1-6 and the monitor link get the underlined font, and each fits its text.
    EXPECT_EQ(1, controls.fontsAlive);
    for (int id : {1243, 1212, 1213, 1214, 1215, 1216, 1217}) {
        EXPECT_TRUE(controls.Get(id).linkFont) << id;
        EXPECT_TRUE(controls.IsEnabled(id)) << id;
    }
    EXPECT_EQ((ui::Rect{61, 147, 117, 160}), Rect(1212)) << "7 characters of the link font";
    EXPECT_FALSE(controls.IsVisible(1217)) << "link 6 has no address";
    EXPECT_FALSE(controls.Get(1217).tooltipShown);
    EXPECT_TRUE(controls.IsVisible(1216));

    controls.SetSelection(1238, 1);
    Click(1223);
    ASSERT_EQ(1u, fake.rawJobs.jobs.size());
    EXPECT_EQ(kConfigJob, fake.rawJobs.jobs[0].bytes);
    EXPECT_EQ(session.printerHandle, fake.rawJobs.jobs[0].printer);
    // A driver with a printer description prints the first ten entries only.
    list.selection = 10;
    session.isPpdDriver = 1;
    Click(1223);
    EXPECT_EQ(1u, fake.rawJobs.jobs.size());
    session.isPpdDriver = 0;
    Click(1223);
    EXPECT_EQ(2u, fake.rawJobs.jobs.size());

    presenter.OnDestroy(controls);
    EXPECT_EQ(0, controls.fontsAlive) << "the link font goes with the page";
}

TEST_F(TroublePageTest, WithoutTheJobMonitorTheGroupsMoveUpAndTheirTipsFollow) {
    Profile("TroubleLookout=0\nTestPages=1\n");
    presenter.OnInit(controls);
    for (int id : {1241, 1242, 1243, 1225}) EXPECT_FALSE(controls.IsVisible(id)) << id;
    EXPECT_FALSE(controls.Get(1242).tooltipShown);
    EXPECT_FALSE(controls.Get(1243).linkFont) << "a hidden monitor link is not styled";
    EXPECT_EQ((ui::Rect{8, 8, 328, 66}), Rect(1131));
    EXPECT_EQ((ui::Rect{237, 43, 318, 57}), Rect(1223));
    EXPECT_EQ((ui::Rect{8, 70, 328, 146}), Rect(1224));
    EXPECT_EQ(104, Rect(1213).top);
    EXPECT_TRUE(controls.IsVisible(1224) && controls.IsVisible(1238));
}

TEST_F(TroublePageTest, LinksOpenThePrinterPagesOnlyWithAnAddress) {
    presenter.OnInit(controls);
    Click(1212);
    Click(1214);
    Click(1216);
    presenter.OnCommand(controls, 1213, 1);  // a double click is no click
    EXPECT_EQ((std::vector<std::u16string>{u"https://support.example/a%20b%s%n", u"http://10.0.0.5",
                                           u"http://10.0.0.5/status.html?q=%s%d"}),
              fake.shell.opened);
    EXPECT_EQ(5, fake.shell.lastShow);
    EXPECT_FALSE(controls.IsEnabled(1243)) << "no last report to show";
    Click(1243);
    EXPECT_TRUE(help.addresses.empty());

    // An address that is found but empty counts as none.
    fakes::FakeControls other;
    for (int id : {1212, 1213, 1214, 1215, 1216, 1217}) other.Add(id, u"Static", u"x", kSsNotify);
    fake.registry.SetString(kPortKey, u"IPAddress", u"", platform::kRegSz, &fake.registry.machine);
    ui::TroublePagePresenter page{ports, &session, ui::TroubleDialogs{}};
    page.OnInit(other);
    EXPECT_EQ(
        (std::vector<bool>{true, true, false, true, false, true}),
        (std::vector<bool>{other.IsEnabled(1212), other.IsEnabled(1213), other.IsEnabled(1214),
                           other.IsEnabled(1215), other.IsEnabled(1216), other.IsEnabled(1217)}));
}

TEST_F(TroublePageTest, TheLastReportHelpAndTheSheetsHelpRequestOpenTheirTopics) {
    fake.spooler.SetString(u"JLook_LastInfo", u"CVLC5.chm::/lookout/jam.htm");
    presenter.OnInit(controls);
    Click(1243);
    Click(1001);
    const ui::NotifyAnswer answer = presenter.OnNotify(controls, {.code = ui::kPsnHelp});
    EXPECT_FALSE(answer.handled) << "the sheet still answers its own help request";
    EXPECT_EQ((std::vector<std::u16string>{
                  u"C:\\D\\3\\CVLC5.chm::/lookout/jam.htm",
                  u"C:\\D\\3\\CVLC5.chm::\\troublesh_tab\\troubleshooting_tab.htm",
                  u"C:\\D\\3\\CVLC5.chm::\\troublesh_tab\\troubleshooting_tab.htm"}),
              help.addresses);
    EXPECT_EQ((std::vector<void*>{nullptr, nullptr, nullptr}), help.owners);
    EXPECT_EQ(reinterpret_cast<void*>(0x4E1F), session.helpWindow) << "closed with the sheet";
}

TEST_F(TroublePageTest, SettingsAndAboutRunOverThePageWhichIsCurrentAgainAfterwards) {
    const auto factory = [](const platform::Platform&,
                            profile::UiSession& s) -> std::unique_ptr<ui::Presenter> {
        return std::make_unique<EnteringDialog>(s);
    };
    fakes::FakeControls dialog;
    dialogs.controls = &dialog;
    fake.system.systemLangId = 0x040D;  // Hebrew: the mirrored templates
    ui::TroublePagePresenter page{ports, &session, {factory, factory}};
    page.OnInit(controls);
    void* tooltips = session.tooltipWindow;
    for (int button : {1225, 1229}) {
        page.OnCommand(controls, button, 0);
        EXPECT_EQ(controls.Window(), session.dialogWindow);
        EXPECT_EQ(3501, session.dialogTemplateId);
        EXPECT_EQ(u"Troubleshooting", std::u16string(session.dialogName));
        EXPECT_EQ(u"Troubleshooting Dialog", session.textReader->section());
        EXPECT_EQ(tooltips, session.tooltipWindow);
    }
    ASSERT_EQ(2u, dialogs.runs.size());
    EXPECT_EQ(3502, dialogs.runs[0].templateId);
    EXPECT_EQ(3026, dialogs.runs[1].templateId);
    EXPECT_EQ(controls.Window(), dialogs.runs[0].owner);
}

TEST_F(TroublePageTest, TheHandShowsOverUsableLinksAndTheLogoIsDrawnAtItsSize) {
    presenter.OnInit(controls);
    controls.pointer = {70, 150};  // over link 1
    EXPECT_TRUE(presenter.OnSetCursor(controls, {}));
    EXPECT_EQ(ui::Cursor::kHand, controls.pointerShape);
    controls.pointerShape = ui::Cursor::kArrow;
    controls.pointer = {30, 50};  // over the disabled monitor link
    EXPECT_FALSE(presenter.OnSetCursor(controls, {}));
    controls.pointer = {Rect(1217).left, 190};
    EXPECT_FALSE(presenter.OnSetCursor(controls, {})) << "link 6 is hidden";
    EXPECT_EQ(ui::Cursor::kArrow, controls.pointerShape);

    controls.pictures[u"C:\\D\\3\\CVLC5l.bmp"] = {116, 28};
    fakes::FakeCanvas canvas;
    presenter.OnControlColour(controls, 1071, canvas);
    EXPECT_EQ((ui::Rect{8, 229, 124, 257}), Rect(1071)) << "grown to the logo, top-left kept";
    EXPECT_EQ(0, controls.picturesAlive);
    presenter.OnControlColour(controls, 1239, canvas);
    EXPECT_EQ(std::vector<std::string>{"transparent picture 116x28 at 0,0"}, canvas.log);
}

}  // namespace
