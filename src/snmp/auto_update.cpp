#include "snmp/auto_update.h"

#include "autoconfig/snmp_target.h"

namespace snmp {
namespace {

constexpr char16_t kSection[] = u"SNMP";
constexpr std::uint32_t kAbsent = 0x7FFFFFFF;

// A value of the file, or `fallback` when it is missing or outside [low, high].
std::int64_t Read(platform::ProfileFiles& files, std::u16string_view path, std::u16string_view key,
                  std::int64_t fallback, std::int64_t low, std::int64_t high) {
    // GetPrivateProfileInt gives an unsigned number; negative texts come back as such.
    const auto value = static_cast<std::int32_t>(files.GetInt(kSection, key, kAbsent, path));
    if (static_cast<std::uint32_t>(value) == kAbsent || value < low || value > high) {
        return fallback;
    }
    return value;
}

}  // namespace

Settings ReadSettings(platform::ProfileFiles* files, std::u16string_view path) {
    Settings s;
    if (files == nullptr || path.empty()) return s;
    s.port = static_cast<std::uint16_t>(Read(*files, path, u"Port", s.port, 1, 65535));
    s.timeoutMs =
        static_cast<std::uint32_t>(Read(*files, path, u"TimeoutMs", s.timeoutMs, 50, kCallBoundMs));
    s.retries = static_cast<std::uint32_t>(Read(*files, path, u"Retries", s.retries, 0, 5));
    s.standardInputs =
        static_cast<std::int32_t>(Read(*files, path, u"StandardInputs", s.standardInputs, 0, 255));
    s.standardOutputs = static_cast<std::int32_t>(
        Read(*files, path, u"StandardOutputs", s.standardOutputs, 0, 255));
    s.largeTrayCapacity =
        Read(*files, path, u"LargeTrayCapacity", s.largeTrayCapacity, 0, 0x7FFFFFFE);
    return s;
}

std::uint16_t AutoUpdate(Environment& environment, std::u16string_view portName, Block block) {
    const std::uint64_t start = environment.clock.NowMs();
    const Asked asked = AskedOf(block);
    if (!asked.any()) return 0;
    autoconfig::SnmpTarget target;
    if (!autoconfig::ReadSnmpTarget(environment.ports, portName, &target) || !target.enabled) {
        return 0;
    }
    const Settings settings = ReadSettings(environment.ports.profiles, environment.settingsPath);

    ClientOptions options;
    options.agent = Endpoint{target.address, settings.port};
    options.community = target.community;
    options.timeoutMs = settings.timeoutMs;
    options.retries = settings.retries;
    options.deadlineMs = start + kCallBoundMs;
    Client client(environment.transport, environment.clock, options, environment.idSeed);

    // All or nothing: facts of an agent that fell silent half-way are not written.
    const std::optional<Facts> facts = ReadFacts(client, asked, settings);
    if (!facts) return 0;
    WriteFacts(*facts, block);
    return 1;
}

}  // namespace snmp
