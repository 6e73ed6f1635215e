// The trays whose custom paper sizes are limited to a range, read from the model profile.
#pragma once

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

// Fills trayCount, trayList and trayLimits from the profile's TRAYNAME/TrayIndex list: a tray
// takes part when Common holds "<profile name>Customs" for its key, with the key's position
// in the list as its index and its TRAYNAME text (at most 31 characters) as its name. At most
// kMaxTrays trays are kept; later ones accept every size. Without a profile reader the table
// is empty. The profile reader is left in the section it was in.
void BuildTrayTable(UiSession& session);

}  // namespace profile
