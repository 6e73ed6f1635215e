#include "autoconfig/printer_address.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "profile/bounded_text.h"

namespace autoconfig {
namespace {

constexpr char16_t kStandardPortKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\%s";
constexpr char16_t kTalenPortKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Talen Network Printer Port\\%s";
constexpr std::size_t kKeyPathUnits = 260;   // 259 characters and a terminator
constexpr std::size_t kAnsiNameBytes = 256;  // 255 bytes and a terminator

// The monitor's key of the port; null when it is missing or its path does not fit (a
// shortened path would name another port's key).
std::unique_ptr<platform::RegistryKey> OpenPortKey(platform::RegistryKey& machine,
                                                   std::u16string_view format,
                                                   std::u16string_view port) {
    char16_t path[kKeyPathUnits];
    if (text::Format(path, kKeyPathUnits, format, {port}) != text::kOk) return nullptr;
    return machine.Open(path, platform::kKeyRead);
}

// Reads a text value into a buffer of 520 bytes. A value that fills the buffer is stored
// without a terminator, so the text is cut to 259 characters and terminated; on failure the
// buffer holds the empty text. A value of another type (a number, bytes) fails: read as text
// it would name an address made of control characters.
bool ReadText(platform::RegistryKey& key, std::u16string_view name,
              char16_t (&buffer)[kAddressUnits]) {
    std::uint32_t type = 0;
    std::uint32_t bytes = sizeof buffer;
    if (key.QueryValue(name, &type, buffer, &bytes) != platform::kRegSuccess ||
        (type != platform::kRegSz && type != platform::kRegExpandSz)) {
        buffer[0] = u'\0';
        return false;
    }
    buffer[std::min<std::size_t>(bytes / sizeof(char16_t), kAddressUnits - 1)] = u'\0';
    return true;
}

// A key name holds neither "\" nor a null: such a port name would lead to another key.
bool CanNameKey(std::u16string_view port) {
    constexpr std::u16string_view kNotInKeyNames(u"\\\0", 2);
    return !port.empty() && port.find_first_of(kNotInKeyNames) == port.npos;
}

bool IsInvalidHandle(void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle) == ~std::uintptr_t{0};
}

}  // namespace

bool FindPrinterAddress(const platform::Platform& ports, void* printer,
                        char16_t (&address)[kAddressUnits]) {
    address[0] = u'\0';
    if (printer == nullptr || IsInvalidHandle(printer) || ports.spooler == nullptr) return false;
    std::u16string port;
    if (ports.spooler->PortName(printer, &port) != platform::kErrorSuccess) return false;
    // A pooled printer lists its ports separated by commas; the first one is asked.
    return ReadPortAddress(ports, std::u16string_view(port).substr(0, port.find(u',')), address);
}

bool ReadPortAddress(const platform::Platform& ports, std::u16string_view port,
                     char16_t (&address)[kAddressUnits]) {
    address[0] = u'\0';
    if (!CanNameKey(port) || ports.registry == nullptr) return false;
    const auto machine =
        ports.registry->OpenHive(platform::Hive::kLocalMachine, platform::kKeyRead);
    if (!machine) return false;

    // A port with a Standard TCP/IP Port key is never looked up under the other monitor.
    if (const auto standard = OpenPortKey(*machine, kStandardPortKey, port)) {
        if (!ReadText(*standard, u"IPAddress", address)) return false;
        if (address[0] == u'\0') {
            char16_t hostName[kAddressUnits] = {};
            if (ReadText(*standard, u"HostName", hostName) && hostName[0] != u'\0') {
                ResolveHostName(ports, hostName, address);
            }
        }
        return true;
    }
    const auto talen = OpenPortKey(*machine, kTalenPortKey, port);
    return talen != nullptr && ReadText(*talen, u"IP", address);
}

std::unique_ptr<platform::RegistryKey> OpenStandardPortKey(const platform::Platform& ports,
                                                           std::u16string_view port) {
    if (!CanNameKey(port) || ports.registry == nullptr) return nullptr;
    const auto machine =
        ports.registry->OpenHive(platform::Hive::kLocalMachine, platform::kKeyRead);
    return machine ? OpenPortKey(*machine, kStandardPortKey, port) : nullptr;
}

void ResolveHostName(const platform::Platform& ports, std::u16string_view name,
                     char16_t (&address)[kAddressUnits]) {
    if (name.empty() || ports.system == nullptr || ports.names == nullptr) return;
    const std::string ansi = ports.system->ToAnsi(name, kAnsiNameBytes);
    if (ansi.empty() || ansi.size() >= kAnsiNameBytes) return;
    const auto addresses = ports.names->Resolve(ansi);
    if (addresses.empty()) return;
    const auto& last = addresses.back();
    char16_t dotted[16];
    if (text::Format(dotted, 16, u"%u.%u.%u.%u",
                     {unsigned{last[0]}, unsigned{last[1]}, unsigned{last[2]},
                      unsigned{last[3]}}) != text::kOk) {
        return;
    }
    text::Copy(address, kAddressUnits, dotted);
}

}  // namespace autoconfig
