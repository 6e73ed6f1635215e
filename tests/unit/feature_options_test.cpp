#include "tree/feature_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "devmode/oem_devmode.h"
#include "fakes/fake_host_driver.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"

namespace {

using fakes::DriverUi;

using fakes::HostItems;

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\CVLu.INI";

host::OEMCUIPPARAM Param(HostItems& host) {
    host::OEMCUIPPARAM param{};
    param.pDrvOptItems = host.data();
    param.cDrvOptItems = host.size();
    return param;
}

TEST(FindDriverItem, MatchesKeywordsExactlyAndPublicIdsOnlyWithoutKeyword) {
    HostItems host;
    host.Add(nullptr, 5);  // no user data
    host::USERDATA noKeyword{};
    host.Add(nullptr, 5).UserData = reinterpret_cast<host::ULONG_PTR>(&noKeyword);
    host.Add("quality", 5);
    host.Add("QualityMode", 5);
    host.Add("Quality", 6);
    host.Add("Quality", 7);
    host.Add("Qualit", 5);
    host::OPTITEM* items = host.items.data();
    const auto count = static_cast<std::uint32_t>(host.items.size());

    EXPECT_EQ(&items[4], tree::FindDriverItem(items, count, "Quality"));
    EXPECT_EQ(&items[6], tree::FindDriverItem(items, count, "Qualit"));
    EXPECT_EQ(nullptr, tree::FindDriverItem(items, count, "Qual"));
    EXPECT_EQ(&items[0], tree::FindDriverItem(items, count, nullptr, 5));
    EXPECT_EQ(&items[4], tree::FindDriverItem(items, count, nullptr, 6)) << "keyword ignored";
    EXPECT_EQ(nullptr, tree::FindDriverItem(items, 4, "Quality")) << "the count bounds the walk";
    EXPECT_EQ(nullptr, tree::FindDriverItem(items, 0, nullptr, 5));
    EXPECT_EQ(nullptr, tree::FindDriverItem(nullptr, 7, "Quality"));
}

TEST(FindDriverItem, ReadsUnterminatedKeywordsNoFurtherThanTheWantedOnePlusOne) {
    // As many bytes as characters and no terminator: the sanitizer catches any read past them.
    const std::string text = "ColorModeXYZ";
    const auto keyword = std::make_unique<char[]>(text.size());
    std::memcpy(keyword.get(), text.data(), text.size());
    HostItems host;
    host.Add(keyword.get());
    host.Add("ColorMode");
    const host::OEMCUIPPARAM param = Param(host);
    EXPECT_EQ(&host.items[1], tree::FindDriverItem(param.pDrvOptItems, 2, "ColorMode"));
    EXPECT_EQ(nullptr, tree::FindDriverItem(param.pDrvOptItems, 2, "ColorModeXY"));
    // Its text ends at the longest keyword.
    const auto endless = std::make_unique<char[]>(tree::kMaxKeywordBytes);
    std::memset(endless.get(), 'K', tree::kMaxKeywordBytes);
    host.Add(endless.get());
    EXPECT_EQ(tree::kMaxKeywordBytes, tree::ItemKeywordText(host.items.back()).size());
}

TEST(SelectDriverItem, ChangesTheItemAndNotifiesWithTheSheetsUiObjectElseTheCallsOne) {
    DriverUi driver;
    host::OEMUIOBJ sheetUi{}, callUi{};
    HostItems host;
    host::OPTITEM& region = host.Add("JCLRegionColor", 0, 1);
    host::OPTITEM& quality = host.Add(nullptr, host::kDmPubPrintQuality);
    region.Flags = host::kOptifHide;
    host::OEMCUIPPARAM param = Param(host);
    param.poemuiobj = &callUi;
    host::OEMUIPSPARAM sheet{};
    sheet.poemuiobj = &sheetUi;
    profile::UiSession session{};
    session.driverHelper = &driver;

    session.hostParams = &sheet;
    tree::SelectDriverItemByName(param, session, "JCLRegionColor", 3, host::kOemCuipPrnProp);
    tree::SelectDriverItemByName(param, session, "Missing", 7, host::kOemCuipDocProp);
    session.hostParams = nullptr;  // a tree session
    tree::SelectDriverItemByName(param, session, nullptr, 2, host::kOemCuipDocProp,
                                 host::kDmPubPrintQuality);
    EXPECT_EQ(3, region.Sel);
    EXPECT_EQ(host::kOptifHide | host::kOptifChanged, region.Flags);
    EXPECT_EQ(2, quality.Sel);
    ASSERT_EQ(2u, driver.updates.size());
    EXPECT_EQ(&sheetUi, driver.updates[0].uiObject);
    EXPECT_EQ(&region, driver.updates[0].item);
    EXPECT_EQ(0u, driver.updates[0].previous);
    EXPECT_EQ(host::kOemCuipPrnProp, driver.updates[0].mode);
    EXPECT_EQ(&callUi, driver.updates[1].uiObject);
    EXPECT_EQ(&quality, driver.updates[1].item);

    // Without a driver interface or UI object the item still changes, silently.
    tree::SelectDriverItem(nullptr, &callUi, &region, 4, host::kOemCuipDocProp);
    tree::SelectDriverItem(&driver, nullptr, &region, 5, host::kOemCuipDocProp);
    tree::SelectDriverItem(&driver, &callUi, nullptr, 6, host::kOemCuipDocProp);
    EXPECT_EQ(5, region.Sel);
    EXPECT_EQ(2u, driver.updates.size());
}

TEST(ItemFlags, HideDisableEnableAndStapleLocation) {
    HostItems host;
    host::OPTITEM& item = host.Add("JCLEnhanceGray", 0, 2);
    item.Flags = host::kOptifCallback;
    tree::HideItem(&item);
    EXPECT_EQ(host::kOptifCallback | host::kOptifHide | host::kOptifChanged, item.Flags);
    item.Flags = host::kOptifCallback;
    tree::SetItemAvailable(&item, false);
    EXPECT_EQ(host::kOptifCallback | host::kOptifDisabled | host::kOptifChanged, item.Flags);
    EXPECT_EQ(0, item.Sel);
    item.Sel = 2;
    tree::SetItemAvailable(&item, true);
    EXPECT_EQ(host::kOptifCallback | host::kOptifChanged, item.Flags);
    EXPECT_EQ(2, item.Sel) << "enabling keeps the selection";
    tree::HideItem(nullptr);
    tree::SetItemAvailable(nullptr, false);

    EXPECT_EQ(0, tree::SelectedStapleLocation(Param(host)));
    host.Add("StapleLocation", 0, 3);
    EXPECT_EQ(3, tree::SelectedStapleLocation(Param(host)));
}

TEST(InstallableOptionMap, RowsAndTheProcessWideValueColumn) {
    EXPECT_EQ(tree::kRowOutputBin, tree::FindInstallableOption("OptOutputBin"));
    EXPECT_EQ(std::nullopt, tree::FindInstallableOption(
                                "OptOutputBin", tree::kInstallableOptionRowsWithoutOutputBin));
    EXPECT_EQ(std::nullopt, tree::FindInstallableOption("option4"));

    fakes::FakePlatform fake;
    plugin::ProcessState state(fake.ports());
    EXPECT_TRUE(tree::SetInstallableOptionValue(state, "PrinterHardDisk", 1));
    EXPECT_FALSE(tree::SetInstallableOptionValue(state, "Tray2", 5)) << "a unit, not a keyword";
    tree::SetInstallableOptionValue(state, plugin::kInstallableOptionRows, 9);
    EXPECT_EQ(1, tree::InstallableOptionValue(state, tree::kRowHardDiskAlt));
    EXPECT_EQ(0, tree::InstallableOptionValue(state, tree::kRowHardDisk));
    EXPECT_EQ(0, tree::InstallableOptionValue(state, plugin::kInstallableOptionRows));
}

TEST(IsHardDiskInstalled, ExactlyTrueFromTheFirstKeywordThatAnswers) {
    host::OEMUIOBJ ui{};
    DriverUi driver;
    EXPECT_EQ(0, tree::IsHardDiskInstalled(&ui, &driver));
    EXPECT_EQ((std::vector<std::string>{"Option4", "PrinterHardDisk"}), driver.queries);
    EXPECT_EQ(&ui, driver.lastUiObject);
    driver.Set("PrinterHardDisk", "True");
    EXPECT_EQ(1, tree::IsHardDiskInstalled(&ui, &driver)) << "the alternative";
    driver.Set("PrinterHardDisk", "TrueType");
    EXPECT_EQ(0, tree::IsHardDiskInstalled(&ui, &driver)) << "a longer word";

    driver.Set("PrinterHardDisk", "True");
    driver.Set("Option4", "False");
    driver.queries.clear();
    EXPECT_EQ(0, tree::IsHardDiskInstalled(&ui, &driver)) << "the first answer counts";
    EXPECT_EQ(std::vector<std::string>{"Option4"}, driver.queries);
    driver.Set("Option4", "True", host::kSFalse);
    driver.settings.erase("PrinterHardDisk");
    EXPECT_EQ(0, tree::IsHardDiskInstalled(&ui, &driver)) << "only S_OK is an answer";
    EXPECT_EQ(0, tree::IsHardDiskInstalled(&ui, nullptr));
}

// A sheet session with a bound model profile, a printer and the host's driver interface.
class FeatureSession : public ::testing::Test {
  protected:
    FeatureSession() : record(devmode::kSize) {
        ports = fake.ports();
        session.printerHandle = reinterpret_cast<void*>(0x50);
        session.hostParams = &sheet;
        session.profileReader = std::make_unique<profile::ProfileReader>(&profiles.port, kProfile);
        session.driverHelper = &driver;
    }
    std::int32_t State(std::uint16_t printerMemory, std::int32_t critical) {
        devmode::Set(record.data(), devmode::kPrinterMemory, printerMemory);
        devmode::Set(record.data(), devmode::kCriticalMemory, critical);
        session.storageState = -1;
        tree::ComputeStorageState(ports, &ui, record.data(), session);
        return session.storageState;
    }
    void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
        profiles.Set(kProfile, section, key, value);
    }
    std::vector<std::int32_t> Resolutions() {
        tree::BuildResolutionList(session);
        return {session.resolutionList, session.resolutionList + session.resolutionCount};
    }

    fakes::FakePlatform fake;
    platform::Platform ports;
    fakes::TableProfiles profiles;
    DriverUi driver;
    host::OEMUIOBJ ui{};
    host::OEMUIPSPARAM sheet{};
    profile::UiSession session{};
    std::vector<unsigned char> record;
};

TEST_F(FeatureSession, StorageStateFromDiskAndMemory) {
    session.printerHdd = 1;
    fake.spooler.SetDword(u"CURRENT_MEMORY", 256);
    driver.Set("Option4", "False");
    EXPECT_EQ(2, State(0, 256)) << "memory jobs off";
    EXPECT_EQ(3, State(1, 256)) << "memory equal to the critical size";
    EXPECT_EQ(0, State(1, 257));
    EXPECT_EQ(0, State(1, -1)) << "the critical size compares unsigned";
    driver.Set("Option4", "True");
    EXPECT_EQ(1, State(0, 0)) << "the host reports the disk";
    EXPECT_EQ(std::u16string_view(u"DEFAULTDEVMODE"), session.profileReader->section());

    session.installedHdd = 2;  // only 1 means installed
    session.printerHdd = 0;
    driver.queries.clear();
    fake.spooler.SetDword(u"CURRENT_MEMORY", 0x80000000u);
    EXPECT_EQ(3, State(1, 0x7FFFFFFF)) << "memory compares unsigned";
    EXPECT_EQ(0, State(0, 0));
    session.installedHdd = 1;
    EXPECT_EQ(1, State(0, 0));
    EXPECT_TRUE(driver.queries.empty()) << "no host query without an uninstalled disk";
    EXPECT_EQ(0, fake.spooler.dataWrites);
    EXPECT_EQ(session.printerHandle, fake.spooler.lastPrinter);
}

TEST_F(FeatureSession, StorageStateCreatesTheMemoryValueAndWorksWithoutARecord) {
    ports.profiles = &profiles.port;
    Set(u"DEFAULTDEVMODE", u"PrinterMemorySize", u"512");
    EXPECT_EQ(3, State(1, 512));
    EXPECT_EQ(platform::kRegDword, fake.spooler.printerData[u"current_memory"].type);
    EXPECT_EQ((std::vector<unsigned char>{0x00, 0x02, 0, 0}),
              fake.spooler.printerData[u"current_memory"].bytes);

    // A sheet without a private record takes what a new record would carry.
    Set(u"Common", u"PrinterMemory", u"1");
    Set(u"Common", u"CriticalMemorySize", u"512");
    session.storageState = -1;
    tree::ComputeStorageState(ports, &ui, nullptr, session);
    EXPECT_EQ(3, session.storageState);
    Set(u"Common", u"CriticalMemorySize", u"513");
    tree::ComputeStorageState(ports, &ui, nullptr, session);
    EXPECT_EQ(0, session.storageState);
    // Without the host's UI object the host is not asked: its disk counts as not reported.
    session.printerHdd = 1;
    driver.Set("Option4", "True");
    tree::ComputeStorageState(ports, nullptr, nullptr, session);
    EXPECT_EQ(0, session.storageState) << "memory below the critical size";
    EXPECT_TRUE(driver.queries.empty());

    // With no host block at all there is nothing to work from.
    fake.spooler.dataReads = 0;
    session.storageState = 3;
    session.hostParams = nullptr;
    session.printerHandle = nullptr;
    tree::ComputeStorageState(ports, &ui, record.data(), session);
    EXPECT_EQ(3, session.storageState);
    EXPECT_EQ(0, fake.spooler.dataReads);
}

TEST_F(FeatureSession, PrintModesOfTheStatesKey) {
    auto modes = [&] {
        tree::BuildPrintModeList(session);
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < session.printModeCount; ++i)
            out.emplace_back(session.printModeList[i].mode, session.printModeList[i].position);
        return out;
    };
    session.storageState = 2;
    Set(u"Common", u"JobSettingHDDOff", u"7, 2,0 ,3");
    EXPECT_EQ(1, tree::HoldModesOffered(session));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 0}, {2, 1}}), modes());
    Set(u"Common", u"JobSettingHDDOff", u"0, 7");
    EXPECT_EQ(0, tree::HoldModesOffered(session));
    EXPECT_TRUE(modes().empty());
    EXPECT_EQ(0, session.printModeList[0].mode) << "cleared";
    // A list of separators only offers no mode, so no button either.
    Set(u"Common", u"JobSettingHDDOff", u" , ,");
    EXPECT_EQ(0, tree::HoldModesOffered(session));
    EXPECT_TRUE(modes().empty());
    // The lists are read as the feature switches read them: ":" and ";" separate too.
    Set(u"Common", u"JobSettingHDDOff", u"1;3:-2");
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 0}, {2, 1}}), modes());

    session.storageState = 0;
    Set(u"Common", u"JobSettingMemoryOff", u"6,5,4,3,2,1,1,99999999999");
    EXPECT_EQ((std::vector<std::pair<int, int>>{{5, 0}, {4, 1}, {3, 2}, {2, 3}, {1, 4}, {0, 5}}),
              modes());
    session.storageState = 1;  // its key is absent
    EXPECT_EQ(0, tree::HoldModesOffered(session));
    EXPECT_TRUE(modes().empty());
    session.storageState = 4;
    EXPECT_EQ(0, tree::HoldModesOffered(session));
}

TEST_F(FeatureSession, ResolutionMasks) {
    Set(u"Common", u"Graphics600Res", u"257");  // 0x0101
    EXPECT_EQ((std::vector<std::int32_t>{1, 600}), Resolutions());
    // The remainder decides: 0x0018 still exceeds 21 after its bit 8; 0x1010C is cut to 16 bits.
    Set(u"Common", u"Graphics600Res", u"24");
    Set(u"Common", u"Graphics300Res", u"65804");
    EXPECT_EQ((std::vector<std::int32_t>{8, 1, 2400, 1200}), Resolutions());

    Set(u"Common", u"Graphics1200Res", u"3855");  // 0x0F0F
    Set(u"Common", u"Graphics600Res", u"1");
    Set(u"Common", u"Graphics300Res", u"3");
    EXPECT_EQ((std::vector<std::int32_t>{8, 4, 2, 1, 9600, 4800, 2400, 1200, 600, 600}),
              Resolutions())
        << "the first ten";
    profiles.Clear(kProfile);
    EXPECT_TRUE(Resolutions().empty());
    EXPECT_EQ(0, session.resolutionList[0]);
}

TEST(SmartCms, CodesAddressTwoBitFieldsOfTheBlock) {
    std::vector<unsigned char> record(devmode::kSize, 0xFF);
    const auto block = [&] {
        const auto* start = record.data() + devmode::kSmartCmsBits.offset - 1;
        return std::vector<unsigned char>(start, start + devmode::kSmartCmsBits.width + 2);
    };
    std::vector<unsigned char> expected(12, 0xFF);  // the block and a byte either side
    tree::ApplySmartCmsCodes(record.data(), u"1,12:24", 2);
    expected[1 + 0] = 0xDF;  // word 1 slot 2: bits 5-4 = 01
    expected[1 + 2] = 0xFD;  // word 2 slot 4: bits 1-0 = 01
    EXPECT_EQ(expected, block());
    tree::ApplySmartCmsCodes(record.data(), u"1,15:58", 0);
    expected[1 + 1] = 0x3F;  // word 1 slot 5: second byte, bits 7-6
    expected[1 + 9] = 0xFC;  // word 5 slot 8
    EXPECT_EQ(expected, block());

    for (const char16_t* value :
         {u"1,10:19", u"1,60:8", u"1,-12:-1", u"1,99999999999:100", u"12 24", u"1,x:y"}) {
        tree::ApplySmartCmsCodes(record.data(), value, 1);
        EXPECT_EQ(expected, block()) << "no field for this value";
    }
    tree::ApplySmartCmsCodes(nullptr, u"1,12:24", 1);
}

TEST(SmartCms, AvailabilityFollowsTheCodesOfTheColourMode) {
    host::OPTITEM item{};
    auto apply = [&](bool colour, std::u16string_view value) {
        item.Flags = 0;
        item.Sel = 1;
        tree::ApplySmartCmsAvailability(colour, &item, value);
        return item.Flags;
    };
    constexpr host::DWORD kOff = host::kOptifDisabled | host::kOptifChanged;
    EXPECT_EQ(kOff, apply(true, u"1:24")) << "grey code only, no comma";
    EXPECT_EQ(0, item.Sel);
    EXPECT_EQ(host::kOptifChanged, apply(false, u"1:24"));
    EXPECT_EQ(1, item.Sel);
    EXPECT_EQ(host::kOptifChanged, apply(true, u"1,12"));
    EXPECT_EQ(kOff, apply(false, u"1,12"));
    EXPECT_EQ(host::kOptifChanged, apply(true, u"GraphicsSmartCMS3")) << "neither";
    EXPECT_EQ(kOff, apply(false, u"1,0:0"));
    EXPECT_EQ(0u, apply(false, u"1,12:24")) << "both: left alone";
    tree::ApplySmartCmsAvailability(true, nullptr, u"1");
}

}  // namespace
