#include "ui/print_hold_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "devmode/oem_devmode.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "profile/bounded_text.h"

namespace {

using ui::kModeConfidentional;
using ui::kModeDelay;
using ui::kModeNormal;
using ui::kModeProof;
using ui::kModeSpool;
using ui::kModeStore;

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\Drivers\\3\\CVL.DAT";

// The statics the dialog shows and hides; each one's tooltip must follow it.
constexpr int kHiddenStatics[] = {1131, 1018, 1348, 1019, 1021, 1353, 1354};

// The host sheet function: records every call.
struct SheetCall {
    host::HANDLE sheet;
    host::DWORD function;
    host::LPARAM first;
    host::LPARAM second;
    friend bool operator==(const SheetCall&, const SheetCall&) = default;
};
std::vector<SheetCall> sheetCalls;
host::LONG_PTR HOST_CALL SheetFunction(host::HANDLE sheet, host::DWORD function, host::LPARAM first,
                                       host::LPARAM second) {
    sheetCalls.push_back({sheet, function, first, second});
    return 1;
}

class FakeHelp final : public platform::HelpService {
  public:
    void* HtmlHelp(void*, const char16_t* address, std::uint32_t, std::uintptr_t) override {
        addresses.emplace_back(address != nullptr ? address : u"");
        return reinterpret_cast<void*>(0x4E1F);
    }
    std::vector<std::u16string> addresses;
};

class PrintHoldTest : public ::testing::Test {
  protected:
    PrintHoldTest() : record(devmode::kSize, 0) {
        devmode::Set(record.data(), devmode::kDwSignature, devmode::kSignature);
        params.pOEMDM = record.data();
        session.hostParams = &params;
        session.propSheetHandle = reinterpret_cast<host::HANDLE>(0x5EE7);
        session.propSheetCallback = &SheetFunction;
        session.troublePage = reinterpret_cast<host::HANDLE>(0x501);
        session.storageState = 1;
        Readers(&profiles);
        Offer({0, 1, 2, 3, 4, 5});
        Profile(
            "[Common]\nExtrasMinPassLen=4\nExtrasMaxPassLen=8\n[FUNCTION]\nEncryptionKey=K3y\n");
        Texts(
            "[Hold Dialog]\nCaption=Drucken und Halten\nNormal=Normal\nProof=Probe\n"
            "Confidentional=Vertraulich\nConfidentional1=Verschluesselt\nStore=Speichern\n"
            "Spool=Spool\nDelay=Spaeter\nInvalid Passcode=Falscher Code\n"
            "InvalidPasscodeMsg=%d bis %d Ziffern %s\n");
        ports = fake.ports();
        ports.profiles = &profiles;
        ports.help = &help;
        sheetCalls.clear();
    }

    void Readers(platform::ProfileFiles* files) {
        session.textReader = std::make_unique<profile::ProfileReader>(files, kTexts);
        session.profileReader = std::make_unique<profile::ProfileReader>(files, kProfile);
    }
    void Profile(std::string_view ini) { profiles.files.PutUtf8(kProfile, ini); }
    void Texts(std::string_view ini) { profiles.files.PutUtf8(kTexts, ini); }
    void Offer(std::initializer_list<std::int16_t> modes) {
        session.printModeCount = 0;
        for (std::int16_t m : modes) {
            session.printModeList[session.printModeCount] = {
                m, static_cast<std::int16_t>(session.printModeCount)};
            ++session.printModeCount;
        }
    }
    // The controls of template 3006, in template order; the print-at group starts hidden.
    static void AddTemplate(fakes::FakeControls& c) {
        c.Add(1085, u"Button", u"Options");
        c.Add(1073, u"Static", u"Print Mode");
        c.Add(1074, u"ComboBox", u"");
        c.Add(1169, u"Button", u"Store Print Job");
        c.Add(1000, u"Button", u"Store in Public");
        c.Add(1131, u"Static", u"Print At").visible = false;
        c.Add(1132, u"SysDateTimePick32", u"").visible = false;
        for (int id : {1189, 1191, 1190, 1064, 1066, 1065}) {
            c.Add(id, id == 1191 || id == 1066 ? u"Edit" : u"Static", u"");
        }
        c.Add(1018, u"Static", u"Enter Passcode");
        c.Add(1020, u"Edit", u"");
        c.Add(1019, u"Static", u"(0)");
        c.Add(1353, u"Static", u"(0-9)");
        c.Add(1348, u"Static", u"Confirm Passcode");
        c.Add(1349, u"Edit", u"");
        c.Add(1021, u"Static", u"(0)");
        c.Add(1354, u"Static", u"(0-9)");
        c.Add(1, u"Button", u"OK");
        c.Add(2, u"Button", u"Cancel");
        c.Add(9, u"Button", u"Help");
        c.Add(1143, u"SysDateTimePick32", u"").visible = false;
    }

    // Opens the dialog on a fresh window.
    void Open() {
        controls = fakes::FakeControls();
        AddTemplate(controls);
        presenter.OnInit(controls);
    }
    void Choose(std::int16_t mode) {
        for (int i = 0; i < session.printModeCount; ++i) {
            if (session.printModeList[i].mode == mode) controls.SetSelection(1074, i);
        }
        presenter.OnCommand(controls, 1074, 1);
    }
    void Click(int id, bool checked) {
        controls.SetCheck(id, checked);
        presenter.OnCommand(controls, id, 0);
    }
    void Passcodes(std::u16string_view passcode, std::u16string_view confirmation) {
        controls.SetText(1020, passcode);
        controls.SetText(1349, confirmation);
    }
    void Ok() { presenter.OnCommand(controls, 1, 0); }
    void SetCode(int code) { devmode::Set(record.data(), devmode::kPrintModeCode, code); }
    int Code() const { return devmode::Get(record.data(), devmode::kPrintModeCode); }
    std::u16string Field(devmode::Text field) const {
        return devmode::GetText(record.data(), field);
    }
    bool Shown(int id) { return controls.Get(id).visible; }
    bool Confirmed() const {
        return sheetCalls ==
               std::vector<SheetCall>{{reinterpret_cast<host::HANDLE>(0x5EE7),
                                       host::kCpsFuncSetResult, 0x501, host::kCpsuiOk}};
    }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    FakeHelp help;
    platform::Platform ports;
    std::vector<unsigned char> record;
    host::OEMUIPSPARAM params{};
    profile::UiSession session{};
    fakes::FakeControls controls;
    ui::PrintHoldPresenter presenter{ports, session};
};

TEST(PrintModeCode, EveryCodeRoundTripsAndStorageDecidesTheFlag) {
    const std::int16_t modes[] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 5};
    const std::int16_t flags[] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 0};
    for (std::int16_t code = 0; code <= 9; ++code) {
        std::int16_t mode = -1, flag = -1;
        ui::DecodePrintModeCode(code, 1, &mode, &flag);
        EXPECT_EQ(modes[code], mode) << "code " << code;
        EXPECT_EQ(flags[code], flag) << "code " << code;
        EXPECT_EQ(code, ui::EncodePrintModeCode(mode, flag)) << "code " << code;
        for (std::int32_t state : {0, 2, 3}) {
            ui::DecodePrintModeCode(code, state, &mode, &flag);
            EXPECT_EQ(modes[code], mode) << "code " << code << " state " << state;
            EXPECT_EQ(0, flag) << "code " << code << " state " << state;
        }
    }
    EXPECT_EQ(8, ui::EncodePrintModeCode(kModeSpool, 1)) << "Spool has no store flag";
    EXPECT_EQ(9, ui::EncodePrintModeCode(kModeDelay, 1));
    // Halving rounds toward zero, not down.
    std::int16_t mode = 0, flag = 0;
    ui::DecodePrintModeCode(-3, 1, &mode, &flag);
    EXPECT_EQ(-1, mode);
    EXPECT_EQ(1, flag);
}

TEST(JobText, WithoutKoreanSupportOnlyPlainCharacters) {
    EXPECT_TRUE(ui::IsValidJobText(u"", 0, 0));
    const std::u16string_view plain = u"Alice_1 \x7F\x80";
    EXPECT_TRUE(ui::IsValidJobText(plain, 0, plain.size())) << "up to 0x80 inclusive";
    for (std::u16string bad : {u"a/b", u"a\\b", u"a\nb", u"a\x81z", u"a\xAE40"}) {
        EXPECT_FALSE(ui::IsValidJobText(bad, 0, bad.size())) << bad.size();
    }
    EXPECT_TRUE(ui::IsValidJobText(u"ab/", 0, 2)) << "only the first `length` units count";
    // A length beyond the text stops at its end: the slash after the view is never read.
    const std::u16string_view view = std::u16string_view(u"ab/", 2);
    EXPECT_TRUE(ui::IsValidJobText(view, 0, 50));
    EXPECT_FALSE(ui::IsValidJobText(u"\xB0\xA1", 2, 2)) << "only KoreanSupport 1 turns it on";
}

TEST(JobText, KoreanSupportTakesHangulPairsAndSyllables) {
    // KS X 1001 Hangul carried one byte per unit: the pair's value lies in 0xB0A1..0xC8FE.
    EXPECT_TRUE(ui::IsValidJobText(u"a\xB0\xA1z\xC8\xFE", 1, 6));
    EXPECT_FALSE(ui::IsValidJobText(u"\xB0\xA0", 1, 2));
    EXPECT_FALSE(ui::IsValidJobText(u"\xC8\xFF", 1, 2));
    EXPECT_FALSE(ui::IsValidJobText(u"\xC9\xA1", 1, 2));
    EXPECT_TRUE(ui::IsValidJobText(u"\xB0\xA1/", 1, 2)) << "a pair counts as two units";
    EXPECT_FALSE(ui::IsValidJobText(u"\xB0\xA1/", 1, 3));
    EXPECT_FALSE(ui::IsValidJobText(u"/\xB0\xA1", 1, 3)) << "plain units keep their rule";
    // A lead unit at the text's end has no partner: the unit after the view is never read.
    const std::u16string_view lead = std::u16string_view(u"a\xB0\xA1", 2);
    EXPECT_FALSE(ui::IsValidJobText(lead, 1, 2));
    EXPECT_FALSE(ui::IsValidJobText(lead, 1, 40));
    // UTF-16 text: Hangul syllables are taken; other characters whose low bytes happen to
    // form a Hangul pair are not.
    EXPECT_TRUE(ui::IsValidJobText(u"\xAE40\xCCA0\xC218", 1, 3));
    EXPECT_FALSE(ui::IsValidJobText(u"\x4EB0\x4EA1", 1, 2));
    EXPECT_FALSE(ui::IsValidJobText(u"\xB0\x4EA1", 1, 2));
}

TEST_F(PrintHoldTest, OpensWithTheRecordsModeFieldsAndFilters) {
    Offer({kModeNormal, kModeConfidentional, kModeStore});
    SetCode(5);
    devmode::SetText(record.data(), devmode::kUserId, u"alice");
    devmode::SetText(record.data(), devmode::kJobName, u"Report");
    devmode::SetText(record.data(), devmode::kPasscode, u"2468");
    devmode::SetText(record.data(), devmode::kLongPasscode, u"13579");
    Open();
    EXPECT_EQ(u"Drucken und Halten", controls.caption);
    EXPECT_TRUE(controls.helpButtonRemoved);
    EXPECT_EQ(3006, session.dialogTemplateId);
    EXPECT_EQ((std::vector<std::u16string>{u"Normal", u"Vertraulich", u"Speichern"}),
              controls.Get(1074).items);
    EXPECT_EQ(1, controls.Get(1074).selection);
    EXPECT_EQ(kModeConfidentional, session.printMode);
    EXPECT_EQ(1, session.storeFlag);
    EXPECT_TRUE(controls.IsChecked(1169));
    EXPECT_EQ(u"alice", controls.Text(1191));
    EXPECT_EQ(u"Report", controls.Text(1066));
    EXPECT_EQ(u"2468", controls.Text(1020)) << "without encryption the short passcode";
    EXPECT_EQ(u"2468", controls.Text(1349));
    for (auto [id, limit, filter] : {std::tuple{1191, 20, ui::EditFilter::kName},
                                     {1066, 64, ui::EditFilter::kName},
                                     {1020, 8, ui::EditFilter::kDigit},
                                     {1349, 8, ui::EditFilter::kDigit}}) {
        EXPECT_EQ(limit, controls.Get(id).limit) << id;
        EXPECT_TRUE(controls.Get(id).filtered) << id;
        EXPECT_EQ(filter, controls.Get(id).filter) << id;
    }
}

TEST_F(PrintHoldTest, AnEmptyRecordOffersTheUsersNameWhenItIsAcceptable) {
    Open();
    EXPECT_EQ(u"jdoe", controls.Text(1191));
    EXPECT_EQ(u"Untitled", controls.Text(1066));
    EXPECT_EQ(u"", controls.Text(1020));

    for (std::u16string name : {u"j/doe", u""}) {
        fake.system.userName = name;
        Open();
        EXPECT_EQ(u"Unknown", controls.Text(1191)) << "user name of " << name.size() << " units";
    }
}

TEST_F(PrintHoldTest, EachModeCodeOpensItsMode) {
    devmode::SetText(record.data(), devmode::kPrintAtTime, u"2023:12:31:23:59");
    SetCode(9);
    Open();
    EXPECT_EQ(5, controls.Selection(1074));
    ui::DateTime date{}, time{};
    ASSERT_TRUE(controls.DateTimeValue(1143, &date));
    ASSERT_TRUE(controls.DateTimeValue(1132, &time));
    // Day of week and milliseconds stay the system time's; seconds missing from the text are 0.
    const ui::DateTime expected{2023, 12, 2, 31, 23, 59, 0, 500};
    EXPECT_EQ(expected, date);
    EXPECT_EQ(expected, time);
    EXPECT_EQ(u"2023:12:31:23:59", std::u16string(session.printAtText));

    SetCode(8);
    Open();
    EXPECT_EQ(4, controls.Selection(1074));

    SetCode(7);
    Open();
    EXPECT_EQ(3, controls.Selection(1074));
    EXPECT_TRUE(controls.IsChecked(1000));
    EXPECT_FALSE(controls.IsEnabled(1020)) << "a public job needs no passcode";

    session.storageState = 2;
    Open();
    EXPECT_EQ(3, controls.Selection(1074));
    EXPECT_EQ(0, session.storeFlag);
    EXPECT_FALSE(Shown(1169));
    EXPECT_FALSE(Shown(1000));
    EXPECT_TRUE(controls.IsEnabled(1020));

    // A mode that is not offered opens with the first offered one.
    Offer({kModeProof, kModeSpool});
    SetCode(4);
    Open();
    EXPECT_EQ(0, controls.Selection(1074));
    EXPECT_EQ(kModeProof, session.printMode);
}

TEST_F(PrintHoldTest, WithoutOfferedModesTheRecordsModeStays) {
    Offer({});
    SetCode(4);
    Open();
    EXPECT_TRUE(controls.Get(1074).items.empty());
    EXPECT_EQ(kModeConfidentional, session.printMode);
    EXPECT_TRUE(Shown(1020)) << "the passcode of the record's mode is asked for";
    Passcodes(u"1234", u"1234");
    Ok();
    EXPECT_EQ(4, Code());
    EXPECT_EQ(u"1234", Field(devmode::kPasscode));
}

TEST_F(PrintHoldTest, ControlsAndTooltipsFollowTheChosenMode) {
    Open();
    for (std::int16_t mode = 0; mode < ui::kModeCount; ++mode) {
        Choose(mode);
        const bool passcode = mode == kModeConfidentional || mode == kModeStore;
        EXPECT_EQ(mode < kModeStore, Shown(1169)) << mode;
        EXPECT_EQ(mode == kModeStore, Shown(1000)) << mode;
        for (int id : {1131, 1143, 1132}) EXPECT_EQ(mode == kModeDelay, Shown(id)) << mode;
        for (int id : {1018, 1020, 1348, 1349, 1353, 1354}) EXPECT_EQ(passcode, Shown(id)) << mode;
        EXPECT_FALSE(Shown(1019)) << "limits 4 and 8 show the range hints";
        EXPECT_FALSE(Shown(1021));
        for (int id : kHiddenStatics) {
            EXPECT_EQ(Shown(id), controls.Get(id).tooltipShown)
                << "static " << id << " mode " << mode;
        }
    }
    EXPECT_EQ(0, session.printMode) << "the mode changes on OK only";

    // Equal limits show the fixed-length hints instead.
    Profile("[Common]\nExtrasMinPassLen=6\nExtrasMaxPassLen=6\n");
    Open();
    Choose(kModeStore);
    EXPECT_TRUE(Shown(1019));
    EXPECT_TRUE(Shown(1021));
    EXPECT_FALSE(Shown(1353));
    EXPECT_FALSE(Shown(1354));
    EXPECT_TRUE(controls.Get(1019).tooltipShown);
    EXPECT_FALSE(controls.Get(1353).tooltipShown);

    session.storageState = 0;
    Open();
    Choose(kModeNormal);
    EXPECT_FALSE(Shown(1169)) << "no check boxes without the hard disk";
    EXPECT_FALSE(Shown(1000));
}

TEST_F(PrintHoldTest, StoreCheckBoxesSetTheFlagAndLockThePasscode) {
    Open();
    Choose(kModeStore);
    EXPECT_TRUE(controls.IsEnabled(1020));
    Click(1000, true);
    EXPECT_EQ(1, session.storeFlag);
    for (int id : {1018, 1020, 1019, 1348, 1349, 1021, 1353, 1354}) {
        EXPECT_FALSE(controls.IsEnabled(id)) << id;
    }
    Choose(kModeNormal);
    EXPECT_TRUE(controls.IsChecked(1169)) << "both boxes share the flag";
    Click(1169, false);
    EXPECT_EQ(0, session.storeFlag);
    Choose(kModeStore);
    EXPECT_FALSE(controls.IsChecked(1000));
    EXPECT_TRUE(controls.IsEnabled(1020));

    // A user who may not change settings keeps the walk's greyed-out controls.
    session.noPermission = 1;
    Open();
    Choose(kModeConfidentional);
    EXPECT_FALSE(controls.IsEnabled(1020));
    Click(1000, false);
    EXPECT_FALSE(controls.IsEnabled(1349));
}

TEST_F(PrintHoldTest, PasscodeMessagesFormatBothLimitsSafely) {
    Texts(
        "[Hold Dialog]\nInvalid Passcode=Falscher Code\n"
        "InvalidPasscode2Msg=Genau %d Ziffern (%d) %s\n"
        "InvalidPasscodeMsg=%d bis %d Ziffern %s %n\n");
    Profile("[Common]\nExtrasMinPassLen=4\nExtrasMaxPassLen=4\n");
    Open();
    Choose(kModeConfidentional);
    Passcodes(u"123", u"123");
    Ok();
    ASSERT_EQ(1u, controls.messages.size());
    EXPECT_EQ(u"Falscher Code: Genau 4 Ziffern (4) %s", controls.messages.back());
    EXPECT_EQ(-1, controls.endResult) << "the dialog stays open";

    // Without the fixed-length text, the range text takes both limits too.
    Texts("[Hold Dialog]\nInvalidPasscodeMsg=%d bis %d Ziffern\n");
    Ok();
    EXPECT_EQ(u"Invalid Passcode: 4 bis 4 Ziffern", controls.messages.back());

    Profile("[Common]\nExtrasMinPassLen=4\nExtrasMaxPassLen=8\n");
    Open();
    Choose(kModeConfidentional);
    for (auto [passcode, confirmation] : {std::pair{u"123456789", u"123456789"},
                                          {u"12345", u"12346"},
                                          {u"12a4", u"12a4"},
                                          {u"", u""}}) {
        controls.messages.clear();
        Passcodes(passcode, confirmation);
        Ok();
        EXPECT_EQ(std::vector<std::u16string>{u"Invalid Passcode: 4 bis 8 Ziffern"},
                  controls.messages)
            << std::u16string_view(passcode).size();
    }
    EXPECT_TRUE(sheetCalls.empty());

    // A profile without the texts shows their keys.
    Texts("");
    controls.messages.clear();
    Ok();
    EXPECT_EQ(std::vector<std::u16string>{u"Invalid Passcode: InvalidPasscodeMsg"},
              controls.messages);

    Passcodes(u"12345678", u"12345678");
    Ok();
    EXPECT_EQ(1, controls.endResult);
}

TEST_F(PrintHoldTest, PasscodeLimitIsTheFieldTheModeWrites) {
    // A model limit of 12 digits: the short passcode field holds 8.
    Profile("[Common]\nExtrasMinPassLen=4\nExtrasMaxPassLen=12\n");
    Open();
    EXPECT_EQ(8, session.maxPasscodeLength);
    Choose(kModeStore);
    EXPECT_EQ(8, controls.Get(1020).limit);
    EXPECT_EQ(8, controls.Get(1349).limit);
    Passcodes(u"1234567890", u"1234567890");
    Ok();
    EXPECT_EQ(u"Falscher Code: 4 bis 8 Ziffern %s", controls.messages.back());
    EXPECT_EQ(u"", Field(devmode::kPasscode)) << "never a cut passcode";

    // With encryption a confidential job has room for 12; a stored one still for 8.
    session.encryptionMode = 1;
    Open();
    EXPECT_EQ(12, session.maxPasscodeLength);
    Choose(kModeConfidentional);
    EXPECT_EQ(12, controls.Get(1020).limit);
    Choose(kModeStore);
    EXPECT_EQ(8, controls.Get(1349).limit) << "the limit follows a mode change";
    Passcodes(u"123456789012", u"123456789012");
    controls.messages.clear();
    Ok();
    EXPECT_EQ(1u, controls.messages.size());
    Choose(kModeConfidentional);
    Ok();
    EXPECT_EQ(u"123456789012", Field(devmode::kLongPasscode));
    EXPECT_EQ(1, controls.endResult);

    // Limits beyond the longest field, or below one digit, are brought inside.
    Profile("[Common]\nExtrasMinPassLen=30\nExtrasMaxPassLen=30\n");
    Open();
    EXPECT_EQ(20, session.minPasscodeLength);
    EXPECT_EQ(20, session.maxPasscodeLength);
    Profile("[Common]\nExtrasMinPassLen=0\nExtrasMaxPassLen=-3\n");
    Open();
    EXPECT_EQ(1, session.minPasscodeLength);
    EXPECT_EQ(1, session.maxPasscodeLength);
}

TEST_F(PrintHoldTest, ConfirmingWritesTheFieldsAndReportsToTheSheet) {
    devmode::SetText(record.data(), devmode::kPrintAtTime, u"2020:01:01:00:00");
    Open();
    controls.SetText(1191, u"bob");
    controls.SetText(1066, u"Quarterly figures");
    Choose(kModeConfidentional);
    Click(1169, true);
    Passcodes(u"97531", u"97531");
    Ok();
    EXPECT_EQ(5, Code());
    EXPECT_EQ(u"bob", Field(devmode::kUserId));
    EXPECT_EQ(u"Quarterly figures", Field(devmode::kJobName));
    EXPECT_EQ(u"97531", Field(devmode::kPasscode));
    EXPECT_EQ(u"", Field(devmode::kLongPasscode));
    EXPECT_EQ(u"2020:01:01:00:00", Field(devmode::kPrintAtTime)) << "other fields stay";
    EXPECT_EQ(0, devmode::Get(record.data(), devmode::kEncryptionMode));
    EXPECT_EQ(kModeConfidentional, session.printMode);
    EXPECT_EQ(1, session.settingsChanged);
    EXPECT_TRUE(Confirmed());
    EXPECT_EQ(1, controls.endResult);
}

TEST_F(PrintHoldTest, EncryptedConfidentialJobsUseTheLongPasscodeAndTheKey) {
    session.encryptionMode = 1;
    Profile("[Common]\nExtrasMaxPassLen=20\n[FUNCTION]\nEncryptionKey=0123456789abcdefghijKLM\n");
    devmode::SetText(record.data(), devmode::kPasscode, u"1111");
    devmode::SetText(record.data(), devmode::kEncryptionKey, u"old key");
    Open();
    EXPECT_EQ(u"Verschluesselt", controls.Get(1074).items[2]);
    Choose(kModeConfidentional);
    Passcodes(u"12345678901234567890", u"12345678901234567890");
    Ok();
    EXPECT_EQ(4, Code());
    EXPECT_EQ(1, devmode::Get(record.data(), devmode::kEncryptionMode));
    EXPECT_EQ(u"12345678901234567890", Field(devmode::kLongPasscode));
    EXPECT_EQ(u"0123456789abcdefghij", Field(devmode::kEncryptionKey));
    EXPECT_EQ(u"1111", Field(devmode::kPasscode));

    // Opened again, the long passcode is offered; a key missing from the profile is its name.
    Profile("[Common]\nExtrasMaxPassLen=20\n");
    Open();
    EXPECT_EQ(u"12345678901234567890", controls.Text(1020));
    Ok();
    EXPECT_EQ(u"EncryptionKey", Field(devmode::kEncryptionKey));

    // A stored job of the same model opens with the short passcode, the one it writes.
    SetCode(6);
    Open();
    EXPECT_EQ(u"1111", controls.Text(1020));
}

TEST_F(PrintHoldTest, ModeCodesOfStoredSpooledAndNormalJobs) {
    struct Case {
        std::int16_t mode;
        int box;  // the check box clicked, 0 for none
        bool checked;
        const char16_t* passcode;
        int code;
    };
    const Case cases[] = {
        {kModeStore, 1000, true, u"", 7},  {kModeStore, 1000, false, u"4321", 6},
        {kModeNormal, 1169, true, u"", 1}, {kModeProof, 1169, false, u"", 2},
        {kModeSpool, 1169, true, u"", 8},  {kModeDelay, 0, false, u"", 9},
    };
    for (const Case& c : cases) {
        devmode::SetText(record.data(), devmode::kPasscode, u"5555");
        sheetCalls.clear();
        Open();
        if (c.box != 0) Click(c.box, c.checked);
        Choose(c.mode);
        Passcodes(c.passcode, c.passcode);
        controls.messages.clear();
        Ok();
        EXPECT_TRUE(controls.messages.empty()) << c.code;
        EXPECT_EQ(c.code, Code());
        EXPECT_EQ(c.code == 6 ? u"4321" : u"5555", Field(devmode::kPasscode)) << c.code;
        EXPECT_TRUE(Confirmed()) << c.code;
    }
}

TEST_F(PrintHoldTest, RefusedTextsConfirmAsUnknownAndUntitled) {
    struct Case {
        std::u16string userId, jobName;
        std::int16_t korean;
        std::u16string storedUser, storedJob;
    };
    const Case cases[] = {
        {u"", u"", 0, u"Unknown", u"Untitled"},
        {u"a/b", u"Caf\xE9", 0, u"Unknown", u"Untitled"},
        {u"\xAE40", u"x\xB0\xA1", 1, u"\xAE40", u"x\xB0\xA1"},
        {u"01234567890123456789xyz", u"ok", 0, u"01234567890123456789", u"ok"},
    };
    for (const Case& c : cases) {
        session.koreanSupport = c.korean;
        Open();
        controls.SetText(1191, c.userId);
        controls.SetText(1066, c.jobName);
        Ok();
        EXPECT_EQ(c.storedUser, Field(devmode::kUserId)) << c.userId.size();
        EXPECT_EQ(c.storedJob, Field(devmode::kJobName)) << c.jobName.size();
    }
}

TEST_F(PrintHoldTest, RefusedOkAndCancelLeaveTheRecordAsItWas) {
    SetCode(1);
    devmode::SetText(record.data(), devmode::kUserId, u"old");
    devmode::SetText(record.data(), devmode::kPasscode, u"8642");
    devmode::Set(record.data(), devmode::kEncryptionMode, 7);
    const std::vector<unsigned char> before = record;
    Open();
    controls.SetText(1191, u"new");
    controls.SetText(1066, u"Other job");
    Choose(kModeConfidentional);
    Passcodes(u"1234", u"1243");
    Ok();
    EXPECT_EQ(1u, controls.messages.size());
    EXPECT_TRUE(before == record) << "a refused OK writes nothing";
    EXPECT_EQ(0, session.settingsChanged);
    presenter.OnCommand(controls, 2, 0);
    EXPECT_EQ(2, controls.endResult);
    EXPECT_TRUE(before == record);
    EXPECT_TRUE(sheetCalls.empty());
    EXPECT_EQ(0, session.settingsChanged);
}

TEST_F(PrintHoldTest, DelayedJobsKeepTheirPrintTime) {
    Open();
    Choose(kModeDelay);
    ui::DateTime now{2024, 3, 2, 5, 9, 15, 30, 500};
    EXPECT_TRUE(controls.Get(1143).dateTime == now) << "no kept time: the pickers show now";
    controls.SetDateTimeValue(1143, {2024, 3, 0, 5, 0, 0, 0, 0});
    controls.SetDateTimeValue(1132, {1999, 1, 0, 1, 14, 30, 12, 0});
    Ok();
    EXPECT_EQ(u"2024:03:05:14:30", Field(devmode::kPrintAtTime));
    EXPECT_EQ(u"2024:03:05:14:30", std::u16string(session.printAtText));

    // The kept time comes back in the next opening; a time the pickers cannot show does not.
    Open();
    Choose(kModeDelay);
    EXPECT_EQ((ui::DateTime{2024, 3, 2, 5, 14, 30, 0, 500}), controls.Get(1132).dateTime);
    for (const char16_t* bad : {u"2023:02:29:10:00", u"2024:13:01:10:00", u"2024:03:05:24:00",
                                u"2024:03:05", u"junk", u"99999999999:03:05:10:00"}) {
        text::Copy(session.printAtText, profile::kPrintAtUnits, bad);
        Choose(kModeDelay);
        EXPECT_EQ(now, controls.Get(1143).dateTime) << std::u16string_view(bad).size();
    }
}

TEST_F(PrintHoldTest, HelpOpensTheDialogsAndTheControlsTopics) {
    Texts("[Hold Dialog]\nCaption topic=hold.htm\nPrint Mode topic=mode.htm\n");
    Open();
    presenter.OnCommand(controls, 9, 0);
    presenter.OnHelp(controls, 1073);
    ASSERT_EQ(2u, help.addresses.size());
    EXPECT_NE(std::u16string::npos, help.addresses[0].find(u"::/hold.htm#"));
    EXPECT_NE(std::u16string::npos, help.addresses[1].find(u"::/mode.htm#"));
    EXPECT_FALSE(presenter.OnCommand(controls, 1191, 0x300)) << "edit notifications are left";
}

TEST_F(PrintHoldTest, AFailingProfileReadNeverEscapes) {
    fakes::FailingProfiles failing(profiles);
    Readers(&failing);
    session.encryptionMode = 1;
    failing.failAt = 0;
    Open();
    const int readsToOpen = failing.calls;
    ASSERT_GT(readsToOpen, 5);
    for (int n = 1; n <= readsToOpen; ++n) {
        failing.calls = 0;
        failing.failAt = n;
        fakes::FakeControls c;
        AddTemplate(c);
        EXPECT_NO_THROW(presenter.OnInit(c)) << "read " << n;
        EXPECT_EQ(2, c.endResult) << "a dialog that could not start closes, read " << n;
    }

    // The encryption key read fails while confirming: nothing is written.
    failing.calls = 0;
    failing.failAt = 0;
    Open();
    Choose(kModeConfidentional);
    Passcodes(u"1234", u"1234");
    const std::vector<unsigned char> before = record;
    failing.calls = 0;
    failing.failAt = 1;
    EXPECT_NO_THROW(Ok());
    EXPECT_TRUE(before == record);
    EXPECT_TRUE(sheetCalls.empty());
}

}  // namespace
