// The plug-in's private job-settings record as the host stores it behind the public DEVMODE:
// 2404 bytes, little-endian, with every field at a fixed offset. The host hands the record
// over as a bare buffer that need not be aligned, so the record is never cast to a struct:
// every field is read and written byte by byte through the accessors below, each bounded by
// the field's own width.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace devmode {

inline constexpr std::size_t kSize = 2404;
inline constexpr std::uint32_t kSignature = 0x4D534654;  // 'MSFT', bytes "TFSM" in memory
inline constexpr std::uint32_t kVersion = 1;
// Highest valid HoldItemValue; larger values are reset when a record is validated.
inline constexpr std::int32_t kMaxHoldItemValue = 100;

// A fixed-width integer field.
template <class T>
struct Scalar {
    using Type = T;
    std::size_t offset;
    static constexpr std::size_t width = sizeof(T);
};

// A UTF-16 text field of `units` code units. A text that fills the field has no terminator.
struct Text {
    std::size_t offset;
    std::size_t units;
    constexpr std::size_t width() const { return units * sizeof(char16_t); }
};

// A run of raw bytes.
struct Bytes {
    std::size_t offset;
    std::size_t width;
};

// ---------------------------------------------------------------------------------------------
// The fields, in record order.

inline constexpr Scalar<std::uint32_t> kDwSize{0};
inline constexpr Scalar<std::uint32_t> kDwSignature{4};
inline constexpr Scalar<std::uint32_t> kDwVersion{8};
inline constexpr Scalar<std::int32_t> kHoldItemValue{12};
inline constexpr Scalar<std::uint16_t> kPrintModeCode{16};
inline constexpr Text kUserId{18, 20};
inline constexpr Text kJobName{58, 64};
inline constexpr Text kPasscode{186, 8};
inline constexpr Text kPrintAtTime{202, 20};
inline constexpr Bytes kPadding242{242, 2};
inline constexpr Scalar<std::int32_t> kGrayscaleCopies{244};
inline constexpr Scalar<std::uint32_t> kSessionLink{248};
inline constexpr Scalar<std::uint16_t> kHddInstalled{252};
inline constexpr Scalar<std::uint16_t> kStapleOn{254};
inline constexpr Scalar<std::uint16_t> kBookletOn{256};
inline constexpr Scalar<std::uint16_t> kResolution{258};
inline constexpr Scalar<std::uint8_t> kLockedItems{260};
inline constexpr Bytes kPadding261{261, 1};
inline constexpr Scalar<std::uint16_t> kCopiesSettingOn{262};
inline constexpr Scalar<std::uint16_t> kPrinterHdd{264};
inline constexpr Bytes kPadding266{266, 2};
inline constexpr Scalar<std::int32_t> kColorCopies{268};
inline constexpr Scalar<std::uint16_t> kEncryptionMode{272};
inline constexpr Text kLongPasscode{274, 20};
inline constexpr Text kEncryptionKey{314, 20};
inline constexpr Scalar<std::uint8_t> kRegionColor{354};
inline constexpr Bytes kPadding355{355, 1};
inline constexpr Scalar<std::uint16_t> kJobAccounting{356};
inline constexpr Bytes kSmartCmsBits{358, 10};
inline constexpr Scalar<std::int32_t> kCriticalMemory{368};
inline constexpr Scalar<std::uint16_t> kPrinterMemory{372};
inline constexpr Scalar<std::uint16_t> kRamCollate{374};
inline constexpr Scalar<std::uint16_t> kDuplexOptions{376};
inline constexpr Bytes kReserved{378, 2026};

// The four Print and Hold texts lie back to back: bytes 18 to 241.
inline constexpr Bytes kHoldTexts{18, 224};
// Every byte the plug-in ever reads or writes lies below this offset.
inline constexpr std::size_t kUsedBytes = 378;

// LockedItems bits: host items disabled when the document tree is built.
inline constexpr std::uint8_t kLockColor = 1;
inline constexpr std::uint8_t kLockDuplex = 2;
inline constexpr std::uint8_t kLockPaperSource = 4;
inline constexpr std::uint8_t kLockMediaType = 8;

// The whole record as a table, so the layout can be checked for gaps and overlaps.
enum class Kind { kField, kPadding, kReservedBytes };
struct LayoutEntry {
    std::string_view name;
    std::size_t offset;
    std::size_t width;
    Kind kind;
};

inline constexpr std::array<LayoutEntry, 34> kLayout{{
    {"dwSize", kDwSize.offset, kDwSize.width, Kind::kField},
    {"dwSignature", kDwSignature.offset, kDwSignature.width, Kind::kField},
    {"dwVersion", kDwVersion.offset, kDwVersion.width, Kind::kField},
    {"HoldItemValue", kHoldItemValue.offset, kHoldItemValue.width, Kind::kField},
    {"PrintModeCode", kPrintModeCode.offset, kPrintModeCode.width, Kind::kField},
    {"UserId", kUserId.offset, kUserId.width(), Kind::kField},
    {"JobName", kJobName.offset, kJobName.width(), Kind::kField},
    {"Passcode", kPasscode.offset, kPasscode.width(), Kind::kField},
    {"PrintAtTime", kPrintAtTime.offset, kPrintAtTime.width(), Kind::kField},
    {"padding", kPadding242.offset, kPadding242.width, Kind::kPadding},
    {"GrayscaleCopies", kGrayscaleCopies.offset, kGrayscaleCopies.width, Kind::kField},
    {"SessionLink", kSessionLink.offset, kSessionLink.width, Kind::kField},
    {"HddInstalled", kHddInstalled.offset, kHddInstalled.width, Kind::kField},
    {"StapleOn", kStapleOn.offset, kStapleOn.width, Kind::kField},
    {"BookletOn", kBookletOn.offset, kBookletOn.width, Kind::kField},
    {"Resolution", kResolution.offset, kResolution.width, Kind::kField},
    {"LockedItems", kLockedItems.offset, kLockedItems.width, Kind::kField},
    {"padding", kPadding261.offset, kPadding261.width, Kind::kPadding},
    {"CopiesSettingOn", kCopiesSettingOn.offset, kCopiesSettingOn.width, Kind::kField},
    {"PrinterHdd", kPrinterHdd.offset, kPrinterHdd.width, Kind::kField},
    {"padding", kPadding266.offset, kPadding266.width, Kind::kPadding},
    {"ColorCopies", kColorCopies.offset, kColorCopies.width, Kind::kField},
    {"EncryptionMode", kEncryptionMode.offset, kEncryptionMode.width, Kind::kField},
    {"LongPasscode", kLongPasscode.offset, kLongPasscode.width(), Kind::kField},
    {"EncryptionKey", kEncryptionKey.offset, kEncryptionKey.width(), Kind::kField},
    {"RegionColor", kRegionColor.offset, kRegionColor.width, Kind::kField},
    {"padding", kPadding355.offset, kPadding355.width, Kind::kPadding},
    {"JobAccounting", kJobAccounting.offset, kJobAccounting.width, Kind::kField},
    {"SmartCmsBits", kSmartCmsBits.offset, kSmartCmsBits.width, Kind::kField},
    {"CriticalMemory", kCriticalMemory.offset, kCriticalMemory.width, Kind::kField},
    {"PrinterMemory", kPrinterMemory.offset, kPrinterMemory.width, Kind::kField},
    {"RamCollate", kRamCollate.offset, kRamCollate.width, Kind::kField},
    {"DuplexOptions", kDuplexOptions.offset, kDuplexOptions.width, Kind::kField},
    {"reserved", kReserved.offset, kReserved.width, Kind::kReservedBytes},
}};

// The table tiles the record exactly, and the used part ends where the reserved bytes start.
constexpr bool LayoutTilesRecord() {
    std::size_t next = 0;
    for (const LayoutEntry& e : kLayout) {
        if (e.offset != next || e.width == 0) return false;
        next = e.offset + e.width;
    }
    return next == kSize;
}
static_assert(LayoutTilesRecord());
static_assert(kReserved.offset == kUsedBytes);
static_assert(kHoldTexts.offset == kUserId.offset &&
              kHoldTexts.offset + kHoldTexts.width == kPrintAtTime.offset + kPrintAtTime.width());

// ---------------------------------------------------------------------------------------------
// Field access. `record` points at the start of a record of kSize bytes (any alignment);
// the caller vouches for the buffer, every access stays inside its field.

namespace detail {
std::uint64_t LoadLe(const void* record, std::size_t offset, std::size_t width);
void StoreLe(void* record, std::size_t offset, std::size_t width, std::uint64_t value);
}  // namespace detail

template <class T>
T Get(const void* record, Scalar<T> field) {
    return static_cast<T>(detail::LoadLe(record, field.offset, field.width));
}

// Stores the value's low bytes, as many as the field is wide.
template <class T, class V>
void Set(void* record, Scalar<T> field, V value) {
    detail::StoreLe(record, field.offset, field.width,
                    static_cast<std::uint64_t>(static_cast<T>(value)));
}

// The text of a field, up to its first zero unit or its full width.
std::u16string GetText(const void* record, Text field);

// Writes text cut to the field's width (never splitting a surrogate pair) and zero-fills the
// rest of the field. A text as long as the field fills it without a terminator.
void SetText(void* record, Text field, std::u16string_view text);

// Zero-fills a run of bytes.
void Clear(void* record, Bytes bytes);
void Clear(void* record, Text field);

// ---------------------------------------------------------------------------------------------

// Option index of the host's "JCLRegionColor" feature that suits a language: 2 for the
// Americas, 3 for Europe, 4 for Asia, Africa and the Middle East as far as listed, 1
// otherwise. The primary language is the low 10 bits, the sub-language the high 6.
std::uint8_t RegionGroup(std::uint16_t langId);

}  // namespace devmode
