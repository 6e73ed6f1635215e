#include "tree/feature_options.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "devmode/oem_devmode.h"
#include "profile/job_setting_list.h"

namespace tree {
namespace {

// The integer at the start of s the way the C runtime's _wtol reads it: leading white space,
// an optional sign, decimal digits up to the first other character; 0 without digits.
// Values beyond 32 bits saturate.
std::int32_t LeadingInteger(std::u16string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        value = value * 10 + (s[i] - u'0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min(value, kLimit - 1));
}

// The print-mode list of the session's storage state, read from section Common. False when
// the key is absent (it reads back as its own name) or the session has no profile.
bool ReadJobSettingList(profile::UiSession& session, char16_t (&buffer)[256]) {
    buffer[0] = u'\0';
    const auto state = static_cast<std::uint32_t>(session.storageState);
    if (session.profileReader == nullptr || state >= kJobSettingKeys.size()) return false;
    const std::u16string_view key = kJobSettingKeys[state];
    session.profileReader->SetSection(u"Common");
    session.profileReader->ReadString256(key, buffer);
    return std::u16string_view(buffer) != key;
}

// Writes bit (0 or 1) into the 2-bit field addressed by a SmartCMS code.
void WriteSmartCmsField(void* record, std::int32_t code, std::uint8_t bit) {
    if (!SmartCmsCodeAddressesField(code)) return;
    const std::int32_t word = code / 10;
    const std::int32_t slot = code % 10;
    const std::size_t byte =
        devmode::kSmartCmsBits.offset + static_cast<std::size_t>(2 * (word - 1) + (slot - 1) / 4);
    const int shift = 6 - 2 * ((slot - 1) % 4);
    auto* p = static_cast<std::uint8_t*>(record) + byte;
    *p = static_cast<std::uint8_t>((*p & ~(3u << shift)) | (static_cast<unsigned>(bit) << shift));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Host items.

const char* ItemKeyword(const host::OPTITEM& item) {
    const auto* userData = reinterpret_cast<const host::USERDATA*>(item.UserData);
    return userData != nullptr ? userData->pKeyWordName : nullptr;
}

bool ItemKeywordIs(const host::OPTITEM& item, std::string_view keyword) {
    const char* name = ItemKeyword(item);
    if (name == nullptr) return false;
    // Stops at the first difference: a shorter host keyword differs at its terminator.
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        if (name[i] != keyword[i]) return false;
    }
    return name[keyword.size()] == '\0';
}

std::string_view ItemKeywordText(const host::OPTITEM& item) {
    const char* name = ItemKeyword(item);
    if (name == nullptr) return {};
    std::size_t length = 0;
    while (length < kMaxKeywordBytes && name[length] != '\0') ++length;
    return {name, length};
}

host::OPTITEM* FindDriverItem(host::OPTITEM* items, std::uint32_t count, const char* keyword,
                              std::uint8_t publicId) {
    if (items == nullptr) return nullptr;
    const std::string_view wanted = keyword != nullptr ? std::string_view(keyword) : "";
    for (std::uint32_t i = 0; i < count; ++i) {
        host::OPTITEM& item = items[i];
        if (keyword != nullptr ? ItemKeywordIs(item, wanted) : item.DMPubID == publicId)
            return &item;
    }
    return nullptr;
}

void SelectDriverItem(host::IPrintOemDriverUI* driver, host::OEMUIOBJ* uiObject,
                      host::OPTITEM* item, std::int32_t selection, host::DWORD mode) {
    if (item == nullptr) return;
    item->Sel = selection;
    item->Flags |= host::kOptifChanged;
    if (driver == nullptr || uiObject == nullptr) return;
    driver->DrvUpdateUISetting(uiObject, item, 0, mode);
}

host::OEMUIOBJ* SessionUiObject(const profile::UiSession& session,
                                const host::OEMCUIPPARAM& param) {
    if (session.hostParams != nullptr)
        return static_cast<const host::OEMUIPSPARAM*>(session.hostParams)->poemuiobj;
    return param.poemuiobj;
}

void SelectDriverItemByName(const host::OEMCUIPPARAM& param, const profile::UiSession& session,
                            const char* keyword, std::int32_t selection, host::DWORD mode,
                            std::uint8_t publicId) {
    host::OPTITEM* item = FindDriverItem(param.pDrvOptItems, param.cDrvOptItems, keyword, publicId);
    if (item == nullptr) return;
    SelectDriverItem(session.driverHelper, SessionUiObject(session, param), item, selection, mode);
}

void HideItem(host::OPTITEM* item) {
    if (item == nullptr) return;
    item->Flags |= host::kOptifHide | host::kOptifChanged;
}

void DisableAndResetItem(host::OPTITEM* item) {
    if (item == nullptr) return;
    item->Flags |= host::kOptifDisabled | host::kOptifChanged;
    item->Sel = 0;
}

void EnableItem(host::OPTITEM* item) {
    if (item == nullptr) return;
    item->Flags = (item->Flags & ~host::kOptifDisabled) | host::kOptifChanged;
}

void SetItemAvailable(host::OPTITEM* item, bool on) {
    if (on) {
        EnableItem(item);
    } else {
        DisableAndResetItem(item);
    }
}

std::int32_t SelectedStapleLocation(const host::OEMCUIPPARAM& param) {
    const host::OPTITEM* item =
        FindDriverItem(param.pDrvOptItems, param.cDrvOptItems, "StapleLocation");
    return item != nullptr ? item->Sel : 0;
}

// ---------------------------------------------------------------------------------------------
// Installable options.

std::optional<std::size_t> FindInstallableOption(std::string_view keyword, std::size_t rows) {
    if (rows > kInstallableOptionMap.size()) rows = kInstallableOptionMap.size();
    for (std::size_t row = 0; row < rows; ++row) {
        if (keyword == kInstallableOptionMap[row].keyword) return row;
    }
    return std::nullopt;
}

std::int32_t InstallableOptionValue(const plugin::ProcessState& state, std::size_t row) {
    return row < plugin::kInstallableOptionRows ? state.installableOptionValues[row].load() : 0;
}

void SetInstallableOptionValue(plugin::ProcessState& state, std::size_t row, std::int32_t value) {
    if (row < plugin::kInstallableOptionRows) state.installableOptionValues[row] = value;
}

bool SetInstallableOptionValue(plugin::ProcessState& state, std::string_view keyword,
                               std::int32_t value) {
    const std::optional<std::size_t> row = FindInstallableOption(keyword);
    if (!row) return false;
    state.installableOptionValues[*row] = value;
    return true;
}

std::int32_t IsHardDiskInstalled(host::OEMUIOBJ* uiObject, host::IPrintOemDriverUI* driver) {
    if (driver == nullptr || uiObject == nullptr) return 0;
    char answer[10] = {};
    host::DWORD needed = 0;
    host::DWORD options = 0;
    host::HRESULT hr =
        driver->DrvGetDriverSetting(uiObject, kInstallableOptionMap[kRowHardDisk].keyword, answer,
                                    sizeof answer, &needed, &options);
    if (hr != host::kSOk) {
        hr = driver->DrvGetDriverSetting(uiObject, kInstallableOptionMap[kRowHardDiskAlt].keyword,
                                         answer, sizeof answer, &needed, &options);
    }
    if (hr != host::kSOk) return 0;
    return std::memcmp(answer, "True", 5) == 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Job storage and print modes.

void ComputeStorageState(const platform::Platform& platform, host::OEMUIOBJ* uiObject,
                         const void* oemDevmode, profile::UiSession& session) {
    // A tree session lets go of its parameter block once built; its printer handle stays.
    if (session.hostParams == nullptr && session.printerHandle == nullptr) return;

    profile::ProfileReader* profile = session.profileReader.get();
    if (profile != nullptr) profile->SetSection(u"DEFAULTDEVMODE");

    // Installed memory in megabytes, kept in the printer data; created from the model's
    // default when the printer has none yet.
    std::uint32_t memory = 0;
    std::uint32_t type = 0;
    std::uint32_t needed = 0;
    const bool stored =
        platform.spooler != nullptr &&
        platform.spooler->ReadPrinterData(session.printerHandle, u"CURRENT_MEMORY", &type, &memory,
                                          sizeof memory, &needed) == 0;
    if (!stored) {
        memory = static_cast<std::uint32_t>(
            profile != nullptr ? profile->ReadInt(u"PrinterMemorySize", 0) : 0);
        if (platform.spooler != nullptr) {
            platform.spooler->WritePrinterData(session.printerHandle, u"CURRENT_MEMORY",
                                               platform::kRegDword, &memory, sizeof memory);
        }
    }

    // Without a private record the values a new record would carry are taken.
    std::uint32_t memoryJobs = 0;
    std::uint32_t critical = 0;
    if (oemDevmode != nullptr) {
        memoryJobs = devmode::Get(oemDevmode, devmode::kPrinterMemory);
        critical = static_cast<std::uint32_t>(devmode::Get(oemDevmode, devmode::kCriticalMemory));
    } else if (profile != nullptr) {
        profile->SetSection(u"Common");
        memoryJobs = static_cast<std::uint16_t>(profile->ReadInt(u"PrinterMemory", 0));
        critical = static_cast<std::uint32_t>(profile->ReadInt(u"CriticalMemorySize", 0));
        profile->SetSection(u"DEFAULTDEVMODE");
    }
    const bool memoryStorage = memory >= critical;

    std::int32_t state = 0;
    if (session.installedHdd == 1 || session.printerHdd == 1) {
        if (session.installedHdd == 0 && IsHardDiskInstalled(uiObject, session.driverHelper) == 0) {
            if (memoryJobs == 0) {
                state = 2;
            } else {
                state = memoryStorage ? 3 : 0;
            }
        } else {
            state = 1;
        }
    } else {
        state = memoryStorage && memoryJobs != 0 ? 3 : 0;
    }
    session.storageState = state;
}

std::int32_t ParsePrintModes(std::u16string_view list,
                             profile::PrintModeEntry (&entries)[profile::kMaxPrintModes]) {
    for (profile::PrintModeEntry& entry : entries) entry = {};
    std::int32_t count = 0;
    profile::ForEachListNumber(list, [&](std::int32_t n) {
        if (n >= 1 && n <= 6) {
            entries[count] = {static_cast<std::int16_t>(n - 1), static_cast<std::int16_t>(count)};
            ++count;
        }
        return count < static_cast<std::int32_t>(profile::kMaxPrintModes);
    });
    return count;
}

std::int32_t HoldModesOffered(profile::UiSession& session) {
    char16_t list[256];
    if (!ReadJobSettingList(session, list)) return 0;
    // The dialog is offered exactly when it would have a mode to offer.
    profile::PrintModeEntry entries[profile::kMaxPrintModes];
    return ParsePrintModes(list, entries) > 0 ? 1 : 0;
}

void BuildPrintModeList(profile::UiSession& session) {
    char16_t list[256];
    const bool listed = ReadJobSettingList(session, list);
    session.printModeCount = ParsePrintModes(listed ? list : u"", session.printModeList);
}

void BuildResolutionList(profile::UiSession& session) {
    for (std::int32_t& entry : session.resolutionList) entry = 0;
    session.resolutionCount = 0;
    if (session.profileReader == nullptr) return;
    session.profileReader->SetSection(u"Common");

    struct Source {
        std::u16string_view key;
        std::int32_t dpi;
    };
    constexpr Source kSources[] = {
        {u"Graphics1200Res", 1200}, {u"Graphics600Res", 600}, {u"Graphics300Res", 300}};
    struct Bit {
        std::uint32_t mask;
        std::int32_t multiplier;
    };
    constexpr Bit kBits[] = {{0x800, 8}, {0x400, 4}, {0x200, 2}, {0x100, 1},
                             {0x008, 8}, {0x004, 4}, {0x002, 2}, {0x001, 1}};

    std::size_t count = 0;
    for (const Source& source : kSources) {
        const auto mask = static_cast<std::uint16_t>(session.profileReader->ReadInt(source.key, 0));
        std::uint32_t remainder = mask;
        for (const Bit& bit : kBits) {
            if (remainder == 0) break;
            if ((remainder & bit.mask) == 0) continue;
            const std::int32_t value =
                remainder <= 21 ? bit.multiplier * source.dpi : bit.multiplier;
            if (count < profile::kMaxResolutions) session.resolutionList[count++] = value;
            remainder -= bit.mask;
        }
    }
    session.resolutionCount = static_cast<std::int32_t>(count);
}

// ---------------------------------------------------------------------------------------------
// SmartCMS.

bool SmartCmsCodeAddressesField(std::int32_t code) {
    if (code <= 0) return false;
    const std::int32_t word = code / 10;
    const std::int32_t slot = code % 10;
    return word >= 1 && word <= 5 && slot >= 1 && slot <= 8;
}

SmartCmsCodes ParseSmartCmsCodes(std::u16string_view value) {
    SmartCmsCodes codes{0, 0};
    const std::size_t comma = value.find(u',');
    if (comma != std::u16string_view::npos) codes.colour = LeadingInteger(value.substr(comma + 1));
    const std::size_t colon = value.find(u':');
    if (colon != std::u16string_view::npos) codes.grey = LeadingInteger(value.substr(colon + 1));
    return codes;
}

void ApplySmartCmsCodes(void* oemDevmode, std::u16string_view value, std::int32_t selection) {
    if (oemDevmode == nullptr) return;
    const SmartCmsCodes codes = ParseSmartCmsCodes(value);
    const std::uint8_t bit = selection != 0 ? 1 : 0;
    WriteSmartCmsField(oemDevmode, codes.colour, bit);
    WriteSmartCmsField(oemDevmode, codes.grey, bit);
}

void ApplySmartCmsAvailability(bool colour, host::OPTITEM* item, std::u16string_view value) {
    const SmartCmsCodes codes = ParseSmartCmsCodes(value);
    if (codes.colour == 0) SetItemAvailable(item, !colour);
    if (codes.grey == 0) SetItemAvailable(item, colour);
}

}  // namespace tree
