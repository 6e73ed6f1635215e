// The shortest and longest passcode (Print and Hold) or password (Job Accounting) that a
// dialog accepts: the model profile's limits, fitted to what the dialog's field can hold.
#pragma once

#include <string_view>

#include "profile/profile_reader.h"

namespace ui {

struct PasscodeLimits {
    int min;
    int max;
    friend constexpr bool operator==(const PasscodeLimits&, const PasscodeLimits&) = default;
};

// The keys of one dialog's limits in the profile's Common section, and their value when a
// key is absent.
struct PasscodeLimitKeys {
    std::u16string_view minKey;
    std::u16string_view maxKey;
    int defaultLength;
};
inline constexpr PasscodeLimitKeys kHoldPasscodeKeys{u"ExtrasMinPassLen", u"ExtrasMaxPassLen", 4};
inline constexpr PasscodeLimitKeys kAccountPasswordKeys{u"PrinterMinPassLen", u"PrinterMaxPassLen",
                                                        32};

// The limits as the model profile writes them (the defaults when it has none); the reader is
// left in section Common.
PasscodeLimits ReadPasscodeLimits(profile::ProfileReader* profile, const PasscodeLimitKeys& keys);

// The limits an entry can meet: the longest at least 1 and at most `widest` (what the field
// holds), the shortest at least 1 and at most the longest. A limit beyond the field would
// otherwise refuse every entry, and an entry always needs one character.
PasscodeLimits FitPasscodeLimits(PasscodeLimits model, int widest);

}  // namespace ui
