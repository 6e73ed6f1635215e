// Printer address discovery through the Win32 adapters in-process, against Wine's real
// spooler, registry and sockets: a printer on a custom port name, the Standard TCP/IP Port
// monitor's keys written under HKLM by the test, and a host name resolved by Winsock.
// Winsock 2 must come before windows.h, which would otherwise bring in Winsock 1.
#include <winsock2.h>
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
// clang-format on

#include <winspool.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "autoconfig/printer_address.h"
#include "model_install.h"
#include "platform/win32/win32_platform.h"

namespace {

const std::wstring kMonitorKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port";
constexpr wchar_t kPrinterName[] = L"Cvl Address Test";

// The test printer, on the TALEN sample's driver, and the port keys a test writes; all of
// it is removed afterwards, the monitor's key too when it was not there before.
class PrinterAddress : public ::testing::Test {
  protected:
    void SetUp() override {
        model = hostsim::FindModel(L"Talen ColorPrint C5");
        ASSERT_NE(nullptr, model);
        HKEY probe = nullptr;
        monitorExisted = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMonitorKey.c_str(), 0, KEY_READ,
                                       &probe) == ERROR_SUCCESS;
        if (probe != nullptr) RegCloseKey(probe);
        hostsim::RemovePrinter(kPrinterName);  // left behind by a run that died
    }

    void TearDown() override {
        printer.reset();
        hostsim::RemovePrinter(kPrinterName);
        for (const std::wstring& port : portKeys) {
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kMonitorKey + L"\\Ports\\" + port).c_str());
        }
        if (!monitorExisted) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMonitorKey.c_str());
    }

    // Opens the printer, added on `port`; false when the spooler refuses it.
    bool AddPrinterOn(const wchar_t* port) {
        std::wstring error;
        const hostsim::ModelSpec onPort = {kPrinterName, model->driverName, model->dataFile, port};
        const bool added = hostsim::InstallModel(onPort, &error);
        printer = std::make_unique<hostsim::OpenedPrinter>(kPrinterName);
        return added && *printer;
    }

    // Writes a value of the port's key, `bytes` long (the text and its terminator by default).
    void SetPortValue(const std::wstring& port, const wchar_t* name, const std::wstring& value,
                      DWORD bytes = 0) {
        portKeys.push_back(port);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kMonitorKey + L"\\Ports\\" + port).c_str(),
                                  0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
        if (bytes == 0) bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        const LONG status = RegSetValueExW(key, name, 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(value.c_str()), bytes);
        RegCloseKey(key);
        ASSERT_EQ(ERROR_SUCCESS, status);
    }

    // The address found for the test printer, into a buffer filled with a sentinel.
    std::u16string Find(bool expected) {
        char16_t address[autoconfig::kAddressUnits];
        std::fill(std::begin(address), std::end(address), u'\xCCCC');
        EXPECT_EQ(expected,
                  autoconfig::FindPrinterAddress(platform.ports(), printer->get(), address));
        return address;
    }

    win32::Win32Platform platform;
    const hostsim::ModelSpec* model = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    std::vector<std::wstring> portKeys;
    bool monitorExisted = false;
};

TEST_F(PrinterAddress, AStandardPortsAddressComesBackAsStoredAndCutWhenItFillsTheBuffer) {
    SetPortValue(L"IP_10.9.8.7", L"IPAddress", L"10.9.8.7");
    SetPortValue(L"IP_10.9.8.7", L"HostName", L"unused.example");
    ASSERT_TRUE(AddPrinterOn(L"IP_10.9.8.7")) << "error " << GetLastError();
    EXPECT_EQ(u"10.9.8.7", Find(true));

    // 520 bytes without a terminator (a null just after them would be stored as well): the
    // real registry hands back exactly the buffer's size, and the text is terminated here.
    SetPortValue(L"CVL_FULL", L"IPAddress", std::wstring(261, L'9'), 520);
    char16_t address[autoconfig::kAddressUnits];
    std::fill(std::begin(address), std::end(address), u'\xCCCC');
    EXPECT_TRUE(autoconfig::ReadPortAddress(platform.ports(), u"CVL_FULL", address));
    EXPECT_EQ(std::u16string(259, u'9'), std::u16string(address, 259));
    EXPECT_EQ(u'\0', address[259]);
}

TEST_F(PrinterAddress, AnEmptyAddressGivesTheHostNamesAddressThroughWinsock) {
    SetPortValue(L"CVL_LOCALHOST", L"IPAddress", L"");
    SetPortValue(L"CVL_LOCALHOST", L"HostName", L"localhost");
    ASSERT_TRUE(AddPrinterOn(L"CVL_LOCALHOST")) << "error " << GetLastError();
    EXPECT_EQ(u"127.0.0.1", Find(true));

    // A name with a null inside is not shortened to the name before it.
    EXPECT_TRUE(platform.ports().names->Resolve(std::string_view("localhost\0.bad", 14)).empty());

    // The sockets service is stopped again, also after a name that does not resolve: this
    // process never started it, so no socket can be made.
    EXPECT_TRUE(platform.ports().names->Resolve("cvl-no-such-host.invalid").empty());
    EXPECT_EQ(INVALID_SOCKET, socket(AF_INET, SOCK_DGRAM, 0));
    EXPECT_EQ(WSANOTINITIALISED, WSAGetLastError());

    // Names reach the resolver in the ANSI code page (1252 in this prefix), cut at whole
    // characters.
    EXPECT_EQ("\xE9t\xE9", platform.ports().system->ToAnsi(u"\u00E9t\u00E9!", 3));
}

TEST_F(PrinterAddress, APortWithoutAMonitorKeyHasNoAddress) {
    ASSERT_TRUE(AddPrinterOn(L"CVL_NOKEY")) << "error " << GetLastError();
    EXPECT_EQ(u"", Find(false));
}

}  // namespace
