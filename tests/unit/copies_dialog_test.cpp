#include "ui/copies_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

#include "devmode/oem_devmode.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "profile/bounded_text.h"

namespace {

constexpr int kEnChange = 0x0300;
constexpr int kGrey = IDC_COPIES_GRAYSCALE;
constexpr int kColour = IDC_COPIES_COLOR;
constexpr int kTotal = IDC_COPIES_TOTAL;
constexpr int kSpin = IDC_COPIES_GRAYSCALE_SPIN;
constexpr char16_t kTexts[] = u"C:\\D\\3\\T.DAT";

// A colour, collated 5-copy job in print mode Normal, with 2 of its copies in grey, on the
// dialog's template. Like the real edits, the fake reports every write to the presenter
// before the write returns.
class CopiesDialogTest : public ::testing::Test {
  protected:
    CopiesDialogTest() {
        dm.dmCopies = 5;
        dm.dmColor = host::kDmColorColor;
        dm.dmCollate = host::kDmCollateTrue;
        params.pPublicDM = &dm;
        params.pOEMDM = record.data();
        session.hostParams = &params;
        session.grayscaleCopies = 2;
        session.colorCopies = 3;
        profiles.files.PutUtf8(kTexts,
                               "[Copies Dialog]\nCaption=Kopien\nCaption topic=copies.htm\n"
                               "Edit:1259 topic=grey.htm\n");
        session.textReader = std::make_unique<profile::ProfileReader>(&profiles, kTexts);
        text::Copy(session.helpFile, profile::kHelpFileUnits, u"T.CHM");
        ports.help = &help;
        for (int id : {IDC_COPIES_COLOR, IDC_COPIES_TOTAL, IDC_COPIES_GRAYSCALE}) {
            controls.Add(id, u"Edit", u"");
        }
        controls.Add(kSpin, u"msctls_updown32", u"");
        controls.Add(IDC_DIALOG_OK, u"Button", u"OK");
        controls.onSetText = [this](int id) {
            ++writes[id];
            if (++depth > 8) {
                runaway = true;
            } else {
                presenter.OnCommand(controls, id, kEnChange);
            }
            --depth;
        };
    }
    // The user types into the grey-scale field (the arrows write it the same way).
    void Type(std::u16string_view text) {
        controls.Get(kGrey).info.text = text;
        presenter.OnCommand(controls, kGrey, kEnChange);
    }
    void ExpectFields(std::u16string_view colour, std::u16string_view total,
                      std::u16string_view grey) {
        EXPECT_EQ(colour, controls.Get(kColour).info.text) << "colour";
        EXPECT_EQ(total, controls.Get(kTotal).info.text) << "total";
        EXPECT_EQ(grey, controls.Get(kGrey).info.text) << "grey";
    }

    host::DEVMODEW dm{};
    std::array<unsigned char, devmode::kSize> record{};
    host::OEMUIPSPARAM params{};
    fakes::FakeProfiles profiles;
    profile::UiSession session{};
    fakes::FakePlatform fake;
    platform::Platform ports = fake.ports();
    fakes::FakeHelp help;
    fakes::FakeControls controls;
    ui::CopiesPresenter presenter{ports, session};
    std::map<int, int> writes;
    int depth = 0;
    bool runaway = false;
};

// The arrows and typing on the real controls are the Wine CopiesDialog test.
TEST_F(CopiesDialogTest, OpeningActsOnNoneOfItsOwnWrites) {
    presenter.OnInit(controls);
    ExpectFields(u"3", u"5", u"2");
    EXPECT_EQ(5, controls.Get(kSpin).high);
    EXPECT_EQ(1, writes[kGrey]);
    EXPECT_EQ(1, writes[kColour]);
}

TEST_F(CopiesDialogTest, CountAboveTheTotalIsResetOnceAndColourShowsZero) {
    presenter.OnInit(controls);
    writes.clear();
    Type(u"7");
    ExpectFields(u"0", u"5", u"5");
    EXPECT_EQ(1, writes[kGrey]) << "the reset's own change report must not be applied again";
    EXPECT_EQ(1, writes[kColour]) << "the reset's own change report must not be applied again";
    EXPECT_FALSE(runaway);
    presenter.OnCommand(controls, IDC_DIALOG_OK, 0);
    EXPECT_EQ(5, session.grayscaleCopies);
    EXPECT_EQ(0, session.colorCopies);
    EXPECT_EQ(ui::kIdOk, controls.endResult);
}

TEST_F(CopiesDialogTest, TextsThatAreNoCountOrANegativeOne) {
    presenter.OnInit(controls);
    struct Case {
        std::u16string_view typed, colour, greyAfter;
    };
    for (const Case& c :
         {Case{u"abc", u"5", u"abc"}, Case{u"", u"5", u""}, Case{u"-", u"5", u"-"},
          Case{u"-3", u"5", u"0"}, Case{u"4x", u"1", u"4x"}, Case{u" +1", u"4", u" +1"}}) {
        Type(c.typed);
        ExpectFields(c.colour, u"5", c.greyAfter);
    }
    Type(u"-2");
    presenter.OnCommand(controls, IDC_DIALOG_OK, 0);
    EXPECT_EQ(0, session.grayscaleCopies);
    EXPECT_EQ(5, session.colorCopies);
}

TEST_F(CopiesDialogTest, CancelKeepsTheCountsOkStoresThem) {
    presenter.OnInit(controls);
    Type(u"4");
    presenter.OnCommand(controls, IDC_DIALOG_CANCEL, 0);
    EXPECT_EQ(ui::kIdCancel, controls.endResult);
    EXPECT_EQ(2, session.grayscaleCopies);
    EXPECT_EQ(3, session.colorCopies);
    presenter.OnCommand(controls, IDC_DIALOG_OK, 0);
    EXPECT_EQ(4, session.grayscaleCopies);
    EXPECT_EQ(1, session.colorCopies);
}

TEST_F(CopiesDialogTest, NoSplitForMonochromeUncollatedOrAnotherPrintMode) {
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        dm.dmColor = which == 0 ? host::kDmColorMonochrome : host::kDmColorColor;
        dm.dmCollate = which == 1 ? 0 : host::kDmCollateTrue;
        devmode::Set(record.data(), devmode::kPrintModeCode, which == 2 ? 3 : 0);
        session.grayscaleCopies = 2;
        session.colorCopies = 3;
        presenter.OnInit(controls);
        ExpectFields(u"5", u"5", u"0");
        EXPECT_FALSE(controls.Get(kGrey).enabled || controls.Get(kSpin).enabled);
        EXPECT_EQ(0, session.grayscaleCopies);
        EXPECT_EQ(5, session.colorCopies);
        controls.Get(kGrey).info.text = u"2";
        presenter.OnCommand(controls, IDC_DIALOG_OK, 0);
        EXPECT_EQ(0, session.grayscaleCopies) << "OK never stores a split the job cannot take";
    }
}

TEST_F(CopiesDialogTest, GreyCountTheJobCannotTakeIsDroppedAtOpening) {
    for (int grey : {6, -1}) {
        session.grayscaleCopies = grey;
        session.colorCopies = 5 - grey;
        presenter.OnInit(controls);
        ExpectFields(u"5", u"5", u"0");
        EXPECT_EQ(0, session.grayscaleCopies);
        EXPECT_EQ(5, session.colorCopies);
    }
}

TEST_F(CopiesDialogTest, MissingRecordsOpenSafelyWithoutSplit) {
    struct Case {
        bool sheet, publicRecord, privateRecord;
        std::u16string_view total;
    };
    for (const Case& c : {Case{false, true, true, u"1"}, Case{true, false, true, u"1"},
                          Case{true, true, false, u"5"}}) {
        session.hostParams = c.sheet ? &params : nullptr;
        params.pPublicDM = c.publicRecord ? &dm : nullptr;
        params.pOEMDM = c.privateRecord ? record.data() : nullptr;
        session.grayscaleCopies = 1;
        presenter.OnInit(controls);
        ExpectFields(c.total, c.total, u"0");
        EXPECT_EQ(c.total == u"1" ? 1 : 5, controls.Get(kSpin).high);
        EXPECT_FALSE(controls.Get(kGrey).enabled);
    }
    // A record that asks for no copies at all still prints one.
    session.hostParams = &params;
    params.pPublicDM = &dm;
    params.pOEMDM = record.data();
    dm.dmCopies = 0;
    presenter.OnInit(controls);
    ExpectFields(u"1", u"1", u"0");
}

TEST_F(CopiesDialogTest, NoPermissionKeepsTheSplitFieldsDisabled) {
    session.noPermission = 1;
    presenter.OnInit(controls);
    EXPECT_FALSE(controls.Get(kGrey).enabled || controls.Get(kSpin).enabled);
    EXPECT_FALSE(controls.Get(IDC_DIALOG_OK).enabled);
}

TEST_F(CopiesDialogTest, HelpButtonOpensTheMirroredDialogsTopicAndF1TheControls) {
    fake.system.systemLangId = 0x0401;  // Arabic: the mirrored template is the one filed
    presenter.OnInit(controls);
    EXPECT_EQ(IDD_COPIES_SETTING_RTL, session.dialogTemplateId);
    presenter.OnCommand(controls, IDC_DIALOG_HELP, 0);
    EXPECT_TRUE(presenter.OnHelp(controls, kGrey));
    EXPECT_EQ((std::vector<std::u16string>{u"T.CHM::/copies.htm#", u"T.CHM::/grey.htm#"}),
              help.addresses);
}

}  // namespace
