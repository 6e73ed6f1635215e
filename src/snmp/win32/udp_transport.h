// The module's UDP socket and clock over Winsock 2. They translate; the client decides.
#pragma once

#include <winsock2.h>
// clang-format off
#include <windows.h>
// clang-format on

#include "platform/unique_any.h"
#include "snmp/client.h"

namespace snmp::win32 {

// Winsock started for the object's life.
class WinsockSession {
  public:
    WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    ~WinsockSession();
    bool ok() const { return started_; }

  private:
    bool started_ = false;
};

inline void CloseSocket(SOCKET s) { closesocket(s); }
using UniqueSocket = platform::UniqueAny<SOCKET, &CloseSocket, INVALID_SOCKET>;

// An IPv4 UDP socket on an ephemeral port, closed with the object.
class UdpTransport final : public Transport {
  public:
    UdpTransport();
    bool ok() const { return session_.ok() && static_cast<bool>(socket_); }
    bool Send(const Endpoint& to, std::span<const std::uint8_t> datagram) override;
    long Receive(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs, Endpoint* from) override;

  private:
    WinsockSession session_;  // before the socket: started first, stopped last
    UniqueSocket socket_;
};

class TickClock final : public Clock {
  public:
    std::uint64_t NowMs() override { return GetTickCount64(); }
};

}  // namespace snmp::win32
