// The trays whose custom paper sizes are limited to a range, read from the model profile.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "profile/ui_session.h"

namespace profile {

// Longest "Customs" text used; what follows is ignored.
inline constexpr std::size_t kCustomsUnits = 127;
// Longest tray profile name used to form the "Customs" key.
inline constexpr std::size_t kTrayProfileNameUnits = 127;

// A "Customs" value: four decimal numbers, separated by blanks and commas, in tenths of a
// millimetre (minimum width, maximum width, minimum height, maximum height), as a range in
// thousandths of a millimetre. Numbers are read up to the first one that is 0 (or not a
// number); unless exactly four were read, or when one is negative or too large for the
// range, the result is all zero: every size is accepted.
TrayLimits ParseTrayRange(std::u16string_view customs);

// One key of the profile's TRAYNAME/TrayIndex list, as the tray table reads it.
struct TrayKey {
    std::int32_t position;            // from 0, counting every key of the list
    std::u16string_view key;          // also the key of the tray's display name
    std::u16string_view profileName;  // TRAYNAME/<key> (the key itself when missing), cut
    std::u16string_view customsKey;   // "<profile name>Customs" in Common
    // The tray takes part (its Customs key has a value) with its value, at most 255 units.
    bool takesPart;
    std::u16string_view customs;
};

// Calls visit(tray) for each key of TRAYNAME/TrayIndex in list order until it answers false.
// The profile reader is left in the section it was in.
void ForEachTrayKey(ProfileReader& profile, const std::function<bool(const TrayKey&)>& visit);

// Fills trayCount, trayList and trayLimits from the profile's TRAYNAME/TrayIndex list: a tray
// takes part when Common holds "<profile name>Customs" for its key, with the key's position
// in the list as its index and its TRAYNAME text (at most 31 characters) as its name. At most
// kMaxTrays trays are kept; later ones accept every size. Without a profile reader the table
// is empty. The profile reader is left in the section it was in.
void BuildTrayTable(UiSession& session);

}  // namespace profile
