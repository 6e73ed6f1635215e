#include "ui/print_hold_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
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

using namespace ui;
using Record = std::vector<unsigned char>;

constexpr char16_t kProfile[] = u"C:\\Drivers\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\Drivers\\3\\CVL.DAT";
constexpr DateTime kNowTime{2024, 3, 2, 5, 9, 15, 30, 500};  // the fake system time

struct SheetCall {
    host::HANDLE sheet;
    host::DWORD function;
    host::LPARAM first, second;
    friend bool operator==(const SheetCall&, const SheetCall&) = default;
};
std::vector<SheetCall> sheetCalls;
host::LONG_PTR HOST_CALL SheetFunction(host::HANDLE sheet, host::DWORD function, host::LPARAM first,
                                       host::LPARAM second) {
    sheetCalls.push_back({sheet, function, first, second});
    return 1;
}

// Template 3006 in its order: (id, class, text); the print-at group starts hidden.
constexpr std::tuple<int, const char16_t*, const char16_t*> kTemplate[] = {
    {1085, u"Button", u"Options"},
    {1073, u"Static", u"Print Mode"},
    {1074, u"ComboBox", u""},
    {1169, u"Button", u"Store Print Job"},
    {1000, u"Button", u"Store in Public"},
    {1131, u"Static", u"Print At"},
    {1132, u"SysDateTimePick32", u""},
    {1189, u"Static", u"User ID"},
    {1191, u"Edit", u""},
    {1064, u"Static", u"Job Name"},
    {1066, u"Edit", u""},
    {1018, u"Static", u"Enter Passcode"},
    {1020, u"Edit", u""},
    {1019, u"Static", u"(0)"},
    {1353, u"Static", u"(0-9)"},
    {1348, u"Static", u"Confirm Passcode"},
    {1349, u"Edit", u""},
    {1021, u"Static", u"(0)"},
    {1354, u"Static", u"(0-9)"},
    {1, u"Button", u"OK"},
    {2, u"Button", u"Cancel"},
    {9, u"Button", u"Help"},
    {1143, u"SysDateTimePick32", u""}};

class PrintHoldTest : public ::testing::Test {
  protected:
    PrintHoldTest() : record(devmode::kSize, 0) {
        params.pOEMDM = record.data();
        session.hostParams = &params;
        session.propSheetHandle = reinterpret_cast<host::HANDLE>(0x5EE7);
        session.propSheetCallback = &SheetFunction;
        session.troublePage = reinterpret_cast<host::HANDLE>(0x501);
        session.storageState = 1;
        Readers(&profiles);
        Offer({0, 1, 2, 3, 4, 5});
        Profile("[Common]\nExtrasMinPassLen=4\nExtrasMaxPassLen=8\n");
        Texts(
            "[Hold Dialog]\nCaption=Halten\nConfidentional=Vertraulich\n"
            "Confidentional1=Verschluesselt\nInvalid Passcode=Falsch\n"
            "InvalidPasscodeMsg=%d bis %d %s\n");
        ports = fake.ports(&profiles);
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
    // Opens the dialog on a fresh window.
    void Open() {
        controls = fakes::FakeControls();
        for (auto [id, className, text] : kTemplate) {
            controls.Add(id, className, text).visible = id != 1131 && id != 1132 && id != 1143;
        }
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
    void Put(devmode::Text field, std::u16string_view text) {
        devmode::SetText(record.data(), field, text);
    }
    std::u16string Field(devmode::Text field) const {
        return devmode::GetText(record.data(), field);
    }
    void SetCode(int code) { devmode::Set(record.data(), devmode::kPrintModeCode, code); }
    int Code() const { return devmode::Get(record.data(), devmode::kPrintModeCode); }
    bool Shown(int id) { return controls.Get(id).visible; }
    std::u16string LastMessage() const {
        return controls.messages.empty() ? u"<none>" : controls.messages.back();
    }
    // Exactly one CPSFUNC_SET_RESULT with the Troubleshooting page and CPSUI_OK.
    bool Reported() const {
        return sheetCalls ==
               std::vector<SheetCall>{{reinterpret_cast<host::HANDLE>(0x5EE7),
                                       host::kCpsFuncSetResult, 0x501, host::kCpsuiOk}};
    }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    fakes::FakeHelp help;
    platform::Platform ports;
    Record record;
    host::OEMUIPSPARAM params{};
    profile::UiSession session{};
    fakes::FakeControls controls;
    PrintHoldPresenter presenter{ports, session};
};

TEST(PrintModeCode, EveryCodeRoundTripsAndOnlyStorageKeepsTheFlag) {
    const std::int16_t modes[] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 5};
    for (std::int16_t code = 0; code <= 9; ++code) {
        std::int16_t mode = -1, flag = -1;
        DecodePrintModeCode(code, 1, &mode, &flag);
        EXPECT_EQ(modes[code], mode) << code;
        EXPECT_EQ(code < 8 ? code & 1 : 0, flag) << code;
        EXPECT_EQ(code, EncodePrintModeCode(mode, flag)) << code;
        DecodePrintModeCode(code, 2, &mode, &flag);
        EXPECT_EQ(modes[code], mode) << code;
        EXPECT_EQ(0, flag) << "storage state 2, code " << code;
    }
    EXPECT_EQ(8, EncodePrintModeCode(kModeSpool, 1));
    std::int16_t mode = 0, flag = 0;
    DecodePrintModeCode(-3, 1, &mode, &flag);
    EXPECT_EQ(-1, mode) << "halving rounds toward zero";
}

TEST(JobText, PlainTextAndKoreanText) {
    const std::u16string_view plain = u"Alice_1 \x7F\x80";
    EXPECT_TRUE(IsValidJobText(plain, 0, plain.size())) << "up to 0x80 inclusive";
    for (std::u16string_view bad : {u"a/b", u"a\\b", u"a\nb", u"a\x81z", u"\xB0\xA1"}) {
        EXPECT_FALSE(IsValidJobText(bad, 0, bad.size())) << bad.size();
        EXPECT_FALSE(IsValidJobText(bad, 2, bad.size())) << "only KoreanSupport 1 allows more";
    }
    // Only the first `length` units count, and never more than the text holds: what lies
    // after the view must not be read.
    EXPECT_TRUE(IsValidJobText(u"ab/", 0, 2));
    EXPECT_TRUE(IsValidJobText(std::u16string_view(u"ab/", 2), 0, 50));

    // KS X 1001 Hangul one byte per unit: pair values 0xB0A1 to 0xC8FE, two units each.
    EXPECT_TRUE(IsValidJobText(u"a\xB0\xA1z\xC8\xFE", 1, 6));
    for (std::u16string_view bad : {u"\xB0\xA0", u"\xC8\xFF", u"/\xB0\xA1", u"\xB0\x4EA1"}) {
        EXPECT_FALSE(IsValidJobText(bad, 1, bad.size())) << bad.size();
    }
    EXPECT_TRUE(IsValidJobText(u"\xB0\xA1/", 1, 2));
    EXPECT_FALSE(IsValidJobText(std::u16string_view(u"a\xB0\xA1", 2), 1, 40))
        << "a lead unit at the end has no partner";
    // UTF-16 Hangul syllables; not other characters whose low bytes form a Hangul pair.
    EXPECT_TRUE(IsValidJobText(u"\xAE40\xCCA0\xC218", 1, 3));
    EXPECT_FALSE(IsValidJobText(u"\x4EB0\x4EA1", 1, 2));
}

TEST_F(PrintHoldTest, OpensWithTheRecordsModeFieldsAndFilters) {
    Offer({kModeNormal, kModeConfidentional, kModeStore});
    SetCode(5);
    Put(devmode::kUserId, u"alice");
    Put(devmode::kJobName, u"Report");
    Put(devmode::kPasscode, u"2468");
    Put(devmode::kLongPasscode, u"13579");
    Open();
    EXPECT_EQ((std::vector<std::u16string>{u"Normal", u"Vertraulich", u"Store"}),
              controls.Get(1074).items);
    EXPECT_EQ(1, controls.Selection(1074));
    EXPECT_EQ(1, session.storeFlag);
    EXPECT_TRUE(controls.IsChecked(1169));
    EXPECT_EQ(u"alice", controls.Text(1191));
    EXPECT_EQ(u"Report", controls.Text(1066));
    EXPECT_EQ(u"2468", controls.Text(1020)) << "without encryption the short passcode";
    EXPECT_EQ(u"2468", controls.Text(1349));
    for (auto [id, limit, filter] : {std::tuple{1191, 20, EditFilter::kName},
                                     {1066, 64, EditFilter::kName},
                                     {1020, 8, EditFilter::kDigit},
                                     {1349, 8, EditFilter::kDigit}}) {
        EXPECT_EQ(limit, controls.Get(id).limit) << id;
        EXPECT_TRUE(controls.Get(id).filtered && controls.Get(id).filter == filter) << id;
    }
    // An empty record: the user's name when it is acceptable.
    std::fill(record.begin(), record.end(), 0);
    for (auto [name, shown] :
         {std::pair{u"jdoe", u"jdoe"}, {u"j/doe", u"Unknown"}, {u"", u"Unknown"}}) {
        fake.system.userName = name;
        Open();
        EXPECT_EQ(shown, controls.Text(1191));
        EXPECT_EQ(u"Untitled", controls.Text(1066));
    }
}

TEST_F(PrintHoldTest, EachModeCodeOpensItsMode) {
    Put(devmode::kPrintAtTime, u"2023:12:31:23:59");
    SetCode(9);
    Open();
    EXPECT_EQ(5, controls.Selection(1074));
    // Day of week and milliseconds stay the system time's; seconds missing from the text are 0.
    EXPECT_EQ((DateTime{2023, 12, 2, 31, 23, 59, 0, 500}), controls.Get(1143).dateTime);
    EXPECT_EQ((DateTime{2023, 12, 2, 31, 23, 59, 0, 500}), controls.Get(1132).dateTime);
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
    EXPECT_EQ(0, session.storeFlag);
    EXPECT_FALSE(Shown(1169) || Shown(1000));
    EXPECT_TRUE(controls.IsEnabled(1020));

    Offer({kModeProof, kModeSpool});
    Open();
    EXPECT_EQ(0, controls.Selection(1074)) << "a mode not offered opens the first one";
    EXPECT_EQ(kModeProof, session.printMode);

    // Without offered modes the record's mode stays and is confirmed as it is.
    Offer({});
    SetCode(4);
    Open();
    EXPECT_TRUE(Shown(1020));
    Passcodes(u"1234", u"1234");
    Ok();
    EXPECT_EQ(4, Code());
    EXPECT_EQ(u"1234", Field(devmode::kPasscode));
}

TEST_F(PrintHoldTest, ControlsAndTooltipsFollowTheChosenMode) {
    Open();
    for (std::int16_t mode = 0; mode < kModeCount; ++mode) {
        Choose(mode);
        const bool passcode = mode == kModeConfidentional || mode == kModeStore;
        EXPECT_EQ(mode < kModeStore, Shown(1169)) << mode;
        EXPECT_EQ(mode == kModeStore, Shown(1000)) << mode;
        for (int id : {1131, 1143, 1132}) EXPECT_EQ(mode == kModeDelay, Shown(id)) << mode;
        for (int id : {1018, 1020, 1348, 1349, 1353, 1354}) EXPECT_EQ(passcode, Shown(id)) << mode;
        EXPECT_FALSE(Shown(1019) || Shown(1021)) << "limits 4 and 8 show the range hints";
        for (int id : {1131, 1018, 1348, 1019, 1021, 1353, 1354}) {
            EXPECT_EQ(Shown(id), controls.Get(id).tooltipShown) << "static " << id << " " << mode;
        }
    }
    EXPECT_EQ(0, session.printMode) << "the mode changes on OK only";

    Profile("[Common]\nExtrasMinPassLen=6\nExtrasMaxPassLen=6\n");
    Open();
    Choose(kModeStore);
    EXPECT_TRUE(Shown(1019) && Shown(1021) && controls.Get(1019).tooltipShown);
    EXPECT_FALSE(Shown(1353) || Shown(1354) || controls.Get(1353).tooltipShown);

    // The store boxes share the flag; "Store in Public" locks the passcode group.
    Click(1000, true);
    EXPECT_EQ(1, session.storeFlag);
    for (int id : {1018, 1020, 1019, 1348, 1349, 1021, 1353, 1354}) {
        EXPECT_FALSE(controls.IsEnabled(id)) << id;
    }
    Choose(kModeNormal);
    EXPECT_TRUE(controls.IsChecked(1169));
    Click(1169, false);
    Choose(kModeStore);
    EXPECT_TRUE(!controls.IsChecked(1000) && controls.IsEnabled(1020));

    // A user who may not change settings keeps the walk's greyed-out controls.
    session.noPermission = 1;
    Open();
    Choose(kModeConfidentional);
    Click(1000, false);
    EXPECT_FALSE(controls.IsEnabled(1020));
}

TEST_F(PrintHoldTest, PasscodeMessagesFormatBothLimitsSafely) {
    Texts(
        "[Hold Dialog]\nInvalid Passcode=Falsch\nInvalidPasscode2Msg=Genau %d (%d) %s\n"
        "InvalidPasscodeMsg=%d bis %d %s %n\n");
    Profile("[Common]\nExtrasMinPassLen=4\nExtrasMaxPassLen=4\n");
    Open();
    Choose(kModeConfidentional);
    Passcodes(u"123", u"123");
    Ok();
    EXPECT_EQ(std::vector<std::u16string>{u"Falsch: Genau 4 (4) %s"}, controls.messages);
    EXPECT_EQ(-1, controls.endResult) << "the dialog stays open";
    Texts("[Hold Dialog]\nInvalidPasscodeMsg=%d bis %d\n");
    Ok();
    EXPECT_EQ(u"Invalid Passcode: 4 bis 4", LastMessage()) << "both limits, also here";

    Profile("[Common]\nExtrasMinPassLen=4\nExtrasMaxPassLen=8\n");
    Open();
    Choose(kModeConfidentional);
    for (auto [passcode, confirmation] :
         {std::pair{u"123456789", u"123456789"}, {u"12345", u"12346"}, {u"12a4", u"12a4"}}) {
        controls.messages.clear();
        Passcodes(passcode, confirmation);
        Ok();
        EXPECT_EQ(std::vector<std::u16string>{u"Invalid Passcode: 4 bis 8"}, controls.messages)
            << std::u16string_view(passcode).size();
    }
    Texts("");
    Ok();
    EXPECT_EQ(u"Invalid Passcode: InvalidPasscodeMsg", LastMessage());
    EXPECT_TRUE(sheetCalls.empty());
}

TEST_F(PrintHoldTest, PasscodeLimitIsTheFieldTheModeWrites) {
    Profile("[Common]\nExtrasMinPassLen=4\nExtrasMaxPassLen=12\n");
    Open();
    Choose(kModeStore);
    EXPECT_EQ(8, controls.Get(1020).limit) << "the short passcode holds 8 digits";
    EXPECT_EQ(8, controls.Get(1349).limit);
    Passcodes(u"1234567890", u"1234567890");
    Ok();
    EXPECT_EQ(u"Falsch: 4 bis 8 %s", LastMessage());
    EXPECT_EQ(u"", Field(devmode::kPasscode)) << "never a cut passcode";

    session.encryptionMode = 1;
    Open();
    Choose(kModeConfidentional);
    EXPECT_EQ(12, controls.Get(1020).limit);
    Choose(kModeStore);
    EXPECT_EQ(8, controls.Get(1349).limit) << "the limit follows a mode change";
    Passcodes(u"123456789012", u"123456789012");
    Ok();
    EXPECT_EQ(u"", Field(devmode::kPasscode));
    Choose(kModeConfidentional);
    Ok();
    EXPECT_EQ(u"123456789012", Field(devmode::kLongPasscode));

    Profile("[Common]\nExtrasMinPassLen=30\nExtrasMaxPassLen=30\n");
    Open();
    EXPECT_EQ(20, session.minPasscodeLength);
    EXPECT_EQ(20, session.maxPasscodeLength);
    Profile("[Common]\nExtrasMinPassLen=0\nExtrasMaxPassLen=-3\n");
    Open();
    EXPECT_EQ(1, session.minPasscodeLength);
    EXPECT_EQ(1, session.maxPasscodeLength);
}

TEST_F(PrintHoldTest, ConfirmingWritesTheFieldsOfEachMode) {
    struct Case {
        std::int16_t mode;
        int box;  // the check box clicked (any state), with its new state
        bool checked;
        const char16_t* passcode;
        int code;
    };
    const Case cases[] = {
        {kModeConfidentional, 1169, true, u"97531", 5},
        {kModeStore, 1000, true, u"", 7},
        {kModeStore, 1000, false, u"4321", 6},
        {kModeNormal, 1169, true, u"", 1},
        {kModeProof, 1169, false, u"", 2},
        {kModeSpool, 1169, true, u"", 8},
    };
    Put(devmode::kPrintAtTime, u"2020:01:01:00:00");
    for (const Case& c : cases) {
        Put(devmode::kPasscode, u"5555");
        sheetCalls.clear();
        session.settingsChanged = 0;
        Open();
        controls.SetText(1191, u"bob");
        controls.SetText(1066, u"Quarterly figures");
        Click(c.box, c.checked);
        Choose(c.mode);
        Passcodes(c.passcode, c.passcode);
        Ok();
        EXPECT_EQ(c.code, Code());
        EXPECT_EQ(*c.passcode != u'\0' ? c.passcode : u"5555", Field(devmode::kPasscode)) << c.code;
        EXPECT_EQ(u"bob", Field(devmode::kUserId)) << c.code;
        EXPECT_EQ(u"Quarterly figures", Field(devmode::kJobName)) << c.code;
        EXPECT_EQ(u"2020:01:01:00:00", Field(devmode::kPrintAtTime)) << c.code;
        EXPECT_TRUE(controls.messages.empty()) << c.code;
        EXPECT_TRUE(Reported()) << c.code;
        EXPECT_EQ(1, session.settingsChanged) << c.code;
        EXPECT_EQ(1, controls.endResult) << c.code;
    }
    EXPECT_EQ(u"", Field(devmode::kLongPasscode));
    EXPECT_EQ(kModeSpool, session.printMode);
}

TEST_F(PrintHoldTest, EncryptedConfidentialJobsUseTheLongPasscodeAndTheKey) {
    session.encryptionMode = 1;
    Profile("[Common]\nExtrasMaxPassLen=20\n[FUNCTION]\nEncryptionKey=0123456789abcdefghijKLM\n");
    Put(devmode::kPasscode, u"1111");
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
    SetCode(6);
    Open();
    EXPECT_EQ(u"1111", controls.Text(1020)) << "a stored job shows the passcode it writes";
}

TEST_F(PrintHoldTest, RefusedTextsConfirmAsUnknownAndUntitled) {
    const std::tuple<std::u16string, std::u16string, std::int16_t, std::u16string, std::u16string>
        cases[] = {
            {u"", u"", 0, u"Unknown", u"Untitled"},
            {u"a/b", u"Caf\xE9", 0, u"Unknown", u"Untitled"},
            {u"\xAE40", u"x\xB0\xA1", 1, u"\xAE40", u"x\xB0\xA1"},
            {u"01234567890123456789/", u"ok", 0, u"01234567890123456789", u"ok"},
        };
    for (const auto& [userId, jobName, korean, storedUser, storedJob] : cases) {
        session.koreanSupport = korean;
        Open();
        controls.SetText(1191, userId);
        controls.SetText(1066, jobName);
        Ok();
        EXPECT_EQ(storedUser, Field(devmode::kUserId)) << userId.size();
        EXPECT_EQ(storedJob, Field(devmode::kJobName)) << jobName.size();
    }
}

TEST_F(PrintHoldTest, RefusedOkAndCancelLeaveTheRecordAsItWas) {
    SetCode(1);
    Put(devmode::kUserId, u"old");
    devmode::Set(record.data(), devmode::kEncryptionMode, 7);
    const Record before = record;
    Open();
    controls.SetText(1191, u"new");
    Choose(kModeConfidentional);
    Passcodes(u"1234", u"1243");
    Ok();
    EXPECT_EQ(1u, controls.messages.size());
    EXPECT_TRUE(before == record) << "a refused OK writes nothing";
    presenter.OnCommand(controls, 2, 0);
    EXPECT_EQ(2, controls.endResult);
    EXPECT_TRUE(before == record);
    EXPECT_TRUE(sheetCalls.empty());
    EXPECT_EQ(0, session.settingsChanged);
}

TEST_F(PrintHoldTest, DelayedJobsKeepTheirPrintTime) {
    // Setting, keeping and showing the time on the real pickers is the Wine PrintHoldDialog
    // test; a kept time that is no date shows the time of now.
    Open();
    Choose(kModeDelay);
    EXPECT_EQ(kNowTime, controls.Get(1143).dateTime) << "no kept time: the pickers show now";
    text::Copy(session.printAtText, profile::kPrintAtUnits, u"2024:03:05:14:30");
    Choose(kModeDelay);
    EXPECT_EQ((DateTime{2024, 3, 2, 5, 14, 30, 0, 500}), controls.Get(1132).dateTime);
    for (const char16_t* bad : {u"2023:02:29:10:00", u"2024:13:01:10:00", u"2024:03:05:24:00",
                                u"2024:03:05", u"junk", u"99999999999:03:05:10:00"}) {
        text::Copy(session.printAtText, profile::kPrintAtUnits, bad);
        Choose(kModeDelay);
        EXPECT_EQ(kNowTime, controls.Get(1143).dateTime) << std::u16string_view(bad).size();
    }
}

TEST_F(PrintHoldTest, AFailingProfileReadNeverEscapes) {
    fakes::FailingProfiles failing(profiles);
    Readers(&failing);
    session.encryptionMode = 1;
    failing.failAt = 0;
    Open();
    const int readsToOpen = failing.calls;
    for (int n = 1; n <= readsToOpen; ++n) {
        failing.calls = 0;
        failing.failAt = n;
        EXPECT_NO_THROW(Open()) << "read " << n;
        EXPECT_EQ(2, controls.endResult) << "a dialog that could not start closes, read " << n;
    }
    // The encryption key read fails while confirming: nothing is written.
    failing.failAt = 0;
    Open();
    Choose(kModeConfidentional);
    Passcodes(u"1234", u"1234");
    const Record before = record;
    failing.calls = 0;
    failing.failAt = 1;
    EXPECT_NO_THROW(Ok());
    EXPECT_TRUE(before == record && sheetCalls.empty());
}

}  // namespace
