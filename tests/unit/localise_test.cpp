#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "profile/bounded_text.h"
#include "ui/localise.h"
#include "ui/text_format.h"

namespace {

constexpr char16_t kTexts[] = u"C:\\D\\3\\T.DAT";

class LocaliseTest : public ::testing::Test {
  protected:
    LocaliseTest() {
        session.textReader = std::make_unique<profile::ProfileReader>(&profiles, kTexts);
        text::Copy(session.helpFile, profile::kHelpFileUnits, u"C:\\D\\3\\T.CHM");
        text::Copy(session.switchSignature, profile::kSignatureUnits, u"0,32,17600,256,0,3");
    }
    void Texts(std::string_view ini) { profiles.files.PutUtf8(kTexts, ini); }
    void Walk(int templateId = 3042, const char16_t* name = u"Job Accounting") {
        ui::EnterDialog(session, controls.Window(), templateId, name);
        session.tooltipWindow = controls.CreateTooltips(false);
        ui::LocaliseDialog(controls, session);
    }

    fakes::FakeProfiles profiles;
    profile::UiSession session{};
    fakes::FakeControls controls;
};

TEST_F(LocaliseTest, TextsTooltipsAndClassTooltips) {
    Texts(
        "[Job Accounting Dialog]\n"
        "Print=Drucken\n"
        "Cancel tooltip=Close without saving\n"
        "Edit:1244 tooltip=Your account\n");
    controls.Add(1, u"Button", u"Print");
    controls.Add(2, u"Button", u"Cancel");
    controls.Add(1244, u"Edit", u"typed text");
    controls.Add(1245, u"Edit", u"");
    Walk();
    EXPECT_EQ(u"Drucken", controls.Get(1).info.text);
    EXPECT_EQ(std::vector<std::u16string>{u""}, controls.Get(1).tooltips)
        << "a text control always gets a tool, with empty text when no tooltip key exists";
    EXPECT_EQ(u"Cancel", controls.Get(2).info.text) << "a missing key keeps the template text";
    EXPECT_EQ(std::vector<std::u16string>{u"Close without saving"}, controls.Get(2).tooltips);
    EXPECT_EQ(u"typed text", controls.Get(1244).info.text) << "edit texts are never replaced";
    EXPECT_EQ(std::vector<std::u16string>{u"Your account"}, controls.Get(1244).tooltips);
    EXPECT_TRUE(controls.Get(1245).tooltips.empty());
    EXPECT_TRUE(controls.Get(1).enabled);

    // A user without permission gets every child greyed out.
    session.noPermission = 1;
    Walk();
    EXPECT_FALSE(controls.Get(1).enabled || controls.Get(1244).enabled);
}

TEST_F(LocaliseTest, PasscodeHintsAreFormattedWithIntegersOnly) {
    Texts(
        "[Hold Dialog]\n"
        "(0-9)=%d to %d digits\n"
        "(0-9) tooltip=Between %d and %d\n"
        "(0)=Exactly %d digits %s %n %d %d\n"
        "PassLabel=Passcode (%d-%d)\n");
    controls.Add(1019, u"Static", u"hint");
    controls.Add(1353, u"Static", u"PassLabel");
    session.minPasscodeLength = 4;
    session.maxPasscodeLength = 8;
    Walk(3006, u"Hold");
    EXPECT_EQ(u"4 to 8 digits", controls.Get(1019).info.text);
    EXPECT_EQ(std::vector<std::u16string>{u"Between 4 and 8"}, controls.Get(1019).tooltips);
    EXPECT_EQ(u"Passcode (4-8)", controls.Get(1353).info.text);

    // Equal limits use "(0)"; conversions other than the two integers show as written.
    fakes::FakeControls again;
    again.Add(1019, u"Static", u"hint");
    session.minPasscodeLength = session.maxPasscodeLength = 6;
    ui::EnterDialog(session, again.Window(), 3500, u"Hold");
    ui::LocaliseDialog(again, session);
    EXPECT_EQ(u"Exactly 6 digits %s %n 6 %d", again.Get(1019).info.text);

    // Outside the Print and Hold templates nothing is formatted.
    fakes::FakeControls other;
    other.Add(1019, u"Static", u"hint");
    ui::EnterDialog(session, other.Window(), 3042, u"Hold");
    ui::LocaliseDialog(other, session);
    EXPECT_EQ(u"Exactly %d digits %s %n %d %d", other.Get(1019).info.text);
}

TEST_F(LocaliseTest, HelpTopicsFallBackToCommonAndTheFirstFiledAnswers) {
    Texts(
        "[Common]\n"
        "OK topic=common_ok.htm\n"
        "[Job Accounting Dialog]\n"
        "Print topic=print.htm\n"
        "Caption topic=accounting.htm\n"
        "ComboBox:1300 topic=combo.htm\n"
        "[Hold Dialog]\n"
        "Print topic=hold_print.htm\n");
    controls.Add(1, u"Button", u"Print");
    controls.Add(2, u"Button", u"OK");
    controls.Add(1300, u"ComboBox", u"");
    Walk();
    ui::RegisterHelpTopic(session, u"Caption", nullptr, 3042);
    ASSERT_EQ(4, session.helpTopicCount);

    // A second dialog has id 1 as well: nothing is filed, the first topic keeps answering.
    fakes::FakeControls second;
    second.Add(1, u"Button", u"Print");
    ui::EnterDialog(session, second.Window(), 3006, u"Hold");
    ui::LocaliseDialog(second, session);
    EXPECT_EQ(4, session.helpTopicCount);

    fakes::FakeHelp help;
    EXPECT_TRUE(ui::ShowControlHelp(&help, session, 1));
    EXPECT_EQ(u"C:\\D\\3\\T.CHM::/print.htm#0,32,17600,256,0,3", help.addresses.back());
    EXPECT_EQ(platform::kHhDisplayTopic, help.commands.back());
    EXPECT_EQ(second.Window(), help.owners.back());
    EXPECT_TRUE(ui::ShowControlHelp(&help, session, 2));
    EXPECT_EQ(u"C:\\D\\3\\T.CHM::/common_ok.htm#0,32,17600,256,0,3", help.addresses.back());
    EXPECT_TRUE(ui::ShowControlHelp(&help, session, 1300));
    EXPECT_TRUE(ui::ShowControlHelp(&help, session, 3042));

    // Unknown ids open nothing and report the last window; a failing service clears it.
    help.commands.clear();
    EXPECT_TRUE(ui::ShowControlHelp(&help, session, 77));
    EXPECT_TRUE(help.commands.empty());
    help.answer = nullptr;
    EXPECT_FALSE(ui::ShowControlHelp(&help, session, 1));
    EXPECT_FALSE(ui::ShowControlHelp(nullptr, session, 1));
}

TEST_F(LocaliseTest, TopicsAreFiledOncePerControlUpToAFullTable) {
    Texts("[Common]\nX topic=first\nY topic=second\nZ topic=" + std::string(80, 't') + "\n");
    ui::ChildControl child;
    child.id = 7;
    child.className = u"Button";
    for (int opening = 0; opening < 300; ++opening) {
        ui::RegisterHelpTopic(session, u"X", &child, 0);
        ui::RegisterHelpTopic(session, u"Y", &child, 0);
    }
    ASSERT_EQ(1, session.helpTopicCount) << "a dialog opened again files nothing new";
    EXPECT_EQ(std::u16string_view(u"first"), session.helpTopics[0].topic);
    for (int i = 0; i < 205; ++i) {
        child.id = 100 + i;
        ui::RegisterHelpTopic(session, u"Z", &child, 0);
    }
    EXPECT_EQ(200, session.helpTopicCount);
    EXPECT_EQ(49u, std::u16string_view(session.helpTopics[1].topic).size());
}

TEST_F(LocaliseTest, TalenReadsControl1001FromTheCustomPaperSection) {
    Texts(
        "[Paper Dialog]\n"
        "Size=Paper size\n"
        "[Custom Paper Dialog]\n"
        "Size=Custom size\n");
    controls.Add(1001, u"Static", u"Size");
    session.brand = profile::kBrandTalen;
    Walk(3100, u"Paper");
    EXPECT_EQ(u"Custom size", controls.Get(1001).info.text);
}

TEST_F(LocaliseTest, StartDialogCaptionHelpButtonAndRightToLeftTooltips) {
    Texts("[Job Accounting Dialog]\nCaption=Job Accounting\n");
    fakes::FakePlatform fake;
    platform::Platform ports = fake.ports();
    fake.system.windowsMajor = 6;
    fake.system.systemLangId = 0x040D;  // Hebrew
    ui::StartDialog(ports, controls, session, 3503, u"Job Accounting");
    EXPECT_EQ(u"Job Accounting", controls.caption);
    EXPECT_TRUE(controls.helpButtonRemoved);
    EXPECT_TRUE(controls.tooltipsRightToLeft);
    EXPECT_EQ(controls.Window(), session.dialogWindow);
    EXPECT_EQ(3503, session.dialogTemplateId);

    fakes::FakeControls old;
    fake.system.windowsMajor = 5;
    fake.system.systemLangId = 0x0409;
    ui::StartDialog(ports, old, session, 3042, u"Job Accounting");
    EXPECT_FALSE(old.helpButtonRemoved);
    EXPECT_FALSE(old.tooltipsRightToLeft);
}

}  // namespace
