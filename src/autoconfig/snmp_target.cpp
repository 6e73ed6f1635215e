#include "autoconfig/snmp_target.h"

#include "autoconfig/printer_address.h"

namespace autoconfig {
namespace {

constexpr std::size_t kCommunityBytes = 255;

// The port monitor's SNMP settings of a Standard TCP/IP port, when it has a key.
void ReadSnmpSettings(const platform::Platform& ports, std::u16string_view port,
                      SnmpTarget* target) {
    const auto key = OpenStandardPortKey(ports, port);
    if (!key) return;
    std::uint32_t type = 0;
    std::uint32_t enabled = 1;
    std::uint32_t bytes = sizeof enabled;
    if (key->QueryValue(u"SNMP Enabled", &type, &enabled, &bytes) == platform::kRegSuccess &&
        type == platform::kRegDword && bytes == sizeof enabled) {
        target->enabled = enabled != 0;
    }
    char16_t community[kAddressUnits] = {};
    bytes = sizeof community - sizeof(char16_t);  // room for a terminator of our own
    if (key->QueryValue(u"SNMP Community", &type, community, &bytes) == platform::kRegSuccess &&
        (type == platform::kRegSz || type == platform::kRegExpandSz) && community[0] != u'\0' &&
        ports.system != nullptr) {
        const std::u16string_view text(community);
        const std::string ansi = ports.system->ToAnsi(text, kCommunityBytes + 1);
        // A community that does not fit would be another community.
        if (!ansi.empty() && ansi.size() <= kCommunityBytes) target->community = ansi;
    }
}

}  // namespace

std::optional<Ipv4> ParseIpv4(std::u16string_view text) {
    Ipv4 address{};
    std::size_t at = 0;
    for (std::size_t part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != u'.') return std::nullopt;
            ++at;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9' && digits < 4; ++at) {
            value = value * 10 + static_cast<unsigned>(text[at] - u'0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
        address[part] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size()) return std::nullopt;
    return address;
}

bool ReadSnmpTarget(const platform::Platform& ports, std::u16string_view port, SnmpTarget* target) {
    *target = SnmpTarget();
    port = port.substr(0, port.find(u','));
    char16_t text[kAddressUnits] = {};
    if (ReadPortAddress(ports, port, text)) {
        std::optional<Ipv4> address = ParseIpv4(text);
        // The monitor may keep a host name where the address belongs.
        if (!address && text[0] != u'\0') {
            char16_t resolved[kAddressUnits] = {};
            ResolveHostName(ports, text, resolved);
            address = ParseIpv4(resolved);
        }
        if (!address) return false;
        target->address = *address;
        ReadSnmpSettings(ports, port, target);
        return true;
    }
    constexpr std::u16string_view kIpPrefix = u"IP_";
    if (port.substr(0, kIpPrefix.size()) != kIpPrefix) return false;
    const std::optional<Ipv4> address = ParseIpv4(port.substr(kIpPrefix.size()));
    if (!address) return false;
    target->address = *address;
    return true;
}

}  // namespace autoconfig
