// The network address of the printer behind a queue, read from the configuration its port
// monitor keeps in the machine registry (the Standard TCP/IP Port monitor, or else the Talen
// Network Printer Port monitor); a host name is resolved to an IPv4 address. Uses the
// platform ports only, so that the SNMP module can link it too.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "platform/ports.h"

namespace autoconfig {

// The address buffer: at most 259 characters and a terminator (520 bytes).
inline constexpr std::size_t kAddressUnits = 260;

// The address of the printer's port: its first port when the printer pools several. True
// when the port's monitor key was found and its address value read; the address may then
// still be empty (an empty IPAddress whose HostName is missing or does not resolve). On
// false the address is empty. The handle stays the caller's.
bool FindPrinterAddress(const platform::Platform& ports, void* printer,
                        char16_t (&address)[kAddressUnits]);

// The registry lookup for one port name: the Standard TCP/IP Port key first, the Talen
// Network Printer Port key only when the port has no Standard TCP/IP Port key. False, with
// the address empty, when neither key can be read or the port name cannot name a key of
// its own (empty, holding "\" or a null, or too long for a key path of 259 characters).
bool ReadPortAddress(const platform::Platform& ports, std::u16string_view port,
                     char16_t (&address)[kAddressUnits]);

// The port's key under the Standard TCP/IP Port monitor, opened for reading; null when it is
// missing or the port name cannot name a key of its own.
std::unique_ptr<platform::RegistryKey> OpenStandardPortKey(const platform::Platform& ports,
                                                           std::u16string_view port);

// Resolves a host name and writes the last address of its list in dotted-decimal text.
// The address stays as it was when the name does not resolve or does not fit 255 ANSI
// bytes (a shortened name would name another host).
void ResolveHostName(const platform::Platform& ports, std::u16string_view name,
                     char16_t (&address)[kAddressUnits]);

}  // namespace autoconfig
