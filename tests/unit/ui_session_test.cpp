#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "profile/feature_switches.h"
#include "profile/ui_session.h"

namespace {

using fakes::TableProfiles;

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\ABCu.INI";
constexpr char16_t kVersion[] = u"C:\\Drivers\\3\\ABC.VER";

class SessionTest : public ::testing::Test {
  protected:
    SessionTest() { fake.spooler.dataFile = u"C:\\Drivers\\3\\ABC.PPD"; }
    platform::Platform Ports() { return fake.ports(&profiles.port); }
    // A property-sheet style session: host block given, readers constructed, initialised.
    profile::UiSession& Build() {
        session = profile::UiSession{};
        session.hostBlock = {reinterpret_cast<void*>(0x50), u"Talen C5",
                             reinterpret_cast<void*>(0x60)};
        session.printerHandle = session.hostBlock.printer;
        platform::Platform p = Ports();
        EXPECT_TRUE(profile::CreateReaders(p, session));
        profile::InitializeSession(p, session);
        return session;
    }

    fakes::FakePlatform fake;
    TableProfiles profiles;
    profile::UiSession session{};
};

TEST_F(SessionTest, FindsTheModelFilesFromTheDataFile) {
    profiles.Set(kProfile, u"OEMFiles", u"OEMPrefix", u"CVLC5");
    profiles.Set(kProfile, u"Common", u"Caption", u"Printer Talen 5");
    profiles.Set(kProfile, u"Common", u"PrinterHDD", u"1");
    profiles.Set(kProfile, u"Common", u"EncryptionMode", u"65537");
    profiles.Set(kProfile, u"Common", u"CheckTraysForCustoms", u"65535");
    profiles.Set(kProfile, u"FUNCTION", u"ColorDevice", u"1");
    profiles.Set(kProfile, u"FUNCTION", u"Quality300Index", u"3");
    Build();
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\"), session.driverDir);
    EXPECT_EQ(1, session.isPpdDriver);
    EXPECT_EQ(std::u16string_view(kProfile), session.profileReader->path());
    EXPECT_EQ(std::u16string_view(kVersion), session.versionReader->path());
    EXPECT_EQ(std::u16string_view(u"CVLC5"), session.filePrefix);
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\CVLC5.DAT"), session.textReader->path());
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\CVLC5.CHM"), session.helpFile);
    EXPECT_EQ(profile::kBrandTalen, session.brand);
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\ABC.hin"), session.troubleReader->path());
    EXPECT_EQ(std::u16string_view(u"TROUBLE_PAGE"), session.troubleReader->section());
    EXPECT_EQ(1, session.printerHdd);
    EXPECT_EQ(1, session.encryptionMode) << "low 16 bits";
    EXPECT_EQ(-1, session.checkTraysForCustoms) << "16-bit value, sign-extended";
    EXPECT_EQ(1, session.colorDevice);
    EXPECT_EQ(3, session.quality300Index);
    EXPECT_EQ(std::u16string_view(u"FUNCTION"), session.profileReader->section());
    EXPECT_EQ(2, fake.spooler.driverQueries) << "a size query, then the answer";
    EXPECT_EQ(0u, fake.heap.live()) << "the driver information block is freed";
    EXPECT_EQ(reinterpret_cast<void*>(0x60), fake.heap.lastHeap) << "on the host's heap";
}

TEST_F(SessionTest, ADotInAFolderNameIsNotTheDataFilesExtension) {
    fake.spooler.dataFile = u"C:\\Drv.v2\\3\\ABC.PPD";
    fake.spooler.driverDirectory = u"C:\\Drv.v2";
    Build();
    EXPECT_EQ(std::u16string_view(u"C:\\Drv.v2\\3\\ABCu.INI"), session.profileReader->path());
    EXPECT_EQ(std::u16string_view(u"C:\\Drv.v2\\3\\OEMPrefix.CHM"), session.helpFile);
}

TEST_F(SessionTest, LowerCasePpdAndMissingValuesGiveDefaults) {
    fake.spooler.dataFile = u"C:\\Drivers\\3\\ABC.ppd";
    Build();
    EXPECT_EQ(0, session.isPpdDriver);
    EXPECT_EQ(std::u16string_view(u"OEMPrefix"), session.filePrefix);
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\OEMPrefix.DAT"), session.textReader->path());
    EXPECT_EQ(profile::kBrandVantora, session.brand) << "a caption reading as \"Caption\"";
    EXPECT_EQ(std::u16string_view(), session.troubleReader->path());
    EXPECT_EQ(0, session.copiesSetting);
}

TEST_F(SessionTest, NoDriverInformationBindsNoFile) {
    fake.spooler.driverMissing = true;
    Build();
    EXPECT_EQ(std::u16string_view(), session.profileReader->path());
    EXPECT_EQ(0, profiles.reads()) << "no file is bound, so nothing is read";
    EXPECT_EQ(std::u16string_view(u"OEMPrefix"), session.filePrefix);
    EXPECT_EQ(5, fake.spooler.driverQueries) << "at most five tries";

    // A model file name that does not fit is not cut to another file's name.
    fake.spooler.driverMissing = false;
    fake.spooler.dataFile = u"C:\\" + std::u16string(252, u'A') + u".PPD";
    Build();
    EXPECT_EQ(std::u16string_view(), session.profileReader->path());
}

TEST_F(SessionTest, LanguageDependentTextFileUsesTheStoredCode) {
    profiles.Set(kVersion, u"Version", u"LanguageDependent", u"1");
    profiles.Set(kProfile, u"OEMFiles", u"OEMPrefix", u"CVLC5");
    profiles.Set(kProfile, u"Common", u"Caption", u"TALEN");
    fake.system.userLangId = 0x0411;
    Build();
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\CVLC5JP.DAT"), session.textReader->path());
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\CVLC5JP.CHM"), session.helpFile);
    ASSERT_TRUE(fake.registry.Exists(u"Software\\Corvel\\Talen C5"));
    auto& value = fake.registry.Find(u"Software\\Corvel\\Talen C5")->values[u"drvcntcode"];
    EXPECT_EQ(platform::kRegSz, value.type);
    EXPECT_EQ(6u, value.data.size()) << "two units and the terminator, in bytes";

    // The stored code stays when the user's language changes, also in a process that may
    // only read the user's hive.
    fake.system.userLangId = 0x0407;
    fake.registry.refuseWrite = true;
    Build();
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\CVLC5JP.DAT"), session.textReader->path());
    EXPECT_EQ(platform::kKeyRead, fake.registry.lastAccess) << "read access is enough";

    // An empty stored code is none: the user's language replaces it.
    fake.registry.refuseWrite = false;
    fake.registry.SetString(u"Software\\Corvel\\Talen C5", u"DrvCntCode", u"");
    Build();
    EXPECT_EQ(std::u16string_view(u"C:\\Drivers\\3\\CVLC5GR.DAT"), session.textReader->path());

    // A name too long for its key never reads another printer's key, the one of its cut name.
    const std::u16string longName(300, u'n');
    fake.registry.SetString(u"Software\\Corvel\\" + longName.substr(0, 243), u"DrvCntCode", u"JP");
    char16_t code[profile::kNameUnits];
    profile::PrinterLanguageCode(Ports(), longName.c_str(), code);
    EXPECT_EQ(std::u16string_view(u"GR"), code);
}

TEST_F(SessionTest, PrinterDataIsBoundedByItsField) {
    fake.spooler.SetString(u"JOBACCOUNT_ID", u"user7");
    fake.spooler.SetString(u"JOBACCOUNT_PW", std::u16string(200, u'p'));
    Build();
    EXPECT_EQ(std::u16string_view(u"user7"), session.jobAccountId);
    EXPECT_EQ(std::u16string_view(), session.jobAccountPassword) << "too long for 66 bytes";

    // Exactly 66 bytes without a terminator: cut to the field with its terminator.
    std::u16string full(33, u'a');
    fake.spooler.WritePrinterData(nullptr, u"JOBACCOUNT_ID", platform::kRegSz, full.data(), 66);
    Build();
    EXPECT_EQ(32u, std::u16string_view(session.jobAccountId).size());

    // "A" as a number: no text type, no credential.
    const std::uint32_t number = 0x41;
    fake.spooler.WritePrinterData(nullptr, u"JOBACCOUNT_ID", platform::kRegDword, &number, 4);
    Build();
    EXPECT_EQ(std::u16string_view(), session.jobAccountId);
}

TEST(SessionNames, BrandAndLanguageCode) {
    EXPECT_EQ(profile::kBrandTalen, profile::BrandFromCaption(u"Printer tAlEn 5"));
    EXPECT_EQ(profile::kBrandVantora, profile::BrandFromCaption(u"Talen by Vantora"));
    EXPECT_EQ(profile::kBrandOrin, profile::BrandFromCaption(u"orin 7"));
    EXPECT_EQ(profile::kBrandVantora, profile::BrandFromCaption(u"Other"));

    // The sublanguage decides where it matters; unknown languages read English.
    EXPECT_EQ(std::u16string_view(u"CP"), profile::LanguageCode(0x0804));
    EXPECT_EQ(std::u16string_view(u"EN"), profile::LanguageCode(0x0C04));
    EXPECT_EQ(std::u16string_view(u"EN"), profile::LanguageCode(0x0009));
}

TEST_F(SessionTest, TreeSessionReportsAutoConfigurationAndDropsTheHostBlock) {
    profiles.Set(kProfile, u"FUNCTION", u"AutoConfiguration", u"1");
    host::OEMCUIPPARAM param{};
    param.hPrinter = reinterpret_cast<void*>(0x50);
    param.pPrinterName = const_cast<char16_t*>(u"Talen C5");
    param.hOEMHeap = reinterpret_cast<void*>(0x70);
    {
        profile::HostSession tree(Ports(), param.hOEMHeap);
        ASSERT_TRUE(tree);
        EXPECT_NE(nullptr, tree->textReader) << "the owner makes the readers";
        EXPECT_EQ(1, profile::CreateTreeSession(Ports(), param, *tree));
        EXPECT_EQ(param.hPrinter, tree->printerHandle);
        EXPECT_EQ(nullptr, tree->hostBlock.printer);
        EXPECT_EQ(param.hOEMHeap, fake.heap.lastHeap);
    }
    EXPECT_EQ(0u, fake.heap.live()) << "the session's block goes with its owner";
}

// Profile values for the switch tests, all in one Common section.
class SwitchTest : public ::testing::Test {
  protected:
    std::u16string Signature() {
        profile::ProfileReader reader(&profiles.port, u"P.INI");
        profile::FeatureSwitches switches{};
        profile::ReadFeatureSwitches(reader, switches);
        char16_t signature[profile::kSignatureUnits] = {};
        profile::BuildSwitchSignature(switches, signature);
        return signature;
    }
    void Set(std::u16string_view key, std::u16string_view value) {
        profiles.Set(u"P.INI", u"Common", key, value);
    }
    TableProfiles profiles;
};

TEST_F(SwitchTest, RasterFollowsColourModeAndListsSetStorageBits) {
    EXPECT_EQ(u"0,32,17600,256,0,3", Signature()) << "a profile without keys";
    Set(u"GraphicsColorMode", u"1");
    Set(u"JobSettingMemoryOn", u"1,3");
    Set(u"JobSettingHDDOn", u"3;5");
    Set(u"PaperTrayRadio", u"0");
    Set(u"LayoutMirror", u"7");
    EXPECT_EQ(u"65536,0,148928,21760,0,3", Signature());
}

TEST(SwitchLists, SeparatorsAndLimits) {
    TableProfiles profiles;
    profiles.Set(u"P.INI", u"Common", u"JobSettingHDDOff", u"2 ,,4");
    std::u16string sixteen;
    for (int i = 1; i <= 16; ++i) {
        const std::string n = std::to_string(i);
        sixteen += (i > 1 ? u"," : u"") + std::u16string(n.begin(), n.end());
    }
    profiles.Set(u"P.INI", u"Common", u"JobSettingMemoryOff", sixteen);
    profile::ProfileReader reader(&profiles.port, u"P.INI");
    profile::FeatureSwitches switches{};
    profile::ReadFeatureSwitches(reader, switches);
    const auto& off = switches.lists[profile::kListHddOff];
    EXPECT_EQ(2, off[0]);
    EXPECT_EQ(4, off[1]);
    EXPECT_EQ(-1, off[2]);
    EXPECT_EQ(1, profile::FindInList(4, off));
    EXPECT_EQ(-1, profile::FindInList(3, off));
    const auto& memory = switches.lists[profile::kListMemoryOff];
    EXPECT_EQ(15, memory[14]);
    EXPECT_EQ(-1, memory[15]) << "the sixteenth number is dropped";

    char16_t kept[profile::kSignatureUnits] = u"1,2,3";
    profile::BuildSwitchSignature(switches, kept);
    EXPECT_EQ(std::u16string_view(u"1,2,3"), kept) << "a signature already built stays";
}

TEST(ProfileReaderTest, AbsentMarkerAndFallbacks) {
    TableProfiles profiles;
    profiles.Set(u"P.INI", u"Common", u"Marker", u"305419896");  // 0x12345678 in the file
    profiles.Set(u"P.INI", u"Hold Dialog", u"Caption", u"Print and Hold");
    profile::ProfileReader reader(&profiles.port, u"P.INI");
    EXPECT_EQ(0, reader.ReadInt(u"Absent", profile::kAbsentMarker));
    EXPECT_EQ(9, reader.ReadInt(u"Marker", 9)) << "the marker in the file reads as absent";
    reader.SetDialogSection(u"Hold");
    char16_t text[256];
    EXPECT_EQ(14u, reader.ReadString256(u"Caption", text));
    EXPECT_EQ(std::u16string_view(u"Print and Hold"), text);
    EXPECT_EQ(7u, reader.ReadString256(u"Missing", text));
    EXPECT_EQ(std::u16string_view(u"Missing"), text);
    char16_t small[4];
    EXPECT_EQ(3u, reader.ReadString(u"Missing", small, 4, u"Fallback"));
    EXPECT_EQ(std::u16string_view(u"Fal"), small);
    reader.SetDialogSection(nullptr);
    EXPECT_EQ(std::u16string_view(), reader.section()) << "reads go to Common";

    // A port that claims more characters than the buffer holds is cut to the buffer.
    struct Overclaiming final : platform::ProfileFiles {
        std::uint32_t GetInt(std::u16string_view, std::u16string_view, std::int32_t,
                             std::u16string_view) override {
            return 0;
        }
        std::uint32_t GetString(std::u16string_view, std::u16string_view, std::u16string_view,
                                char16_t* buffer, std::uint32_t units,
                                std::u16string_view) override {
            std::fill_n(buffer, units, u'x');
            return units + 8;
        }
    } overclaiming;
    profile::ProfileReader bad(&overclaiming, u"P.INI");
    EXPECT_EQ(3u, bad.ReadString(u"Key", small, 4, nullptr));
    EXPECT_EQ(std::u16string_view(u"xxx"), small);
    reader.SetSection(std::u16string(400, u's').c_str());
    EXPECT_EQ(259u, reader.section().size());
}

}  // namespace
