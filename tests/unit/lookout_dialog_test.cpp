#include "ui/lookout_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"

namespace {

using namespace ui;

constexpr char16_t kTexts[] = u"C:\\D\\3\\CVL.DAT";
constexpr int kEnChange = 0x0300;
constexpr int kEnKillFocus = 0x0200;
constexpr int kField = IDC_LOOKOUT_INTERVAL;
constexpr int kArrows = IDC_LOOKOUT_INTERVAL_SPIN;
constexpr int kBox = IDC_LOOKOUT_ENABLE;
void* const kPrinter = reinterpret_cast<void*>(0x9A1);

// A value as the printer data holds it: its type and bytes.
struct Stored {
    std::uint32_t type;
    std::vector<unsigned char> bytes;
    friend bool operator==(const Stored&, const Stored&) = default;
};
Stored Dword(std::uint32_t value) {
    Stored s{platform::kRegDword, std::vector<unsigned char>(4)};
    std::memcpy(s.bytes.data(), &value, 4);
    return s;
}
std::ostream& operator<<(std::ostream& out, const Stored& s) {
    out << "type " << s.type << ", bytes";
    for (unsigned char b : s.bytes) out << ' ' << static_cast<int>(b);
    return out;
}

// The dialog's template with the language file's section, over the fake spooler's data.
class LookoutTest : public ::testing::Test {
  protected:
    LookoutTest() {
        profiles.files.PutUtf8(kTexts,
                               "[Lookout Dialog]\nCaption=Job Lookout Settings\n"
                               "Enable Job Lookout=Job Lookout an\n");
        session.textReader = std::make_unique<profile::ProfileReader>(&profiles, kTexts);
        session.printerHandle = kPrinter;
        controls.Add(kBox, u"Button", u"Enable Job Lookout");
        controls.Add(kField, u"Edit", u"");
        controls.Add(kArrows, u"msctls_updown32", u"");
        controls.Add(IDC_DIALOG_OK, u"Button", u"OK");
        controls.Add(IDC_DIALOG_CANCEL, u"Button", u"Cancel");
    }
    std::optional<Stored> Value(std::u16string_view name) {
        const auto it = fake.spooler.printerData.find(fakes::FakeRegistry::Lower(name));
        if (it == fake.spooler.printerData.end()) return std::nullopt;
        return Stored{it->second.type, it->second.bytes};
    }
    void Type(std::u16string_view text, int code) {
        controls.Get(kField).info.text = text;
        presenter.OnCommand(controls, kField, code);
    }
    int Position() { return controls.Get(kArrows).position; }

    fakes::FakePlatform fake;
    platform::Platform ports = fake.ports(&profiles);
    fakes::FakeProfiles profiles;
    profile::UiSession session{};
    fakes::FakeControls controls;
    LookoutPresenter presenter{ports, session};
};

TEST_F(LookoutTest, OpeningRepairsStoredValuesAndKeepsThemAfterCancel) {
    struct Case {
        const char* what;
        std::optional<std::uint32_t> enable, timeout;  // stored before; none: absent
        std::uint32_t enableAfter, timeoutAfter;
        int writes;  // only repairs write
    };
    const Case cases[] = {
        {"both absent", {}, {}, 1, 5, 2},
        {"enable 2, timeout 0", 2, 0, 1, 5, 2},
        {"off, 61 seconds", 0, 61, 0, 5, 1},
        {"timeout all bits set (-1 taken as signed)", 1, 0xFFFFFFFFu, 1, 5, 1},
        {"on, 1 second", 1, 1, 1, 1, 0},
        {"off, 60 seconds", 0, 60, 0, 60, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.spooler.printerData.clear();
        if (c.enable) fake.spooler.SetDword(u"JLook_Enable", *c.enable);
        if (c.timeout) fake.spooler.SetDword(u"JLook_Timeout", *c.timeout);
        fake.spooler.dataWrites = 0;
        controls.endResult = -1;

        EXPECT_TRUE(presenter.OnInit(controls));
        EXPECT_EQ(Dword(c.enableAfter), Value(u"JLook_Enable"));
        EXPECT_EQ(Dword(c.timeoutAfter), Value(u"JLook_Timeout"));
        EXPECT_EQ(c.writes, fake.spooler.dataWrites);
        EXPECT_EQ(c.enableAfter == 1, controls.Get(kBox).checked);
        const std::string digits = std::to_string(c.timeoutAfter);
        EXPECT_EQ(std::u16string(digits.begin(), digits.end()), controls.Text(kField));
        EXPECT_EQ(static_cast<int>(c.timeoutAfter), Position()) << "set with the position call";

        presenter.OnCommand(controls, IDC_DIALOG_CANCEL, 0);
        EXPECT_EQ(kIdCancel, controls.endResult);
        EXPECT_EQ(c.writes, fake.spooler.dataWrites) << "Cancel writes nothing";
    }
}

TEST_F(LookoutTest, ValuesOfAnotherSizeCountAsAbsent) {
    const unsigned char seven = 7;
    fake.spooler.WritePrinterData(nullptr, u"JLook_Timeout", 3, &seven, 1);  // REG_BINARY
    fake.spooler.SetString(u"JLook_Enable", u"1");  // "1" and terminator: 4 bytes, not a 1
    presenter.OnInit(controls);
    EXPECT_EQ(Dword(5), Value(u"JLook_Timeout")) << "one byte is no interval";
    EXPECT_EQ(Dword(1), Value(u"JLook_Enable")) << "rewritten as a number";
}

TEST_F(LookoutTest, SetUpStartsTheSessionsDialogAndCentresOverTheOwner) {
    controls.window = {100, 100, 401, 251};  // 301 x 151
    controls.owner = {-301, -201, 0, 0};
    presenter.OnInit(controls);
    EXPECT_EQ(u"Job Lookout an", controls.Get(kBox).info.text) << "walked";
    EXPECT_EQ(3, controls.Get(kField).limit);
    // Halves truncate toward zero: (-301 + 0) / 2 = -150, not -151.
    EXPECT_EQ((Rect{-300, -175, 1, -24}), controls.window);

    controls.owner = {};  // no owner: the dialog stays where the system put it
    controls.window = {10, 20, 110, 220};
    presenter.OnInit(controls);
    EXPECT_EQ((Rect{10, 20, 110, 220}), controls.window);

    fake.system.systemLangId = 0x040D;  // Hebrew: the mirrored template
    presenter.OnInit(controls);
    EXPECT_EQ(IDD_LOOKOUT_SETTINGS_RTL, session.dialogTemplateId);
    EXPECT_TRUE(controls.tooltipsRightToLeft);
}

TEST_F(LookoutTest, TypingMovesTheArrowsAndTheArrowsStepFromTheTypedNumber) {
    // The field reports every write as a change, as a real edit does.
    controls.onSetText = [&](int id) { presenter.OnCommand(controls, id, kEnChange); };
    fake.spooler.SetDword(u"JLook_Timeout", 20);
    presenter.OnInit(controls);
    EXPECT_EQ(20, Position());

    // While typing: the number as it stands, unclamped (the control keeps its range), read
    // from at most three characters.
    struct Typed {
        std::u16string_view text;
        int position;
    };
    for (const Typed& t : {Typed{u"99", 99}, Typed{u"", 0}, Typed{u" 7x", 7}, Typed{u"-4", -4},
                           Typed{u"1234", 123}}) {
        Type(t.text, kEnChange);
        EXPECT_EQ(t.position, Position()) << "typed \"" << t.text.size() << " units\"";
    }
    // Leaving the field: brought into 1 to 60.
    for (const Typed& t : {Typed{u"99", 60}, Typed{u"0", 1}, Typed{u"-5", 1}, Typed{u"42", 42}}) {
        Type(t.text, kEnKillFocus);
        EXPECT_EQ(t.position, Position());
    }

    // The arrows, after 10 was typed without a change report reaching the position.
    controls.Get(kField).info.text = u"10";
    const NotifyAnswer answer = presenter.OnNotify(controls, {kArrows, kUdnDeltaPos, 42, 1});
    EXPECT_EQ(10, Position()) << "stepped from the typed number";
    EXPECT_FALSE(answer.handled) << "the control applies its step";
    EXPECT_EQ(0, answer.result);
    controls.Get(kField).info.text = u"30";
    presenter.OnNotify(controls, {IDC_DIALOG_OK, kUdnDeltaPos, 0, 1});
    EXPECT_EQ(10, Position()) << "another sender's notification";
}

TEST_F(LookoutTest, OkStoresTheBoxAndTheIntervalWithinOneToSixty) {
    struct Case {
        std::u16string_view text;
        bool ticked;
        std::uint32_t enable, timeout;
    };
    for (const Case& c :
         {Case{u"", true, 1, 1}, Case{u"0", false, 0, 1}, Case{u"61", true, 1, 60},
          Case{u"999", true, 1, 60}, Case{u"42", false, 0, 42}, Case{u" 7", true, 1, 7}}) {
        presenter.OnInit(controls);
        controls.Get(kField).info.text = c.text;
        controls.Get(kBox).checked = c.ticked;
        controls.endResult = -1;
        presenter.OnCommand(controls, IDC_DIALOG_OK, 0);
        EXPECT_EQ(kIdOk, controls.endResult);
        EXPECT_EQ(Dword(c.enable), Value(u"JLook_Enable"));
        EXPECT_EQ(Dword(c.timeout), Value(u"JLook_Timeout"))
            << "field of " << c.text.size() << " units";
    }
}

}  // namespace
