#include "ui/job_accounting_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "plugin/process_state.h"
#include "ui/tree_buttons.h"

namespace {

using namespace ui;
using Values = std::array<std::u16string, 4>;  // pending and shown ID, pending and shown password

constexpr char16_t kProfile[] = u"C:\\D\\3\\CVLu.INI";
constexpr char16_t kTexts[] = u"C:\\D\\3\\CVL.DAT";
const std::u16string k32(32, u'p');

class JobAccountingTest : public ::testing::Test {
  protected:
    JobAccountingTest() {
        Texts("");
        ports.help = &help;
        NewSession();
    }
    void NewSession() {  // a printer tree session as built: nothing shown yet
        session = profile::UiSession{};
        session.textReader = std::make_unique<profile::ProfileReader>(&profiles, kTexts);
        session.profileReader = std::make_unique<profile::ProfileReader>(&profiles, kProfile);
    }
    void Texts(const std::string& more) {
        profiles.files.PutUtf8(kTexts,
                               "[Job Accounting Dialog]\nCaption=Konto\nInvalid Passcode=F\n"
                               "InvalidPasscodeMsg=%d bis %d %s\n" +
                                   more);
    }
    void Limits(int min, int max) {
        profiles.files.PutUtf8(kProfile, "[Common]\nPrinterMinPassLen=" + std::to_string(min) +
                                             "\nPrinterMaxPassLen=" + std::to_string(max) + "\n");
    }
    void Open() {
        controls = fakes::FakeControls();
        for (int id : {IDC_ACCOUNT_USER_ID, IDC_ACCOUNT_PASSWORD, IDC_ACCOUNT_CONFIRM}) {
            controls.Add(id, u"Edit", u"");
        }
        presenter.OnInit(controls);
    }
    void Ok(std::u16string_view id, std::u16string_view password, std::u16string_view confirm) {
        controls.SetText(IDC_ACCOUNT_USER_ID, id);
        controls.SetText(IDC_ACCOUNT_PASSWORD, password);
        controls.SetText(IDC_ACCOUNT_CONFIRM, confirm);
        controls.messages.clear();
        presenter.OnCommand(controls, IDC_DIALOG_OK, 0);
    }
    Values Session() const {
        return {session.jobAccountId, session.jobAccountIdShown, session.jobAccountPassword,
                session.jobAccountPasswordShown};
    }
    std::u16string Message() const {
        return controls.messages.empty() ? u"-" : controls.messages[0];
    }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    fakes::FakeHelp help;
    platform::Platform ports = fake.ports(&profiles);
    profile::UiSession session{};
    fakes::FakeControls controls;
    JobAccountingPresenter presenter{ports, session};
};

TEST_F(JobAccountingTest, OpensWithItsTextsFiltersLimitsAndHelp) {
    Texts("Caption topic=account.htm\nEdit:1191 topic=user.htm\n");
    Limits(4, 8);
    Open();
    EXPECT_EQ(u"Konto", controls.caption);
    for (auto [id, limit, filter] : {std::tuple{1191, 32, EditFilter::kAccountId},
                                     {1020, 8, EditFilter::kAccountPassword},
                                     {1349, 8, EditFilter::kAccountPassword}}) {
        EXPECT_EQ(limit, controls.Get(id).limit) << id;
        EXPECT_TRUE(controls.Get(id).filtered && controls.Get(id).filter == filter) << id;
    }
    presenter.OnCommand(controls, IDC_DIALOG_HELP, 0);
    presenter.OnHelp(controls, IDC_ACCOUNT_USER_ID);
    EXPECT_EQ((std::vector<std::u16string>{u"::/account.htm#", u"::/user.htm#"}), help.addresses);
}

TEST_F(JobAccountingTest, PasswordsOfTheModelsLengthsOrNoneAreTakenWithLimitsClampedToTheField) {
    Texts("InvalidPasscode2Msg=Genau %d %s\n");
    Open();  // no limits in the model: 32 and 32
    Ok(u"bob", std::u16string(31, u'p'), std::u16string(31, u'p'));
    EXPECT_EQ(u"F: Genau 32 %s", Message());
    Ok(u"bob", k32, std::u16string(31, u'p') + u"q");
    EXPECT_EQ(u"F: Genau 32 %s", Message()) << "a confirmation that differs";
    EXPECT_EQ(-1, controls.endResult) << "a refused entry keeps the dialog open";
    Ok(u"bob", u"", u"");
    EXPECT_EQ((Values{u"bob", u"bob", u"", u""}), Session());

    // The limits the dialog works with (also the password filter's, in the session).
    for (auto [min, max, takenMin, takenMax] :
         {std::tuple{40, 50, 32, 32}, {0, 8, 1, 8}, {10, 4, 4, 4}, {-3, 0, 1, 1}}) {
        Limits(min, max);
        Open();
        EXPECT_EQ(takenMin, session.minPasscodeLength) << min;
        EXPECT_EQ(takenMax, session.maxPasscodeLength) << max;
        EXPECT_EQ(takenMax, controls.Get(IDC_ACCOUNT_PASSWORD).limit) << max;
    }
    Limits(40, 50);
    Open();
    Ok(u"bob", k32, k32);
    EXPECT_EQ(k32, session.jobAccountPassword);

    // Equal limits without a text of their own, and a range: both limits go to the format.
    Texts("");
    Open();
    Ok(u"bob", u"abc", u"abc");
    EXPECT_EQ(u"F: 32 bis 32 %s", Message());
    Limits(4, 8);
    Open();
    Ok(u"bob", u"abcdefghi", u"abcdefghi");
    EXPECT_EQ(u"F: 4 bis 8 %s", Message());
}

TEST_F(JobAccountingTest, FirstOpeningShowsTheStoredIdElseTheUserNameElseUnknown) {
    const std::u16string stored = u"acct7";  // as Apply stores it: no terminator
    fake.spooler.WritePrinterData(nullptr, u"JOBACCOUNT_ID", platform::kRegSz, stored.data(), 10);
    fake.spooler.SetString(u"JOBACCOUNT_PW", u"secret");
    Open();
    EXPECT_EQ((Values{u"acct7", u"acct7", u"secret", u"secret"}), Session());
    EXPECT_EQ(u"acct7", controls.Text(IDC_ACCOUNT_USER_ID));
    EXPECT_EQ(u"secret", controls.Text(IDC_ACCOUNT_CONFIRM));

    fake.spooler.printerData.clear();
    for (auto [name, shown] : {std::pair{u"j\x7F", u"j\x7F"},
                               {u"j\x80", u"Unknown"},
                               {u"j/d", u"Unknown"},
                               {u"j\\d", u"Unknown"},
                               {u"", u"Unknown"}}) {
        fake.system.userName = name;
        NewSession();
        Open();
        EXPECT_EQ((Values{u"", shown, u"", u""}), Session()) << testing::PrintToString(name);
        EXPECT_EQ(shown, controls.Text(IDC_ACCOUNT_USER_ID));
    }
}

TEST_F(JobAccountingTest, OkTakesTheEntryOnlyWhenItPassesAndCancelKeepsWhatWasOpened) {
    fake.spooler.SetString(u"JOBACCOUNT_ID", u"old");
    fake.spooler.SetString(u"JOBACCOUNT_PW", u"oldpass");
    Limits(4, 8);
    Open();
    const Values opened = Session();
    Ok(u"new", u"newpass1", u"newpass2");
    EXPECT_EQ(opened, Session()) << "a refused OK takes not even the user ID";
    presenter.OnCommand(controls, IDC_DIALOG_CANCEL, 0);
    EXPECT_EQ(kIdCancel, controls.endResult);
    EXPECT_EQ(opened, Session());

    Open();
    Ok(u"bob", u"newpass1", u"newpass1");
    EXPECT_EQ(kIdOk, controls.endResult);
    Open();
    EXPECT_EQ(u"bob", controls.Text(IDC_ACCOUNT_USER_ID)) << "not the stored ID again";
    presenter.OnCommand(controls, IDC_DIALOG_CANCEL, 0);
    EXPECT_EQ((Values{u"bob", u"bob", u"newpass1", u"newpass1"}), Session());
    Ok(u"bob", u"", u"");
    Open();
    EXPECT_EQ(u"", controls.Text(IDC_ACCOUNT_PASSWORD)) << "no password, not the stored one";
    EXPECT_EQ((Values{u"bob", u"bob", u"", u""}), Session());

    for (auto [typed, taken] : {std::pair{u"", u"Unknown"},
                                {u"a/b", u"Unknown"},
                                {u"a\\b", u"Unknown"},
                                {u"a\x80", u"Unknown"},
                                {u"a\x7F", u"a\x7F"}}) {
        Open();
        Ok(typed, u"", u"");
        EXPECT_EQ((Values{taken, taken, u"", u""}), Session()) << testing::PrintToString(typed);
    }
}

TEST(JobAccountingButton, OpensTheDialogOnlyWithALiveSessionOfTheThread) {
    fakes::FakePlatform fake;
    fakes::FakeDialogs dialogs;
    fakes::FakeControls controls;
    dialogs.controls = &controls;
    platform::Platform ports = fake.ports();
    ports.dialogs = &dialogs;
    plugin::ProcessState state{ports};
    profile::UiSession session{};
    host::OPTITEM item{};
    item.UserData = reinterpret_cast<host::ULONG_PTR>(&session);
    host::CPSUICBPARAM press{};
    press.Reason = host::kCpsuicbReasonPushButton;
    press.hDlg = reinterpret_cast<void*>(0xD06);
    press.pCurItem = &item;

    EXPECT_EQ(0, OnJobAccountingButton(&press));
    EXPECT_TRUE(dialogs.runs.empty()) << "a session the table does not know";
    const std::uint32_t key = state.sessions.Register(&session, 1);
    fake.system.systemLangId = 0x040D;  // Hebrew
    EXPECT_EQ(0, OnJobAccountingButton(&press));
    ASSERT_EQ(1u, dialogs.runs.size());
    EXPECT_EQ(IDD_JOB_ACCOUNTING_RTL, dialogs.runs[0].templateId);
    EXPECT_EQ(press.hDlg, dialogs.runs[0].owner);
    EXPECT_EQ(std::u16string_view(u"Job Accounting"), session.dialogName) << "its presenter ran";

    fake.system.threadId = 9;
    OnJobAccountingButton(&press);
    fake.system.threadId = 1;
    press.Reason = host::kCpsuicbReasonSelChanged;
    OnJobAccountingButton(&press);
    press.Reason = host::kCpsuicbReasonPushButton;
    state.sessions.Unregister(key);
    OnJobAccountingButton(&press);
    EXPECT_EQ(1u, dialogs.runs.size()) << "another thread, another reason, an ended session";
}

}  // namespace
