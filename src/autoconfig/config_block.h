// The block that auto-configuration hands to the model's SNMP module and the module fills:
// 32 bytes, little-endian, every 16-bit field signed, -1 when not asked or not reported. A
// field the plug-in asks for holds 0 on entry. Shared by the plug-in and the module.
#pragma once

#include <cstddef>

namespace autoconfig {

inline constexpr std::size_t kBlockBytes = 32;
inline constexpr std::size_t kTrayCodeOffset = 4;
inline constexpr std::size_t kDuplexOffset = 6;
inline constexpr std::size_t kHardDiskOffset = 8;
inline constexpr std::size_t kOffset12 = 12;
inline constexpr std::size_t kFinisherOffset = 16;
inline constexpr std::size_t kModelCodeOffset = 21;
inline constexpr std::size_t kMemoryOffset = 22;
inline constexpr std::size_t kOutputBinOffset = 24;

}  // namespace autoconfig
