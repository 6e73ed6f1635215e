// The shipped SNMP module against real agents (net-snmp's snmpd on loopback, started by
// with-agents.sh), called as the plug-in calls it; the whole road through the printer
// properties is the spooler road's. Runs in bin\, where CVLN.DLL lies beside CVLU.DLL.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model_install.h"
#include "snmp_module_host.h"

namespace {

const wchar_t kModule[] = L"CVLN.DLL";
const wchar_t kSettings[] = L"CVLN.INI";
constexpr std::uint32_t kAskAll = 0x001 | 0x002 | 0x004 | 0x020 | 0x100 | 0x200;

unsigned AgentPort(const char* variable) {
    const char* text = std::getenv(variable);
    return text != nullptr ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 0;
}

class SnmpAgent : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(0u, AgentPort("CVL_SNMP_PRINTER_PORT"))
            << "run through tests/wine/snmp/with-agents.sh, which starts the agents";
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallNetworkPrinter(L"public", &error)) << error;
    }
    void TearDown() override {
        DeleteFileW(kSettings);
        hostsim::AddStandardTcpIpPort(hostsim::NetworkPrinter().portName, L"127.0.0.1", L"public",
                                      1);
    }
    // The module called as the plug-in calls it for the sample model; the call's time in *ms.
    unsigned short Call(const char* port, hostsim::AutoConfigBlock& block, long* ms = nullptr) {
        hostsim::SnmpModule module;
        EXPECT_TRUE(module.Load(kModule));
        const auto start = std::chrono::steady_clock::now();
        const unsigned short result = module.Call(port, block);
        if (ms != nullptr) {
            *ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
        }
        return result;
    }
};

TEST_F(SnmpAgent, AnAgentOfSnmpV1OnlyAndOneWithoutThePrinterMibAnswerWhatTheyHave) {
    // The v2c requests go unanswered (300 ms each), then SNMPv1 reads everything.
    ASSERT_TRUE(
        hostsim::WriteSnmpSettings(kSettings, AgentPort("CVL_SNMP_V1_PORT"), "TimeoutMs=300\r\n"));
    hostsim::AutoConfigBlock block = hostsim::RequestBlock(kAskAll, 5);
    ASSERT_EQ(1, Call("IP_127.0.0.1", block));
    EXPECT_EQ(3, hostsim::BlockField(block, 4)) << "two optional trays";
    EXPECT_EQ(1, hostsim::BlockField(block, 6));
    EXPECT_EQ(1, hostsim::BlockField(block, 8));
    EXPECT_EQ(1, hostsim::BlockField(block, 16));
    EXPECT_EQ(256, hostsim::BlockField(block, 22));
    EXPECT_EQ(1, hostsim::BlockField(block, 24));
    EXPECT_EQ(-1, hostsim::BlockField(block, 12)) << "not asked, not written";
    EXPECT_EQ(5, block[21]);

    ASSERT_TRUE(hostsim::WriteSnmpSettings(kSettings, AgentPort("CVL_SNMP_PRINTER_PORT")));
    block = hostsim::RequestBlock(kAskAll, 5);
    long ms = 0;
    ASSERT_EQ(1, Call("IP_127.0.0.1", block, &ms));
    std::printf("the sample printer over SNMPv2c: every fact in %ld ms\n", ms);

    ASSERT_TRUE(hostsim::WriteSnmpSettings(kSettings, AgentPort("CVL_SNMP_PLAIN_PORT")));
    block = hostsim::RequestBlock(kAskAll, 5);
    ASSERT_EQ(1, Call("CVL_NET_1", block));
    for (std::size_t offset : {4, 6, 8, 16, 24}) {
        EXPECT_EQ(0, hostsim::BlockField(block, offset)) << "offset " << offset;
    }
    EXPECT_EQ(128, hostsim::BlockField(block, 22));
}

TEST_F(SnmpAgent, NoAgentOrAWrongCommunityChangesNothingWithinTheBound) {
    // The default time-out and retry: the whole call's bound of 3 s is what ends it.
    ASSERT_TRUE(hostsim::WriteSnmpSettings(kSettings, AgentPort("CVL_SNMP_DOWN_PORT")));
    const hostsim::AutoConfigBlock asked = hostsim::RequestBlock(kAskAll, 5);
    hostsim::AutoConfigBlock block = asked;
    long ms = 0;
    EXPECT_EQ(0, Call("CVL_NET_1", block, &ms));
    EXPECT_EQ(asked, block);
    EXPECT_LT(ms, 4500) << "the call is bounded by 3 s (slack for a loaded machine)";
    std::printf("no agent: result 0 after %ld ms\n", ms);

    ASSERT_TRUE(hostsim::WriteSnmpSettings(kSettings, AgentPort("CVL_SNMP_PRINTER_PORT"),
                                           "TimeoutMs=200\r\nRetries=0\r\n"));
    ASSERT_TRUE(hostsim::AddStandardTcpIpPort(hostsim::NetworkPrinter().portName, L"127.0.0.1",
                                              L"private", 1));
    EXPECT_EQ(0, Call("CVL_NET_1", block));
    EXPECT_EQ(asked, block);
    // The agent does answer the port's community of "public".
    ASSERT_TRUE(hostsim::AddStandardTcpIpPort(hostsim::NetworkPrinter().portName, L"127.0.0.1",
                                              L"public", 1));
    EXPECT_EQ(1, Call("CVL_NET_1", block));
    ASSERT_TRUE(hostsim::AddStandardTcpIpPort(hostsim::NetworkPrinter().portName, L"127.0.0.1",
                                              L"public", 0));
    block = asked;
    EXPECT_EQ(0, Call("CVL_NET_1", block)) << "SNMP switched off on the port";
    EXPECT_EQ(asked, block);
}

}  // namespace
