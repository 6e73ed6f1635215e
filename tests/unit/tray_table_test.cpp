#include "profile/tray_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"

namespace {

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\Drivers\\3\\CVL.DAT";

std::vector<std::uint32_t> Values(const profile::TrayLimits& r) {
    return {r.minWidth, r.maxWidth, r.minHeight, r.maxHeight};
}

class TrayTable : public ::testing::Test {
  protected:
    void Build(const std::string& model, const std::string& texts) {
        profiles.files.PutUtf8(kProfile, model);
        profiles.files.PutUtf8(kTexts, texts);
        session.profileReader = std::make_unique<profile::ProfileReader>(&profiles, kProfile);
        session.textReader = std::make_unique<profile::ProfileReader>(&profiles, kTexts);
        session.profileReader->SetSection(u"FUNCTION");
        profile::BuildTrayTable(session);
    }
    fakes::FakeProfiles profiles;
    profile::UiSession session{};
};

TEST_F(TrayTable, EveryListedKeyCountsForThePositionsOfLaterTrays) {
    Build(
        "[TRAYNAME]\nTrayIndex=AUTO, TRAY1,TRAY2 MPTRAY\nTRAY1=Tray1\nMPTRAY=MPTray\n"
        "[Common]\nTray1Customs=1000,2159,1480,3556\nMPTrayCustoms=762 2159 ,1270,3556\n",
        "[TRAYNAME]\nTRAY1=Tray 1\n");
    ASSERT_EQ(2, session.trayCount);
    EXPECT_EQ(1, session.trayList[0].index);
    EXPECT_EQ(std::u16string_view(u"Tray 1"), session.trayList[0].name);
    EXPECT_EQ(3, session.trayList[1].index) << "AUTO and TRAY2 have no range but count";
    EXPECT_EQ(std::u16string_view(u"MPTRAY"), session.trayList[1].name) << "no display name";
    EXPECT_EQ((std::vector<std::uint32_t>{100000, 215900, 148000, 355600}),
              Values(session.trayLimits[0]));
    EXPECT_EQ((std::vector<std::uint32_t>{76200, 215900, 127000, 355600}),
              Values(session.trayLimits[1]));
    EXPECT_EQ(-1, session.trayList[2].index);
    EXPECT_EQ(std::u16string_view(u"FUNCTION"), session.profileReader->section());
}

TEST_F(TrayTable, FifteenTraysNamesOf31AndCustomsTextsOf127) {
    std::string model = "[TRAYNAME]\nTrayIndex=";
    for (int i = 0; i < 17; ++i) model += "T" + std::to_string(i) + ",";
    model += "\n[Common]\nT0Customs=1,2,3,4" + std::string(130, ' ') + "5\n";
    for (int i = 1; i < 17; ++i) model += "T" + std::to_string(i) + "Customs=9,9,9,9\n";
    std::fill(std::begin(session.printerAddress), std::end(session.printerAddress), u'#');
    Build(model, "[TRAYNAME]\nT0=" + std::string(40, 'N') + "\n");

    EXPECT_EQ(15, session.trayCount);
    EXPECT_EQ(14, session.trayList[14].index);
    EXPECT_EQ(std::u16string(31, u'N'), session.trayList[0].name);
    EXPECT_EQ((std::vector<std::uint32_t>{100, 200, 300, 400}), Values(session.trayLimits[0]))
        << "a fifth number beyond the 127 characters read does not count";
    EXPECT_EQ(std::u16string(std::size(session.printerAddress), u'#'),
              std::u16string(std::begin(session.printerAddress), std::end(session.printerAddress)))
        << "nothing written past the table";
}

TEST_F(TrayTable, TheSessionBuildsItOnlyWhenTheModelAsks) {
    for (const std::string on : {"0", "1"}) {
        profiles.files.PutUtf8(kProfile,
                               "[OEMFiles]\nOEMPrefix=CVL\n[Common]\nTCustoms=1,2,3,4\n"
                               "CheckTraysForCustoms=" +
                                   on + "\n[TRAYNAME]\nTrayIndex=T\n");
        fakes::FakePlatform fake;
        platform::Platform ports = fake.ports(&profiles);
        profile::UiSession built{};
        profile::CreateReaders(ports, built);
        profile::InitializeSession(ports, built);
        EXPECT_EQ(on == "1" ? 1 : 0, built.trayCount) << "CheckTraysForCustoms=" << on;
    }
}

TEST(TrayRange, OnlyExactlyFourPositiveNumbersMakeARange) {
    using V = std::vector<std::uint32_t>;
    EXPECT_EQ(V({100, 200, 300, 400}), Values(profile::ParseTrayRange(u"1,2,3,4,0,5")))
        << "reading stops at a 0 after the fourth";
    EXPECT_EQ(V({4294967200u, 100, 100, 100}), Values(profile::ParseTrayRange(u"42949672,1,1,1")));
    const char16_t* spoilt[] = {u"1000,2159,1480",
                                u"1,2,3,4,5",
                                u"1,0,3,4",
                                u"-1,2,3,4",
                                u"1,2,3,-4",
                                u"42949673,1,1,1",
                                u"99999999999999999999,1,1,1",
                                u"x,2,3,4"};
    for (const char16_t* customs : spoilt) {
        EXPECT_EQ(V(4, 0), Values(profile::ParseTrayRange(customs)))
            << std::string(customs, customs + std::char_traits<char16_t>::length(customs));
    }
}

}  // namespace
