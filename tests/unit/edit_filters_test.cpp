#include "ui/edit_filters.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using ui::CharAction;
using ui::EditFilter;
using ui::KeyAction;
using ui::PasteVerdict;

constexpr EditFilter kAllFilters[] = {EditFilter::kName, EditFilter::kDigit, EditFilter::kAccountId,
                                      EditFilter::kAccountPassword};

int CountTyped(EditFilter filter) {
    int count = 0;
    for (std::uint32_t c = 0; c <= 0x10000; ++c) count += ui::AcceptsTyped(filter, c) ? 1 : 0;
    return count;
}

int CountPasted(EditFilter filter) {
    int count = 0;
    for (int b = 0; b <= 0xFF; ++b) {
        count += ui::AcceptsPasted(filter, static_cast<unsigned char>(b)) ? 1 : 0;
    }
    return count;
}

ui::PasteLimits Limits(std::int16_t min, std::int16_t max) {
    return {.known = true, .minLength = min, .maxLength = max};
}

TEST(EditFilterSets, TypedCharactersOfEachField) {
    // Sizes over the whole UTF-16 range catch a set that is one too wide or too narrow.
    EXPECT_EQ(125, CountTyped(EditFilter::kName));            // 0x01..0x7F without / and \ .
    EXPECT_EQ(11, CountTyped(EditFilter::kDigit));            // digits and backspace
    EXPECT_EQ(67, CountTyped(EditFilter::kAccountId));        // 62 + @ _ - . + backspace
    EXPECT_EQ(95, CountTyped(EditFilter::kAccountPassword));  // 0x21..0x7E + backspace

    for (EditFilter f : kAllFilters) {
        EXPECT_TRUE(ui::AcceptsTyped(f, ui::kBackspace)) << "backspace works in every field";
        EXPECT_FALSE(ui::AcceptsTyped(f, 0)) << static_cast<int>(f);
        EXPECT_FALSE(ui::AcceptsTyped(f, 0x80)) << static_cast<int>(f);
        EXPECT_FALSE(ui::AcceptsTyped(f, 0x20AC)) << static_cast<int>(f);
        EXPECT_FALSE(ui::AcceptsTyped(f, 0x10056)) << "no wrap into 'V'";
    }

    // The characters of each set are typed into the real edits by the Wine EditFilters tests.
    EXPECT_TRUE(ui::AcceptsTyped(EditFilter::kName, 0x7F));
    EXPECT_TRUE(ui::AcceptsTyped(EditFilter::kName, 0x16)) << "right Ctrl+V reaches the edit";
}

TEST(EditFilterSets, PastedBytesOfEachField) {
    EXPECT_EQ(125, CountPasted(EditFilter::kName));
    EXPECT_EQ(10, CountPasted(EditFilter::kDigit));  // no backspace in a pasted text
    EXPECT_EQ(66, CountPasted(EditFilter::kAccountId));
    EXPECT_EQ(94, CountPasted(EditFilter::kAccountPassword));

    // Backspace is typed, never pasted, except in the name field's wide set.
    EXPECT_TRUE(ui::AcceptsPasted(EditFilter::kName, '\b'));
    EXPECT_FALSE(ui::AcceptsPasted(EditFilter::kDigit, '\b'));
    EXPECT_FALSE(ui::AcceptsPasted(EditFilter::kAccountPassword, '\b'));
    EXPECT_FALSE(ui::AcceptsPasted(EditFilter::kName, 0x80));
}

constexpr ui::Modifiers kLeftCtrl{.leftCtrl = true, .alt = false};
constexpr ui::Modifiers kAltGr{.leftCtrl = true, .alt = true};  // as the system reports it
constexpr ui::Modifiers kNone{};

TEST(EditFilterKeys, OnlyLeftCtrlWithoutAltMakesAShortcut) {
    for (EditFilter f : kAllFilters) {
        ui::EditFilterState state;
        const bool copyCut = ui::TraitsOf(f).handlesCopyAndCut;
        EXPECT_EQ(KeyAction::kFilteredPaste, ui::OnKeyDown(f, ui::kKeyV, kLeftCtrl, state));
        EXPECT_EQ(copyCut ? KeyAction::kCopyThenPassOn : KeyAction::kPassOn,
                  ui::OnKeyDown(f, ui::kKeyC, kLeftCtrl, state));
        EXPECT_EQ(copyCut ? KeyAction::kCutThenPassOn : KeyAction::kPassOn,
                  ui::OnKeyDown(f, ui::kKeyX, kLeftCtrl, state));
        EXPECT_EQ(KeyAction::kPassOn, ui::OnKeyDown(f, 0x76, kLeftCtrl, state));  // F7, not 'v'
        // AltGr+V types "@" on Czech, Slovak, Hungarian and Croatian layouts; AltGr+X and
        // AltGr+C type characters too. None of them may paste, cut or copy.
        for (std::uint32_t key : {ui::kKeyV, ui::kKeyC, ui::kKeyX}) {
            ui::EditFilterState fresh;
            EXPECT_EQ(KeyAction::kPassOn, ui::OnKeyDown(f, key, kAltGr, fresh));
            EXPECT_EQ(KeyAction::kPassOn, ui::OnKeyDown(f, key, kNone, fresh));
            EXPECT_EQ(0, fresh.pastePending) << "no paste flag without a paste";
        }
    }
}

TEST(EditFilterKeys, PasteFlagSwallowsExactlyTheNextCharacterOfItsField) {
    ui::EditFilterState name;
    ui::OnKeyDown(EditFilter::kName, ui::kKeyV, kLeftCtrl, name);
    EXPECT_EQ(1, name.pastePending);
    EXPECT_EQ(CharAction::kSwallow, ui::OnChar(EditFilter::kName, 0x16, name));
    EXPECT_EQ(CharAction::kPassOn, ui::OnChar(EditFilter::kName, 0x16, name));

    // Whatever character comes next is swallowed, even a refused one, without a beep.
    ui::EditFilterState account;
    ui::OnKeyDown(EditFilter::kAccountId, ui::kKeyV, kLeftCtrl, account);
    EXPECT_EQ(CharAction::kSwallow, ui::OnChar(EditFilter::kAccountId, ' ', account));
    EXPECT_EQ(CharAction::kSwallowWithBeep, ui::OnChar(EditFilter::kAccountId, ' ', account));

    // The two fields without a flag refuse the Ctrl+V control character with a beep.
    for (EditFilter f : {EditFilter::kDigit, EditFilter::kAccountPassword}) {
        ui::EditFilterState state;
        ui::OnKeyDown(f, ui::kKeyV, kLeftCtrl, state);
        EXPECT_EQ(CharAction::kSwallowWithBeep, ui::OnChar(f, 0x16, state));
    }
}

// Pastes into the real edits, with the session's limits, are the Wine EditFilters tests; here
// the limits and texts those leave out.
TEST(EditFilterPaste, PasscodeLengthMustFitTheSessionsLimits) {
    const auto f = EditFilter::kDigit;
    EXPECT_EQ(PasteVerdict::kInsert, ui::DecidePaste(f, "1234", Limits(4, 4)));
    EXPECT_EQ(PasteVerdict::kRefuse, ui::DecidePaste(f, "", Limits(4, 4)));
    EXPECT_EQ(PasteVerdict::kInsert, ui::DecidePaste(f, "", Limits(0, 8)));
    // Limits that cross refuse everything; negative ones compare as signed numbers.
    EXPECT_EQ(PasteVerdict::kRefuse, ui::DecidePaste(f, "1234", Limits(8, 4)));
    EXPECT_EQ(PasteVerdict::kRefuse, ui::DecidePaste(f, "1", Limits(-1, -1)));
    EXPECT_EQ(PasteVerdict::kInsert, ui::DecidePaste(f, "12", Limits(-5, 2)));
    // The name and account id fields ignore the limits.
    EXPECT_EQ(PasteVerdict::kInsert, ui::DecidePaste(EditFilter::kName, "abcdef", Limits(1, 2)));
    EXPECT_EQ(PasteVerdict::kInsert,
              ui::DecidePaste(EditFilter::kAccountId, "abcdef", Limits(1, 2)));
    // Line ends are name characters; the check ends at a terminator inside the text.
    EXPECT_EQ(PasteVerdict::kInsert, ui::DecidePaste(EditFilter::kName, "line\r\n", {}));
    EXPECT_EQ(PasteVerdict::kInsert,
              ui::DecidePaste(EditFilter::kName, std::string_view("ab\0/", 4), {}));
}

TEST(EditFilterPaste, ClipboardBlocksAreReadWithinTheirBounds) {
    EXPECT_EQ("", ui::ClipboardText(nullptr, 100));
    const char terminated[] = "1234\0zz";
    EXPECT_EQ("1234", ui::ClipboardText(terminated, sizeof terminated));
    EXPECT_EQ("12", ui::ClipboardText(terminated, 2)) << "no terminator within the size";
    EXPECT_EQ("", ui::ClipboardText(terminated, 0));

    // An unterminated block claiming any size is never read past the cap (ASan watches).
    std::vector<char> huge(ui::kMaxPasteBytes + 1, 'a');
    const std::string_view text = ui::ClipboardText(huge.data(), SIZE_MAX);
    EXPECT_EQ(ui::kMaxPasteBytes + 1, text.size());
    EXPECT_EQ(PasteVerdict::kRefuse, ui::DecidePaste(EditFilter::kName, text, {}));
    EXPECT_EQ(PasteVerdict::kInsert, ui::DecidePaste(EditFilter::kName, text.substr(1), {}))
        << "a text of exactly the cap is still examined";
}

}  // namespace
