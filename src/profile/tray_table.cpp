#include "profile/tray_table.h"

#include <cstdint>
#include <limits>

#include "profile/bounded_text.h"

namespace profile {
namespace {

bool IsSeparator(char16_t c) { return c == u' ' || c == u'\t' || c == u','; }

// Calls visit(token) for each run of characters between blanks and commas, in order, until
// visit answers false. Empty runs (two separators in a row) are no tokens.
template <class Visit>
void ForEachToken(std::u16string_view s, Visit visit) {
    std::size_t at = 0;
    while (at < s.size()) {
        while (at < s.size() && IsSeparator(s[at])) ++at;
        std::size_t end = at;
        while (end < s.size() && !IsSeparator(s[end])) ++end;
        if (end > at && !visit(s.substr(at, end - at))) return;
        at = end;
    }
}

// A token read as a decimal integer: an optional sign, then digits up to the first other
// character (none: 0). The magnitude saturates just above the largest usable number.
struct Number {
    bool negative;
    std::uint64_t magnitude;
};
constexpr std::uint64_t kLargestNumber = std::numeric_limits<std::uint32_t>::max() / 100;

Number ReadNumber(std::u16string_view token) {
    Number n{false, 0};
    std::size_t i = 0;
    if (i < token.size() && (token[i] == u'+' || token[i] == u'-')) n.negative = token[i++] == u'-';
    for (; i < token.size() && token[i] >= u'0' && token[i] <= u'9'; ++i) {
        n.magnitude = n.magnitude * 10 + static_cast<std::uint64_t>(token[i] - u'0');
        if (n.magnitude > kLargestNumber) n.magnitude = kLargestNumber + 1;
    }
    return n;
}

}  // namespace

TrayLimits ParseTrayRange(std::u16string_view customs) {
    std::uint32_t values[4] = {};
    std::size_t taken = 0;
    bool usable = true;
    ForEachToken(customs, [&](std::u16string_view token) {
        const Number n = ReadNumber(token);
        if (n.magnitude == 0) return false;
        // A negative or oversized number, or a fifth one, spoils the whole range.
        if (n.negative || n.magnitude > kLargestNumber || taken == 4) {
            usable = false;
            return false;
        }
        values[taken++] = static_cast<std::uint32_t>(n.magnitude * 100);
        return true;
    });
    if (!usable || taken != 4) return {};
    return {values[0], values[1], values[2], values[3]};
}

void ForEachTrayKey(ProfileReader& profile, const std::function<bool(const TrayKey&)>& visit) {
    char16_t section[kNameUnits];
    text::Copy(section, kNameUnits, profile.section());

    profile.SetSection(u"TRAYNAME");
    char16_t list[256];
    profile.ReadString256(u"TrayIndex", list);
    std::int32_t position = 0;
    ForEachToken(list, [&](std::u16string_view keyView) {
        char16_t key[256];
        text::Copy(key, 256, keyView);

        // The tray's profile name forms the key of its range in Common.
        profile.SetSection(u"TRAYNAME");
        char16_t profileName[kTrayProfileNameUnits + 1];
        profile.ReadString(key, profileName, kTrayProfileNameUnits + 1, key);
        char16_t customsKey[kTrayProfileNameUnits + 8];
        text::Format(customsKey, kTrayProfileNameUnits + 8, u"%sCustoms", {profileName});
        profile.SetSection(u"Common");
        char16_t customs[256];
        profile.ReadString256(customsKey, customs);
        // An absent key reads back as its own name: that tray takes no part.
        const bool takesPart = std::u16string_view(customs) != customsKey;
        return visit({position++, key, profileName, customsKey, takesPart,
                      takesPart ? std::u16string_view(customs) : std::u16string_view()});
    });
    profile.SetSection(section);
}

void BuildTrayTable(UiSession& session) {
    session.trayCount = 0;
    for (std::size_t i = 0; i < kMaxTrays; ++i) {
        session.trayList[i] = {-1, {}};
        session.trayLimits[i] = {};
    }
    ProfileReader* profile = session.profileReader.get();
    if (profile == nullptr) return;
    ForEachTrayKey(*profile, [&session](const TrayKey& tray) {
        if (!tray.takesPart) return true;
        if (session.trayCount >= static_cast<std::int32_t>(kMaxTrays)) return true;

        const std::size_t n = static_cast<std::size_t>(session.trayCount++);
        TrayEntry& entry = session.trayList[n];
        entry.index = tray.position;
        char16_t key[256];
        text::Copy(key, 256, tray.key);
        if (session.textReader != nullptr) {
            session.textReader->SetSection(u"TRAYNAME");
            session.textReader->ReadString(key, entry.name, kTrayNameUnits, key);
        } else {
            text::Copy(entry.name, kTrayNameUnits, key);
        }
        session.trayLimits[n] = ParseTrayRange(tray.customs.substr(0, kCustomsUnits));
        return true;
    });
}

}  // namespace profile
