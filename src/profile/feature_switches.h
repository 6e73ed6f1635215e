// The model's feature switches: which features of the family the model has, and the
// job-storage modes it offers, folded into a short signature used by the help system.
#pragma once

#include <cstdint>

namespace profile {

class ProfileReader;

inline constexpr int kSwitchGroups = 6;
inline constexpr int kListSlots = 16;  // at most 15 numbers, then the end marker -1
inline constexpr std::size_t kSignatureUnits = 128;

enum JobSettingList { kListHddOn = 0, kListHddOff = 1, kListMemoryOn = 2, kListMemoryOff = 3 };

struct FeatureSwitches {
    std::int32_t lists[4][kListSlots];
    // bits[g] holds the 0/1 switches of group g + 1, bit b at value 1 << b.
    std::uint32_t bits[kSwitchGroups];
};

// Reads every switch and the four job-setting lists from the profile's Common section
// (the reader is left in that section).
void ReadFeatureSwitches(ProfileReader& profile, FeatureSwitches& switches);

// Position of value in a job-setting list, or -1 when the end marker comes first.
int FindInList(std::int32_t value, const std::int32_t (&list)[kListSlots]);

// Builds the signature "g1,g2,g3,g4,g5,g6" when signature is empty; a non-empty one is
// left alone.
void BuildSwitchSignature(const FeatureSwitches& switches, char16_t (&signature)[kSignatureUnits]);

}  // namespace profile
