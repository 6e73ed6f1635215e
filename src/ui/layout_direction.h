// Right-to-left systems: the one place that decides whether dialogs and pages are mirrored
// and which template each of them loads.
#pragma once

#include <cstdint>

#include "platform/ports.h"

namespace ui {

// True when a language is written right to left (primary language Arabic or Hebrew).
bool IsRightToLeftLanguage(std::uint16_t langId);

// True when the system's default language is written right to left.
bool IsRightToLeft(const platform::Platform& platform);

// The template a dialog loads on this system: its mirrored form on right-to-left systems
// when it has one (given its left-to-right id, or either id of the pair).
int DialogTemplate(const platform::Platform& platform, int templateId);

}  // namespace ui
