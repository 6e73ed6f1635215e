// The Win32 error numbers the core sets as the thread's last error or looks at in the
// answers of its ports, named once.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorWriteFault = 29;
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorInvalidLevel = 124;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorUnknownPrinterDriver = 1797;
inline constexpr std::uint32_t kErrorSpoolerStartDoc = 3003;  // ERROR_SPL_NO_STARTDOC

// Registry status codes (LSTATUS) share the numbers above.
inline constexpr long kRegSuccess = 0;
inline constexpr long kRegFileNotFound = 2;
inline constexpr long kRegMoreData = 234;

}  // namespace platform
