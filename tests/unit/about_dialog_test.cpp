#include "ui/about_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "profile/bounded_text.h"

namespace {

using namespace ui;

constexpr char16_t kTexts[] = u"C:\\D\\3\\CVLXEN.DAT";
constexpr char16_t kVersion[] = u"C:\\D\\3\\CVLX.VER";
constexpr char16_t kPicture[] = u"C:\\D\\3\\CVLXY.bmp";
constexpr int kDetails = IDC_ABOUT_DETAILS;

// The ten details lines as the dialog shows them.
std::u16string Lines(std::initializer_list<std::u16string_view> lines) {
    std::u16string details;
    for (std::u16string_view line : lines) details += std::u16string(line) + u"\r\n";
    for (std::size_t n = lines.size(); n < 10; ++n) details += u"\r\n";
    return details;
}

// The About template over a model family "CVLX" in C:\D\3\, with a 400 x 300 picture.
class AboutTest : public ::testing::Test {
  protected:
    AboutTest() {
        session.textReader = std::make_unique<profile::ProfileReader>(&profiles, kTexts);
        session.versionReader = std::make_unique<profile::ProfileReader>(&profiles, kVersion);
        text::Copy(session.driverDir, profile::kNameUnits, u"C:\\D\\3\\");
        text::Copy(session.filePrefix, profile::kNameUnits, u"CVLX");
        session.brand = profile::kBrandVantora;
        Texts("");
        Version("MainVersion=2.10\nDriverName=CVL Driver\nCompanyName=Acme\n");
        controls.pictures[kPicture] = {400, 300};
        controls.Add(IDC_DIALOG_OK, u"Button", u"OK").rect = {282, 338, 363, 361};
        controls.Add(kDetails, u"Static", u"").rect = {227, 13, 503, 159};
    }
    void Texts(const std::string& aboutSection) {
        profiles.files.PutUtf8(kTexts,
                               "[About Dialog]\nCaption=About M2\nOK=Fine\n" + aboutSection);
    }
    void Version(const std::string& versionSection) {
        profiles.files.PutUtf8(kVersion, "[Version]\n" + versionSection);
    }
    std::u16string Details() { return controls.Get(kDetails).info.text; }

    fakes::FakePlatform fake;
    platform::Platform ports = fake.ports(&profiles);
    fakes::FakeProfiles profiles;
    profile::UiSession session{};
    fakes::FakeControls controls;
    AboutPresenter presenter{ports, session};
};

TEST_F(AboutTest, DialogTakesThePicturesSize) {
    struct Case {
        Size picture;
        Size client;
        Rect ok;
        Rect details;
    };
    // Odd sizes halve toward zero; a picture narrower than the OK button puts it off the edge.
    for (const Case& c : {Case{{341, 181}, {341, 229}, {133, 193, 208, 217}, {170, 12, 340, 102}},
                          Case{{61, 20}, {61, 68}, {-7, 32, 68, 56}, {30, 12, 60, 22}}}) {
        controls.pictures[kPicture] = c.picture;
        controls.loadedPictures.clear();
        EXPECT_FALSE(presenter.OnInit(controls)) << "no focus of its own";
        EXPECT_EQ(c.client, controls.clientSize);
        EXPECT_EQ(c.ok, controls.Get(IDC_DIALOG_OK).rect) << c.picture.width;
        EXPECT_EQ(c.details, controls.Get(kDetails).rect) << c.picture.width;
        EXPECT_EQ(std::vector<std::u16string>{kPicture}, controls.loadedPictures);
        EXPECT_EQ(0, controls.picturesAlive) << "released after the layout";
    }
    EXPECT_EQ(u"Fine", controls.Get(IDC_DIALOG_OK).info.text) << "walked";
}

TEST_F(AboutTest, WithoutAPictureTheTemplatesLayoutStays) {
    controls.pictures.clear();
    controls.window = {0, 0, 300, 200};
    controls.owner = {0, 0, 800, 600};
    fake.system.systemLangId = 0x0401;  // Arabic: the dialog mirrors itself
    presenter.OnInit(controls);
    EXPECT_EQ(Size{}, controls.clientSize) << "never resized";
    EXPECT_EQ((Rect{282, 338, 363, 361}), controls.Get(IDC_DIALOG_OK).rect);
    EXPECT_EQ((Rect{227, 13, 503, 159}), controls.Get(kDetails).rect);
    EXPECT_EQ((Rect{250, 200, 550, 400}), controls.window) << "still centred";
    EXPECT_TRUE(controls.rightToLeft);
    EXPECT_TRUE(controls.tooltipsRightToLeft);

    // A path too long for the platform names no picture (cut, it would name another file).
    controls.pictures[kPicture] = {400, 300};
    controls.loadedPictures.clear();
    text::Copy(session.driverDir, profile::kNameUnits, std::u16string(251, u'd'));
    presenter.OnInit(controls);
    EXPECT_TRUE(controls.loadedPictures.empty());
}

TEST_F(AboutTest, DetailsReplaceOnePlaceholderPerLineAsPlainText) {
    Texts(
        "M_Info1=Version $MAINVERSION\n"
        "M_Info2=$COMPANY and $COMMENT\n"
        "M_Info3=$COPYRIGHT\n"
        "M_Info4=100%s %d %n %20 $DRIVERNAME %s\n"
        "M_Info5=$DESCRIPTION\n"
        "M_Info7=plain %s text\n"
        "M_Info8=$MAINVERSION, $MAINVERSION\n"
        "M_Info9=%s\n");
    Version(
        "MainVersion=2.10\nCompanyName=Acme\nComments=nice\n"
        "Description=$COMPANY %s%n\nDriverName=%s%s%s\n");
    presenter.OnInit(controls);
    EXPECT_EQ(
        Lines({u"Version 2.10", u"Acme and $COMMENT", u"Copyright", u"100%s %d %n %20 %s%s%s %s",
               u"$COMPANY %s%n", u"", u"plain %s text", u"2.10, $MAINVERSION", u"%s"}),
        Details());

    profiles.files.Remove(kTexts);
    presenter.OnInit(controls);
    EXPECT_EQ(Lines({}), Details()) << "ten empty lines";
}

TEST_F(AboutTest, TalenDetailsShowOnlyLinesWhosePlaceholderHasAValue) {
    session.brand = profile::kBrandTalen;
    Texts(
        "M_Info1=Version %s\n"
        "M_Info2=%s %s %d\n"
        "M_Info3=$MAINVERSION and %s\n"
        "M_Info4=no placeholder\n"
        "M_Info5=$COPYRIGHT\n"
        "M_Info6=Copyright $DRIVERCOPYRIGHT\n"
        "M_Info7=$COMMENT%n\n"
        "M_Info8=$DRIVERNAME $DESCRIPTION\n");
    Version("MainVersion=1.57\nComments=%s\nDescription=C5 PS\n");
    presenter.OnInit(controls);
    EXPECT_EQ(Lines({u"Version 1.57", u"1.57 %s %d", u"$MAINVERSION and 1.57", u"", u"", u"",
                     u"%s%n", u"$DRIVERNAME C5 PS"}),
              Details())
        << "a missing DRIVERCOPYRIGHT empties its line";
}

TEST_F(AboutTest, DetailsHoldAtMost259Characters) {
    const std::string a250(250, 'a');
    // A line that grows past 259 characters with its value, ending in a pair of surrogates.
    Texts("M_Info1=" + a250 + "$COMMENT\nM_Info2=second\n");
    Version("Comments=bbbbbbbb\xF0\x9F\x98\x80\n");
    presenter.OnInit(controls);
    EXPECT_EQ(std::u16string(250, u'a') + u"bbbbbbbb\r", Details())
        << "the line keeps 258 units (no half pair), the whole 259";

    std::string lines;
    for (int n = 1; n <= 10; ++n) lines += "M_Info" + std::to_string(n) + "=" + a250 + "\n";
    Texts(lines);
    presenter.OnInit(controls);
    EXPECT_EQ(259u, Details().size());
    EXPECT_EQ(std::u16string(250, u'a') + u"\r\naaaaaaa", Details());
}

TEST_F(AboutTest, PaintsWhiteThePictureAndTheTextsOfOtherBrands) {
    Texts("Description=Mono Laser\nVisit Vantora=Besuchen\n");
    Version("Model=Mono M2\n");
    const auto paint = [&](std::int16_t brand) {
        session.brand = brand;
        presenter.OnInit(controls);
        fakes::FakeCanvas canvas;
        presenter.OnPaint(controls, canvas);
        EXPECT_EQ(0, controls.picturesAlive) << "released after the paint";
        return canvas.log;
    };
    ASSERT_TRUE(presenter.Paints());
    const std::vector<std::string> white = {"fill 0,0-400,348 FFFFFF", "picture 400x300 at 0,0"};
    EXPECT_EQ(white, paint(profile::kBrandTalen));
    std::vector<std::string> vantora = white;
    vantora.insert(vantora.end(), {"text \"Mono M2\" at 221,50 Arial 50/800 FFFFFF",
                                   "text \"Mono Laser\" at 221,130 Arial 22/700 FFFFFF",
                                   "text \"Besuchen\" at 19,206 Arial 15/700 FFFFFF",
                                   "text \"Driver Details\" at 215,206 Arial 15/700 FFFFFF"});
    EXPECT_EQ(vantora, paint(profile::kBrandVantora));

    // Keys missing from both files show their names; without a picture, white only.
    profiles.files.Remove(kTexts);
    profiles.files.Remove(kVersion);
    controls.pictures.clear();
    const std::vector<std::string> orin = {
        "fill 0,0-400,348 FFFFFF", "text \"Model\" at 221,50 Arial 50/800 FFFFFF",
        "text \"Description\" at 221,130 Arial 22/700 FFFFFF",
        "text \"Visit Vantora\" at 19,206 Arial 15/700 FFFFFF",
        "text \"Driver Details\" at 215,206 Arial 15/700 FFFFFF"};
    EXPECT_EQ(orin, paint(profile::kBrandOrin));
}

TEST_F(AboutTest, ClosesOnOkAndCancelAndLeavesItsDetailsUnpainted) {
    presenter.OnInit(controls);
    EXPECT_FALSE(presenter.OnCommand(controls, IDC_DIALOG_OK, 1)) << "a notification";
    EXPECT_EQ(-1, controls.endResult);
    presenter.OnCommand(controls, IDC_DIALOG_CANCEL, 0);
    EXPECT_EQ(kIdCancel, controls.endResult);
    fakes::FakeCanvas canvas;
    EXPECT_EQ(Presenter::StaticColours::kTransparent,
              presenter.OnControlColour(controls, kDetails, canvas));
}

}  // namespace
