// The SNMP module's questions to an agent that answers anything: a table of objects of any
// names and types under the columns the module walks (and elsewhere), answers spoilt on the
// way (another request id, version or community, another name, an error status, another type
// of value), agents that speak one version only, fall silent or answer late, and stray
// datagrams. Input: what is asked, the settings, the agent's manner, then one entry per
// object; after the separator, spoilers for the answers in turn and, after another one, a
// stray datagram. Checked: the module never waits past its deadline and asks a bounded
// number of questions; what it reports is in range, for the fields asked only, and written
// nowhere else in the block.

#include <array>
#include <cstring>
#include <deque>
#include <vector>

#include "autoconfig/config_block.h"
#include "fakes/fake_agent.h"
#include "fuzz/fuzz_support.h"
#include "snmp/facts.h"

namespace {

using snmp::Oid;

// The columns the module reads, and two names outside them.
const Oid kColumns[] = {
    {1, 3, 6, 1, 2, 1, 25, 2, 2},         // hrMemorySize
    {1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2},   // hrDeviceType
    {1, 3, 6, 1, 2, 1, 43, 8, 2, 1, 2},   // prtInputType
    {1, 3, 6, 1, 2, 1, 43, 8, 2, 1, 9},   // prtInputMaxCapacity
    {1, 3, 6, 1, 2, 1, 43, 9, 2, 1, 2},   // prtOutputType
    {1, 3, 6, 1, 2, 1, 43, 13, 4, 1, 9},  // prtMediaPathType
    {1, 3, 6, 1, 2, 1, 43, 30, 1, 1, 2},  // finDeviceType
    {1, 3, 6, 1, 2, 1, 25, 3, 1},         // hrDeviceTypes (values of hrDeviceType)
    {1, 3, 6, 1, 2, 1, 1},                // system
    {1, 3},                               // near the start of the tree
};
constexpr std::uint64_t kStart = 1000;
constexpr std::uint64_t kBoundMs = 3000;

snmp::Value ValueOf(fuzz::Input& input) {
    snmp::Value v;
    const std::uint8_t kind = input.Byte();
    switch (kind % 6) {
        case 0:
            v.kind = snmp::Value::Kind::kInteger;
            v.integer = static_cast<std::int64_t>(input.U64()) >> (input.Byte() % 64);
            break;
        case 1:
            v.kind = snmp::Value::Kind::kObjectId;
            v.oid = kColumns[input.Byte() % std::size(kColumns)];
            v.oid.Append(input.Byte() % 8);
            break;
        case 2:
            v.kind = snmp::Value::Kind::kOctets;
            break;
        case 3:
            v.kind = snmp::Value::Kind::kNull;
            break;
        case 4:
            v.kind = snmp::Value::Kind::kNoSuchInstance;
            break;
        default:
            v.kind = snmp::Value::Kind::kEndOfMibView;
            break;
    }
    return v;
}

std::int16_t Field(const std::array<std::uint8_t, autoconfig::kBlockBytes>& block, std::size_t at) {
    return static_cast<std::int16_t>(block[at] | block[at + 1] << 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts =
        fuzz::Split({reinterpret_cast<const char*>(data), size}, 3);
    fuzz::Input input(parts[0]);
    const std::uint8_t asking = input.Byte();
    snmp::Settings settings;
    settings.standardInputs = input.Byte() % 4;
    settings.standardOutputs = input.Byte() % 4;
    settings.largeTrayCapacity = input.U16();
    settings.retries = input.Byte() % 3;
    settings.timeoutMs = 50 + input.Byte() * 10u;

    fakes::FakeAgent agent;
    agent.now = kStart;
    const std::uint8_t manner = input.Byte();
    agent.speaksV2c = (manner & 1) == 0;
    agent.speaksV1 = (manner & 2) == 0;
    agent.silent = (manner & 0x1C) == 0x1C;
    agent.delayMs = input.Byte() * 8u;
    const std::uint8_t answers = input.Byte();
    if (answers < 0x80) agent.answersLeft = answers * 4;
    while (!input.empty()) {
        Oid name = kColumns[input.Byte() % std::size(kColumns)];
        const std::uint8_t arcs = input.Byte();
        for (int i = 0; i < 1 + arcs % 3; ++i) name.Append(input.Byte() % 5);
        agent.objects[name] = ValueOf(input);
    }

    // Each answer may be spoilt by the next spoiler byte.
    fuzz::Input spoilers(parts[1]);
    agent.tamper = [&spoilers](snmp::Message& m) {
        const std::uint8_t s = spoilers.Byte();
        switch (s % 8) {
            case 1:
                m.requestId ^= 1 << (s >> 3 & 7);
                break;
            case 2:
                m.version =
                    m.version == snmp::Version::kV1 ? snmp::Version::kV2c : snmp::Version::kV1;
                break;
            case 3:
                m.community = "privat";
                break;
            case 4:
                m.name = m.name.Child(s >> 3);
                break;
            case 5:
                m.name = kColumns[(s >> 3) % std::size(kColumns)];
                break;
            case 6:
                m.errorStatus = s >> 3;
                break;
            case 7:
                m.value.kind = snmp::Value::Kind::kOther;
                break;
            default:
                break;
        }
    };
    if (!parts[2].empty()) {
        agent.injected.push_back({agent.self, {parts[2].begin(), parts[2].end()}, 0});
    }

    std::array<std::uint8_t, autoconfig::kBlockBytes> block;
    block.fill(0x7E);
    const std::size_t offsets[] = {autoconfig::kTrayCodeOffset, autoconfig::kDuplexOffset,
                                   autoconfig::kHardDiskOffset, autoconfig::kFinisherOffset,
                                   autoconfig::kMemoryOffset,   autoconfig::kOutputBinOffset};
    for (std::size_t i = 0; i < std::size(offsets); ++i) {
        const std::uint16_t value = (asking >> i & 1) != 0 ? 0 : 0xFFFF;
        block[offsets[i]] = static_cast<std::uint8_t>(value);
        block[offsets[i] + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    const auto before = block;
    const snmp::Asked asked = snmp::AskedOf(block);

    snmp::ClientOptions options;
    options.agent = agent.self;
    options.timeoutMs = settings.timeoutMs;
    options.retries = settings.retries;
    options.deadlineMs = kStart + kBoundMs;
    snmp::Client client(agent, agent, options, 0x1234);
    const std::optional<snmp::Facts> facts = snmp::ReadFacts(client, asked, settings);

    FUZZ_CHECK(agent.now <= kStart + kBoundMs);
    // Seven questions at most (memory, six walks and three capacities), each walk at most
    // kMaxRows + 1 answers, each answer at most (retries + 1) tries in each of two versions.
    FUZZ_CHECK(client.sent() <= (3 + 5 * (snmp::kMaxRows + 1) + 3) * 2 * (settings.retries + 1));
    if (!facts) return 0;
    snmp::WriteFacts(*facts, block);
    const bool askedFor[] = {asked.trays,    asked.duplex, asked.hardDisk,
                             asked.finisher, asked.memory, asked.outputBin};
    for (std::size_t i = 0; i < std::size(offsets); ++i) {
        if (!askedFor[i]) FUZZ_CHECK(Field(block, offsets[i]) == Field(before, offsets[i]));
    }
    for (std::size_t at = 0; at < block.size(); ++at) {
        bool field = false;
        for (std::size_t o : offsets) field = field || at == o || at == o + 1;
        if (!field) FUZZ_CHECK(block[at] == before[at]);
    }
    if (asked.trays) {
        const std::int16_t code = Field(block, autoconfig::kTrayCodeOffset);
        FUZZ_CHECK(code == 0 || code == 1 || code == 3 || code == 4 || (code >= 10 && code <= 12));
    }
    for (auto [on, at] : {std::pair{asked.duplex, autoconfig::kDuplexOffset},
                          std::pair{asked.hardDisk, autoconfig::kHardDiskOffset},
                          std::pair{asked.finisher, autoconfig::kFinisherOffset}}) {
        if (on) FUZZ_CHECK(Field(block, at) == 0 || Field(block, at) == 1);
    }
    if (asked.memory) FUZZ_CHECK(Field(block, autoconfig::kMemoryOffset) >= 0);
    if (asked.outputBin) FUZZ_CHECK(Field(block, autoconfig::kOutputBinOffset) >= 0);
    return 0;
}
