#include "devmode/oem_devmode.h"

#include <cstring>

namespace devmode {
namespace detail {

std::uint64_t LoadLe(const void* record, std::size_t offset, std::size_t width) {
    const auto* p = static_cast<const unsigned char*>(record) + offset;
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = (value << 8) | p[i];
    return value;
}

void StoreLe(void* record, std::size_t offset, std::size_t width, std::uint64_t value) {
    auto* p = static_cast<unsigned char*>(record) + offset;
    for (std::size_t i = 0; i < width; ++i) {
        p[i] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
}

}  // namespace detail

namespace {

char16_t UnitAt(const void* record, Text field, std::size_t index) {
    return static_cast<char16_t>(
        detail::LoadLe(record, field.offset + index * sizeof(char16_t), sizeof(char16_t)));
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::u16string GetText(const void* record, Text field) {
    std::u16string out;
    for (std::size_t i = 0; i < field.units; ++i) {
        const char16_t c = UnitAt(record, field, i);
        if (c == u'\0') break;
        out.push_back(c);
    }
    return out;
}

void SetText(void* record, Text field, std::u16string_view text) {
    std::size_t n = text.size() < field.units ? text.size() : field.units;
    // A cut right after the first half of a surrogate pair would leave half a character.
    if (n < text.size() && n > 0 && IsHighSurrogate(text[n - 1])) --n;
    for (std::size_t i = 0; i < field.units; ++i) {
        const char16_t c = i < n ? text[i] : u'\0';
        detail::StoreLe(record, field.offset + i * sizeof(char16_t), sizeof(char16_t), c);
    }
}

void Clear(void* record, Bytes bytes) {
    std::memset(static_cast<unsigned char*>(record) + bytes.offset, 0, bytes.width);
}

void Clear(void* record, Text field) { Clear(record, Bytes{field.offset, field.width()}); }

std::uint8_t RegionGroup(std::uint16_t langId) {
    constexpr std::uint8_t kOther = 1;
    constexpr std::uint8_t kAmericas = 2;
    constexpr std::uint8_t kEurope = 3;
    constexpr std::uint8_t kAsiaAfrica = 4;

    const unsigned primary = langId & 0x3FFu;
    const unsigned sub = langId >> 10;
    switch (primary) {
        case 0x01:  // Arabic
            return sub == 14 ? kAsiaAfrica : kOther;
        case 0x04:  // Chinese
        case 0x12:  // Korean
        case 0x39:  // Hindi
            return kAsiaAfrica;
        case 0x05:  // Czech
        case 0x07:  // German
        case 0x08:  // Greek
        case 0x0E:  // Hungarian
        case 0x10:  // Italian
        case 0x13:  // Dutch
        case 0x15:  // Polish
        case 0x19:  // Russian
        case 0x1A:  // Croatian, Serbian
        case 0x1D:  // Swedish
        case 0x24:  // Slovenian
            return kEurope;
        case 0x09:  // English
            switch (sub) {
                case 1:  // US
                case 4:  // Canada
                    return kAmericas;
                case 2:  // UK
                    return kEurope;
                case 3:  // Australia
                case 7:  // South Africa
                    return kAsiaAfrica;
                default:
                    return kOther;
            }
        case 0x0A:  // Spanish
            switch (sub) {
                case 2:   // Mexico
                case 11:  // Argentina
                    return kAmericas;
                case 3:  // modern sort
                    return kEurope;
                default:
                    return kOther;
            }
        case 0x0C:  // French
            return sub == 3 ? kAmericas : kEurope;
        case 0x16:  // Portuguese
            switch (sub) {
                case 1:  // Brazil
                    return kAmericas;
                case 2:  // Portugal
                    return kEurope;
                default:
                    return kOther;
            }
        default:
            return kOther;
    }
}

}  // namespace devmode
