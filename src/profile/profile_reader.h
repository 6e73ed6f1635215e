// A reader bound to one profile (INI) file and one current section.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/ports.h"

namespace profile {

inline constexpr std::int32_t kAbsentMarker = 0x12345678;
inline constexpr std::size_t kNameUnits = 260;

class ProfileReader {
  public:
    explicit ProfileReader(platform::ProfileFiles* files, std::u16string_view path = {});

    // Both are cut to 259 units. An empty section reads from "Common".
    void SetPath(std::u16string_view path);
    void SetSection(const char16_t* section);
    // The section becomes "<name> Dialog"; a null name selects "Common".
    void SetDialogSection(const char16_t* name);

    std::u16string_view path() const { return path_; }
    std::u16string_view section() const { return section_; }

    // The key's integer; an absent key (or one holding the absent marker itself) gives
    // defaultValue, where a default of the absent marker means 0.
    std::int32_t ReadInt(std::u16string_view key, std::int32_t defaultValue) const;
    // The key's text; when nothing was read and a fallback is given, the fallback, cut to
    // units - 1. Returns the units stored (without terminator).
    std::uint32_t ReadString(std::u16string_view key, char16_t* buffer, std::uint32_t units,
                             const char16_t* fallback) const;
    // ReadString into 256 units with the key name itself as the fallback.
    std::uint32_t ReadString256(std::u16string_view key, char16_t (&buffer)[256]) const;

  private:
    std::u16string_view EffectiveSection() const;

    platform::ProfileFiles* files_;
    char16_t path_[kNameUnits] = {};
    char16_t section_[kNameUnits] = {};
};

}  // namespace profile
