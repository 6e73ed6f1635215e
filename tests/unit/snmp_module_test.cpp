// The module's call without Windows: the port's target, the settings file, the questions to
// an agent in memory (which also plays time), and the block the answers go to.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "autoconfig/config_block.h"
#include "fakes/fake_agent.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "snmp/auto_update.h"

namespace {

using autoconfig::kBlockBytes;
using snmp::Oid;

const std::u16string kStandard =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
const std::u16string kSettings = u"C:\\drivers\\CVLN.INI";
const Oid kDiskStorage{1, 3, 6, 1, 2, 1, 25, 3, 1, 6};

Oid Under(Oid base, std::initializer_list<std::uint32_t> arcs) {
    for (std::uint32_t arc : arcs) base.Append(arc);
    return base;
}
const Oid kDeviceType{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2};
const Oid kInputEntry{1, 3, 6, 1, 2, 1, 43, 8, 2, 1};
const Oid kOutputType{1, 3, 6, 1, 2, 1, 43, 9, 2, 1, 2};
const Oid kMediaPathType{1, 3, 6, 1, 2, 1, 43, 13, 4, 1, 9};
const Oid kFinDeviceType{1, 3, 6, 1, 2, 1, 43, 30, 1, 1, 2};

class SnmpModuleTest : public ::testing::Test {
  protected:
    SnmpModuleTest() { block.fill(0xFF); }

    // A printer with two trays beyond the standard one, duplex, a disk, 256 MB, two bins and
    // a finisher; its other objects are the agent's own.
    void Printer() {
        agent.Integer({1, 3, 6, 1, 2, 1, 1, 3, 0}, 4242);
        agent.Integer({1, 3, 6, 1, 2, 1, 25, 2, 2, 0}, 262144);
        agent.ObjectId(Under(kDeviceType, {1}), {1, 3, 6, 1, 2, 1, 25, 3, 1, 5});
        agent.ObjectId(Under(kDeviceType, {2}), kDiskStorage);
        agent.Integer({1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 3, 1}, 99);  // the next column
        for (std::uint32_t row : {1, 2, 3}) {
            agent.Integer(Under(kInputEntry, {2, 1, row}), 4);
            agent.Integer(Under(kInputEntry, {9, 1, row}), row == 3 ? 2000 : 500);
        }
        agent.Integer(Under(kOutputType, {1, 1}), 3);
        agent.Integer(Under(kOutputType, {1, 2}), 3);
        agent.Integer(Under(kMediaPathType, {1, 1}), 5);  // simplex
        agent.Integer(Under(kMediaPathType, {1, 2}), 3);  // long-edge duplex
        agent.Integer(Under(kFinDeviceType, {1, 1}), 3);
        agent.Integer({1, 3, 6, 1, 2, 1, 43, 30, 1, 1, 3, 1, 1}, 1);
    }
    void Ask(std::initializer_list<std::size_t> offsets) {
        for (std::size_t offset : offsets) block[offset] = block[offset + 1] = 0;
    }
    std::int16_t Field(std::size_t offset) const {
        return static_cast<std::int16_t>(block[offset] | (block[offset + 1] << 8));
    }
    void Settings(const std::string& text) { profiles.files.PutBytes(kSettings, text); }
    std::uint16_t Call(std::u16string_view port = u"IP_192.0.2.7") {
        snmp::Environment environment{ports, agent, agent, kSettings, 77};
        start = agent.now;
        return snmp::AutoUpdate(environment, port, block);
    }
    std::uint64_t Elapsed() const { return agent.now - start; }

    fakes::FakePlatform fake;
    fakes::FakeProfiles profiles;
    platform::Platform ports = fake.ports(&profiles);
    fakes::FakeAgent agent;
    std::array<std::uint8_t, kBlockBytes> block{};
    std::uint64_t start = 0;
};

constexpr auto kTrays = autoconfig::kTrayCodeOffset;
constexpr auto kDuplex = autoconfig::kDuplexOffset;
constexpr auto kDisk = autoconfig::kHardDiskOffset;
constexpr auto kFinisher = autoconfig::kFinisherOffset;
constexpr auto kMemory = autoconfig::kMemoryOffset;
constexpr auto kBins = autoconfig::kOutputBinOffset;

TEST_F(SnmpModuleTest, APrinterAgentFillsExactlyTheAskedFields) {
    Printer();
    Ask({kTrays, kDuplex, kDisk, kFinisher, kMemory, kBins});
    block[autoconfig::kModelCodeOffset] = 5;
    auto expected = block;
    ASSERT_EQ(1, Call());
    EXPECT_EQ(3, Field(kTrays)) << "two optional trays";
    EXPECT_EQ(1, Field(kDuplex));
    EXPECT_EQ(1, Field(kDisk));
    EXPECT_EQ(1, Field(kFinisher));
    EXPECT_EQ(256, Field(kMemory));
    EXPECT_EQ(1, Field(kBins));
    for (std::size_t offset : {kTrays, kDuplex, kDisk, kFinisher, kMemory, kBins}) {
        expected[offset] = block[offset];
        expected[offset + 1] = block[offset + 1];
    }
    EXPECT_EQ(expected, block) << "no byte outside the asked fields changes";
    EXPECT_EQ(snmp::Version::kV2c, agent.requests.back().version);

    // Fields at -1, or holding anything but 0, were not asked for.
    block.fill(0xFF);
    block[kDisk] = 1;
    block[kDisk + 1] = 0;
    Ask({kMemory});
    agent.requests.clear();
    ASSERT_EQ(1, Call());
    EXPECT_EQ(1u, agent.requests.size()) << "only hrMemorySize.0 is asked";
    EXPECT_EQ(-1, Field(kTrays));
    EXPECT_EQ(1, Field(kDisk));

    // Nothing asked: the agent is not asked either.
    block.fill(0xFF);
    agent.requests.clear();
    EXPECT_EQ(0, Call());
    EXPECT_TRUE(agent.requests.empty());
}

TEST_F(SnmpModuleTest, AnAgentWithoutThePrinterMibReportsNoOptions) {
    agent.Integer({1, 3, 6, 1, 2, 1, 25, 2, 2, 0}, 131072);
    agent.Integer({1, 3, 6, 1, 2, 1, 25, 3, 3, 1, 1, 1}, 0);  // after hrDeviceTable
    Ask({kTrays, kDuplex, kDisk, kFinisher, kMemory, kBins});
    for (bool v1 : {false, true}) {
        agent.speaksV2c = !v1;
        ASSERT_EQ(1, Call()) << "v1 " << v1;
        EXPECT_EQ(0, Field(kTrays));
        EXPECT_EQ(0, Field(kDuplex));
        EXPECT_EQ(0, Field(kDisk));
        EXPECT_EQ(0, Field(kFinisher));
        EXPECT_EQ(128, Field(kMemory));
        EXPECT_EQ(0, Field(kBins));
        EXPECT_EQ(v1 ? snmp::Version::kV1 : snmp::Version::kV2c, agent.requests.back().version);
    }
    agent.tamper = [](snmp::Message& m) { m.errorStatus = snmp::kNoSuchName; };  // value kept
    Ask({kMemory});
    ASSERT_EQ(1, Call());
    EXPECT_EQ(0, Field(kMemory)) << "an answer with an error status reports no size";
    agent.tamper = nullptr;
    agent.objects.clear();
    Ask({kMemory});
    ASSERT_EQ(1, Call());
    EXPECT_EQ(0, Field(kMemory)) << "no hrMemorySize: none";
}

TEST_F(SnmpModuleTest, DuplexIsAMediaPathThatPrintsBothSides) {
    // prtMediaPathType: 3 long-edge and 4 short-edge duplex, 5 simplex.
    const std::pair<std::vector<std::int32_t>, std::int16_t> cases[] = {
        {{5, 5}, 0}, {{4}, 1}, {{5, 3}, 1}, {{1, 2}, 0}};
    for (const auto& [paths, duplex] : cases) {
        agent.objects.clear();
        std::uint32_t row = 0;
        for (std::int32_t type : paths) agent.Integer(Under(kMediaPathType, {1, ++row}), type);
        block.fill(0xFF);
        Ask({kDuplex});
        ASSERT_EQ(1, Call());
        EXPECT_EQ(duplex, Field(kDuplex)) << "paths " << paths.size() << " first " << paths[0];
    }
}

TEST_F(SnmpModuleTest, NoAnswerLeavesTheBlockAsItWasWithinTheBound) {
    Printer();
    Ask({kTrays, kDuplex, kDisk, kFinisher, kMemory, kBins});
    const auto before = block;
    agent.silent = true;
    EXPECT_EQ(0, Call());
    EXPECT_EQ(before, block);
    // Defaults: two v2c attempts of 1 s, then v1 until the bound.
    EXPECT_EQ(snmp::kCallBoundMs, Elapsed());
    EXPECT_EQ(3u, agent.requests.size());
    EXPECT_EQ(snmp::Version::kV1, agent.requests.back().version);

    // An agent that falls silent half-way: what it said does not count.
    agent.silent = false;
    agent.answersLeft = 4;
    agent.requests.clear();
    EXPECT_EQ(0, Call());
    EXPECT_EQ(before, block);
    EXPECT_LE(Elapsed(), snmp::kCallBoundMs);

    // A wrong community is no answer at all.
    agent.answersLeft = 1 << 30;
    agent.community = "secret";
    Settings("[SNMP]\nTimeoutMs=200\nRetries=0\n");
    EXPECT_EQ(0, Call());
    EXPECT_EQ(400u, Elapsed()) << "one attempt per version";
    EXPECT_EQ(before, block);
}

TEST_F(SnmpModuleTest, OnlyTheAgentsOwnAnswerToThisRequestCounts) {
    Printer();
    Ask({kMemory});
    snmp::Message forged;
    forged.pdu = snmp::kResponse;
    forged.name = {1, 3, 6, 1, 2, 1, 25, 2, 2, 0};
    forged.value.kind = snmp::Value::Kind::kInteger;
    forged.value.integer = 1024 * 1024 * 9;
    std::uint8_t buffer[512];
    auto datagram = [&](const snmp::Message& m, snmp::Endpoint from) {
        const auto bytes = snmp::Encode(m, buffer);
        agent.injected.push_back({from, {bytes.begin(), bytes.end()}, 0});
    };
    forged.requestId = 77;  // the id the call will use, from another host and another port
    datagram(forged, {{192, 0, 2, 8}, 161});
    datagram(forged, {{192, 0, 2, 7}, 162});
    forged.requestId = 78;  // the agent's address, another request
    datagram(forged, agent.self);
    forged.requestId = 77;
    forged.community = "private";
    datagram(forged, agent.self);
    forged.community = "public";
    forged.version = snmp::Version::kV1;
    datagram(forged, agent.self);
    forged.version = snmp::Version::kV2c;
    forged.pdu = snmp::kGetRequest;
    datagram(forged, agent.self);
    agent.injected.push_back({agent.self, {0x30, 0x03, 0x02, 0x01}, 0});  // cut short
    ASSERT_EQ(1, Call());
    EXPECT_EQ(256, Field(kMemory)) << "the forged 9 GB were taken";
    EXPECT_EQ(1u, agent.requests.size());

    // A late answer to the first attempt is still its answer.
    agent.delayMs = 1500;
    agent.requests.clear();
    Ask({kMemory});
    ASSERT_EQ(1, Call());
    EXPECT_EQ(256, Field(kMemory));
    EXPECT_EQ(2u, agent.requests.size());
}

TEST_F(SnmpModuleTest, WalksEndAtTheRowLimitAndAtNamesThatDoNotIncrease) {
    for (std::uint32_t row = 1; row <= 500; ++row) {
        agent.ObjectId(Under(kDeviceType, {row}), {1, 3, 6, 1, 2, 1, 25, 3, 1, 5});
    }
    agent.ObjectId(Under(kDeviceType, {501}), kDiskStorage);
    Ask({kDisk});
    ASSERT_EQ(1, Call());
    EXPECT_EQ(snmp::kMaxRows, agent.requests.size());
    EXPECT_EQ(0, Field(kDisk)) << "the disk lies beyond the rows read";

    // An agent that answers GETNEXT with the name asked keeps no walk going.
    agent.objects.clear();
    agent.Integer(Under(kOutputType, {1, 1}), 3);
    agent.Integer(Under(kOutputType, {1, 2}), 3);
    agent.tamper = [](snmp::Message& m) { m.name = Under(kOutputType, {1, 1}); };
    agent.requests.clear();
    block.fill(0xFF);
    Ask({kBins});
    Settings("[SNMP]\nStandardOutputs=0\n");
    ASSERT_EQ(1, Call());
    EXPECT_EQ(2u, agent.requests.size());
    EXPECT_EQ(1, Field(kBins));
}

TEST_F(SnmpModuleTest, ThePortKeyGivesAddressAndCommunityAndCanSwitchSnmpOff) {
    Printer();
    agent.community = "secret";
    fake.registry.SetString(kStandard + u"CVL_1", u"IPAddress", u"192.0.2.7", platform::kRegSz,
                            &fake.registry.machine);
    fake.registry.SetString(kStandard + u"CVL_1", u"SNMP Community", u"secret", platform::kRegSz,
                            &fake.registry.machine);
    Ask({kMemory});
    ASSERT_EQ(1, Call(u"CVL_1"));
    EXPECT_EQ(256, Field(kMemory));

    auto key = fake.registry.OpenHive(platform::Hive::kLocalMachine, platform::kKeyAllAccess)
                   ->Create(kStandard + u"CVL_1", platform::kKeyAllAccess);
    const std::uint32_t off = 0;
    key->SetValue(u"SNMP Enabled", platform::kRegDword, &off, sizeof off);
    agent.requests.clear();
    Ask({kMemory});
    EXPECT_EQ(0, Call(u"CVL_1"));
    EXPECT_TRUE(agent.requests.empty());
    // No key and no address in the name: nobody to ask.
    EXPECT_EQ(0, Call(u"LPT1:"));
    EXPECT_EQ(0, Call(u"IP_192.0.2.256"));
    EXPECT_TRUE(agent.requests.empty());
}

TEST_F(SnmpModuleTest, SettingsMoveTheAgentPortAndTheStandardUnits) {
    Printer();
    agent.self.port = 16161;
    Settings(
        "[SNMP]\nPort=16161\nStandardInputs=0\nStandardOutputs=2\nTimeoutMs=99999\n"
        "Retries=-1\n");
    Ask({kTrays, kBins});
    ASSERT_EQ(1, Call());
    EXPECT_EQ(4, Field(kTrays)) << "three optional trays";
    EXPECT_EQ(0, Field(kBins));
    const snmp::Settings s = snmp::ReadSettings(&profiles, kSettings);
    EXPECT_EQ(1000u, s.timeoutMs) << "out of range: the default";
    EXPECT_EQ(1u, s.retries);

    // The last of two optional inputs holds 2000 sheets: a large tray 3.
    Settings("[SNMP]\nPort=16161\nLargeTrayCapacity=2000\n");
    Ask({kTrays});
    ASSERT_EQ(1, Call());
    EXPECT_EQ(11, Field(kTrays));
}

TEST(SnmpFacts, TrayCodesCountOptionalInputsAndPlaceALargeTrayLast) {
    snmp::Settings s;
    const std::int64_t none[] = {0};
    const std::span<const std::int64_t> unknown;
    EXPECT_EQ(0, snmp::TrayCode(0, unknown, s));
    EXPECT_EQ(0, snmp::TrayCode(1, unknown, s));
    EXPECT_EQ(1, snmp::TrayCode(2, unknown, s));
    EXPECT_EQ(3, snmp::TrayCode(3, unknown, s));
    EXPECT_EQ(4, snmp::TrayCode(4, unknown, s));
    EXPECT_EQ(4, snmp::TrayCode(40, unknown, s));
    EXPECT_EQ(1, snmp::TrayCode(2, none, s));

    s.largeTrayCapacity = 2000;
    const std::int64_t large1[] = {2000};
    const std::int64_t large2[] = {500, 2500};
    const std::int64_t large3[] = {500, 500, 2000};
    const std::int64_t firstOfTwo[] = {2000, 500};
    const std::int64_t unknowns[] = {-1, -2};
    EXPECT_EQ(10, snmp::TrayCode(2, large1, s));
    EXPECT_EQ(11, snmp::TrayCode(3, large2, s));
    EXPECT_EQ(12, snmp::TrayCode(4, large3, s));
    EXPECT_EQ(3, snmp::TrayCode(3, firstOfTwo, s)) << "no code has the large tray first";
    EXPECT_EQ(3, snmp::TrayCode(3, unknowns, s));
    s.largeTrayCapacity = 0;
    EXPECT_EQ(1, snmp::TrayCode(2, large1, s));
}

TEST(SnmpFacts, MemoryIsWholeMegabytesOfAnIntegerWithinTheField) {
    snmp::Value v;
    v.kind = snmp::Value::Kind::kInteger;
    v.integer = 1048575;
    EXPECT_EQ(1023, snmp::MemoryMegabytes(v));
    v.integer = std::int64_t{1} << 40;
    EXPECT_EQ(32767, snmp::MemoryMegabytes(v));
    v.integer = -5;
    EXPECT_EQ(0, snmp::MemoryMegabytes(v));
    v.kind = snmp::Value::Kind::kOctets;
    v.integer = 262144;
    EXPECT_EQ(0, snmp::MemoryMegabytes(v));
}

}  // namespace
