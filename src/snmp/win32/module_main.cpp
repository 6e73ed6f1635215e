// The export of the SNMP module <prefix>N.DLL: SNMP_AutoUpdate, as auto-configuration of the
// plug-in calls it (docs/snmp-module.md). It hands the portable call the shared Win32
// adapters, a UDP socket and the clock; nothing escapes it, whatever happens.
#include <winsock2.h>
// clang-format off
#include <windows.h>
// clang-format on

#include <cstring>
#include <optional>
#include <string>

#include "platform/win32/system_ports.h"
#include "platform/win32/thread_runtime.h"
#include "snmp/auto_update.h"
#include "snmp/win32/udp_transport.h"

namespace {

// 255 bytes and the terminator, as the plug-in hands the port name.
constexpr std::size_t kPortNameBytes = 256;

// The settings file beside the module: its own path with ".INI" for its extension; empty
// when the path cannot be had.
std::u16string SettingsPath() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&SettingsPath), &self)) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    // A path that filled the buffer was cut: it names another file.
    if (length == 0 || length >= MAX_PATH) return {};
    std::u16string settings(path, path + length);
    const std::size_t dot = settings.find_last_of(u'.');
    const std::size_t slash = settings.find_last_of(u'\\');
    if (dot == settings.npos || (slash != settings.npos && dot < slash)) return {};
    settings.replace(dot, settings.npos, u".INI");
    return settings;
}

// The ANSI port name in UTF-16; empty when it is not terminated within its buffer.
std::u16string PortName(const char* portName) {
    const std::size_t bytes = strnlen(portName, kPortNameBytes);
    if (bytes == 0 || bytes == kPortNameBytes) return {};
    wchar_t wide[kPortNameBytes] = {};
    const int units = MultiByteToWideChar(CP_ACP, 0, portName, static_cast<int>(bytes), wide,
                                          static_cast<int>(kPortNameBytes));
    if (units <= 0) return {};
    return std::u16string(wide, wide + units);
}

// The UDP socket, opened at the first datagram: a port that names no SNMP agent (a file, a
// local port) is answered without starting Winsock or making a socket, which under Wine
// costs milliseconds of every opening of the document settings.
class SocketOnFirstUse final : public snmp::Transport {
  public:
    bool Send(const snmp::Endpoint& to, std::span<const std::uint8_t> datagram) override {
        return Open() && transport_->Send(to, datagram);
    }
    long Receive(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs,
                 snmp::Endpoint* from) override {
        return Open() ? transport_->Receive(buffer, timeoutMs, from) : -1;
    }

  private:
    bool Open() {
        if (!transport_) transport_.emplace();
        return transport_->ok();
    }
    std::optional<snmp::win32::UdpTransport> transport_;
};

}  // namespace

extern "C" unsigned short WINAPI SNMP_AutoUpdate(const char* portName, unsigned char* block,
                                                 int* /*flag*/, void* /*reserved*/) {
    if (portName == nullptr || block == nullptr) return 0;
    try {
        const std::u16string port = PortName(portName);
        if (port.empty()) return 0;
        win32::Win32Registry registry;
        win32::Win32NameService names;
        win32::Win32SystemInfo system;
        win32::Win32ProfileFiles profiles;
        platform::Platform ports;
        ports.registry = &registry;
        ports.names = &names;
        ports.system = &system;
        ports.profiles = &profiles;

        SocketOnFirstUse transport;
        snmp::win32::TickClock clock;
        // Request ids that differ from call to call and from process to process.
        const auto seed = static_cast<std::uint32_t>(GetTickCount() * 2654435761u) ^
                          (GetCurrentProcessId() << 12);
        snmp::Environment environment{ports, transport, clock, SettingsPath(), seed};
        return snmp::AutoUpdate(environment, port, snmp::Block(block, autoconfig::kBlockBytes));
    } catch (...) {
        return 0;
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // On FreeLibrary (not at process end) the thread library's record of the unloading
    // thread goes with the module.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) win32::ReleaseThreadRuntime(instance);
    return TRUE;
}
