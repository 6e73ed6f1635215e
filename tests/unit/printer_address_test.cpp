#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "autoconfig/printer_address.h"
#include "autoconfig/snmp_target.h"
#include "fakes/fake_platform.h"

namespace {

const std::u16string kStandard =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
const std::u16string kTalen =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Talen Network Printer Port\\";

class PrinterAddressTest : public ::testing::Test {
  protected:
    void Set(const std::u16string& key, std::u16string_view name, std::u16string_view value) {
        fake.registry.SetString(key, name, value, platform::kRegSz, &fake.registry.machine);
    }
    // The address read for a port, into a buffer filled with a sentinel beforehand.
    std::u16string Read(std::u16string_view port, bool expected) {
        std::fill(std::begin(address), std::end(address), u'\xCCCC');
        EXPECT_EQ(expected, autoconfig::ReadPortAddress(ports, port, address))
            << "port " << Narrow(port);
        return address;
    }
    static std::string Narrow(std::u16string_view s) { return {s.begin(), s.end()}; }

    fakes::FakePlatform fake;
    platform::Platform ports = fake.ports();
    char16_t address[autoconfig::kAddressUnits];
};

TEST_F(PrinterAddressTest, StandardPortsGiveTheirAddressOrTheLastAddressOfTheirHostName) {
    Set(kStandard + u"IP_1", u"IPAddress", u"10.1.2.3");
    Set(kStandard + u"IP_1", u"HostName", u"unused.example");
    Set(kStandard + u"Named", u"IPAddress", u"");
    Set(kStandard + u"Named", u"HostName", u"printer.example");
    Set(kStandard + u"Lost", u"IPAddress", u"");
    Set(kStandard + u"Lost", u"HostName", u"gone.example");
    Set(kStandard + u"Long", u"IPAddress", u"");
    Set(kStandard + u"Long", u"HostName", std::u16string(256, u'h'));  // 256 ANSI bytes
    fake.names.hosts["printer.example"] = {{10, 0, 0, 1}, {192, 168, 200, 255}};

    EXPECT_EQ(u"10.1.2.3", Read(u"IP_1", true));
    EXPECT_EQ(platform::kKeyRead, fake.registry.lastAccess);
    EXPECT_EQ(u"192.168.200.255", Read(u"Named", true));
    EXPECT_EQ(u"", Read(u"Lost", true));
    EXPECT_EQ(u"", Read(u"Long", true));
    EXPECT_EQ((std::vector<std::string>{"printer.example", "gone.example"}), fake.names.asked);
}

TEST_F(PrinterAddressTest, TalenPortsGiveTheirIpAndAStandardKeyAlwaysWins) {
    Set(kTalen + u"TNP_1", u"IP", u"172.16.0.9");
    Set(kTalen + u"TNP_2", u"Address", u"172.16.0.10");
    Set(kStandard + u"Both", u"IPAddress", u"10.0.0.7");
    Set(kTalen + u"Both", u"IP", u"172.16.0.11");
    Set(kStandard + u"NoValue", u"HostName", u"");
    Set(kTalen + u"NoValue", u"IP", u"172.16.0.12");

    EXPECT_EQ(u"172.16.0.9", Read(u"TNP_1", true));
    EXPECT_EQ(u"", Read(u"TNP_2", false));
    EXPECT_EQ(u"10.0.0.7", Read(u"Both", true));
    EXPECT_EQ(u"", Read(u"NoValue", false));
    EXPECT_EQ(u"", Read(u"LPT1:", false));
}

TEST_F(PrinterAddressTest, AValueThatFillsTheBufferIsCutTo259CharactersAndTerminated) {
    // 260 characters, no terminator: exactly the buffer's 520 bytes.
    const std::u16string full(260, u'7');
    auto key = fake.registry.OpenHive(platform::Hive::kLocalMachine, platform::kKeyAllAccess)
                   ->Create(kStandard + u"Full", platform::kKeyAllAccess);
    key->SetValue(u"IPAddress", platform::kRegSz, full.data(), 520);
    EXPECT_EQ(full.substr(0, 259), Read(u"Full", true));
    // A shorter value stored without a terminator ends with its bytes.
    key->SetValue(u"IPAddress", platform::kRegSz, u"10.0.0.9", 16);
    EXPECT_EQ(u"10.0.0.9", Read(u"Full", true));

    // The same bytes as a binary value are no address.
    key->SetValue(u"IPAddress", /*REG_BINARY*/ 3, full.data(), 520);
    EXPECT_EQ(u"", Read(u"Full", false));
}

TEST_F(PrinterAddressTest, PortNamesThatCannotNameTheirOwnKeyAreNotLookedUp) {
    // 75 characters of key path before the port name: 184 fit, 185 would be cut to the 184
    // of another port.
    const std::u16string fits(184, u'p');
    Set(kStandard + fits, u"IPAddress", u"10.0.0.184");
    Set(kStandard + u"IP_1", u"IPAddress", u"10.0.0.1");
    Set(kStandard + u"IP_1\\Nested", u"IPAddress", u"10.0.0.2");
    Set(kStandard, u"IPAddress", u"10.0.0.3");

    EXPECT_EQ(u"10.0.0.184", Read(fits, true));
    EXPECT_EQ(u"", Read(fits + u"q", false));
    EXPECT_EQ(u"", Read(u"IP_1\\Nested", false));
    EXPECT_EQ(u"", Read(std::u16string_view(u"IP_1\0x", 6), false));
    EXPECT_EQ(u"", Read(u"", false));
}

TEST_F(PrinterAddressTest, ThePrintersFirstPortIsLookedUpThroughAValidHandle) {
    Set(kStandard + u"IP_1", u"IPAddress", u"10.0.0.1");
    void* const printer = reinterpret_cast<void*>(0x1234);
    fake.spooler.portName = u"IP_1,IP_2";
    address[0] = u'x';
    EXPECT_TRUE(autoconfig::FindPrinterAddress(ports, printer, address));
    EXPECT_EQ(u"10.0.0.1", std::u16string(address));

    address[0] = u'x';
    EXPECT_FALSE(autoconfig::FindPrinterAddress(ports, reinterpret_cast<void*>(~std::uintptr_t{0}),
                                                address));
    EXPECT_EQ(1, fake.spooler.portQueries) << "INVALID_HANDLE_VALUE reached the spooler";
    EXPECT_EQ(u'\0', address[0]);

    fake.spooler.portMissing = true;
    EXPECT_FALSE(autoconfig::FindPrinterAddress(ports, printer, address));
}

TEST(SnmpTargetTest, OnlyFourDottedNumbersUpTo255AreAnAddress) {
    EXPECT_EQ((autoconfig::Ipv4{10, 0, 255, 9}), autoconfig::ParseIpv4(u"10.0.255.9"));
    for (std::u16string_view bad : {u"10.0.256.9", u"10.0.0", u"10.0.0.9.1", u"10.0.0.9 ",
                                    u"10..0.9", u"1000.0.0.9", u"0010.0.0.9", u"-1.0.0.9", u""}) {
        EXPECT_FALSE(autoconfig::ParseIpv4(bad).has_value()) << std::string(bad.begin(), bad.end());
    }
}

TEST_F(PrinterAddressTest, SnmpTargetsComeFromTheMonitorKeyOrFromAnIpPortName) {
    autoconfig::SnmpTarget target;
    Set(kStandard + u"Named", u"IPAddress", u"printer.example");
    Set(kStandard + u"Named", u"SNMP Community", u"");
    fake.names.hosts["printer.example"] = {{10, 0, 0, 1}, {10, 0, 0, 2}};
    ASSERT_TRUE(autoconfig::ReadSnmpTarget(ports, u"Named,IP_10.9.9.9", &target));
    EXPECT_EQ((autoconfig::Ipv4{10, 0, 0, 2}), target.address) << "the host's last address";
    EXPECT_EQ("public", target.community) << "an empty community is the default one";
    EXPECT_TRUE(target.enabled);
    // A community too long for the module, or one that fills the value's buffer without a
    // terminator, is not taken.
    Set(kStandard + u"Named", u"SNMP Community", std::u16string(256, u'c'));
    ASSERT_TRUE(autoconfig::ReadSnmpTarget(ports, u"Named", &target));
    EXPECT_EQ("public", target.community);
    const std::u16string full(260, u'c');
    fake.registry.OpenHive(platform::Hive::kLocalMachine, platform::kKeyAllAccess)
        ->Create(kStandard + u"Named", platform::kKeyAllAccess)
        ->SetValue(u"SNMP Community", platform::kRegSz, full.data(), 520);
    ASSERT_TRUE(autoconfig::ReadSnmpTarget(ports, u"Named", &target));
    EXPECT_EQ("public", target.community);

    // A port named after its address, known to no monitor.
    ASSERT_TRUE(autoconfig::ReadSnmpTarget(ports, u"IP_192.168.1.20", &target));
    EXPECT_EQ((autoconfig::Ipv4{192, 168, 1, 20}), target.address);
    // A monitor key wins over the name; without an address it is no target.
    Set(kStandard + u"IP_192.168.1.21", u"IPAddress", u"");
    EXPECT_FALSE(autoconfig::ReadSnmpTarget(ports, u"IP_192.168.1.21", &target));
    EXPECT_FALSE(autoconfig::ReadSnmpTarget(ports, u"IP_printer", &target));
}

}  // namespace
