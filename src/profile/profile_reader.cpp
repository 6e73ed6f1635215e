#include "profile/profile_reader.h"

#include <string>

#include "profile/bounded_text.h"

namespace profile {

ProfileReader::ProfileReader(platform::ProfileFiles* files, std::u16string_view path)
    : files_(files) {
    SetPath(path);
}

void ProfileReader::SetPath(std::u16string_view path) { text::Copy(path_, kNameUnits, path); }

void ProfileReader::SetSection(const char16_t* section) {
    text::Copy(section_, kNameUnits, section);
}

void ProfileReader::SetDialogSection(const char16_t* name) {
    if (name == nullptr) {
        section_[0] = u'\0';
        return;
    }
    text::Format(section_, kNameUnits, u"%s Dialog", {name});
}

std::u16string_view ProfileReader::EffectiveSection() const {
    return section_[0] != u'\0' ? std::u16string_view(section_) : u"Common";
}

std::int32_t ProfileReader::ReadInt(std::u16string_view key, std::int32_t defaultValue) const {
    // No bound file: every read gives its default.
    std::int32_t value = kAbsentMarker;
    if (files_ != nullptr && path_[0] != u'\0') {
        value = static_cast<std::int32_t>(
            files_->GetInt(EffectiveSection(), key, kAbsentMarker, path_));
    }
    if (value != kAbsentMarker) return value;
    return defaultValue == kAbsentMarker ? 0 : defaultValue;
}

std::uint32_t ProfileReader::ReadString(std::u16string_view key, char16_t* buffer,
                                        std::uint32_t units, const char16_t* fallback) const {
    if (buffer == nullptr || units == 0) return 0;
    buffer[0] = u'\0';
    std::uint32_t length = 0;
    if (files_ != nullptr && path_[0] != u'\0') {
        length = files_->GetString(EffectiveSection(), key, u"", buffer, units, path_);
        if (length >= units) length = units - 1;  // a port must never claim more than fits
        buffer[length] = u'\0';
    }
    if (length != 0 || fallback == nullptr) return length;
    text::Copy(buffer, units, fallback);
    return static_cast<std::uint32_t>(text::FieldLength(buffer, units));
}

std::uint32_t ProfileReader::ReadString256(std::u16string_view key, char16_t (&buffer)[256]) const {
    // The key as a terminated fallback.
    char16_t name[256];
    text::Copy(name, 256, key);
    return ReadString(key, buffer, 256, name);
}

}  // namespace profile
