#include "snmp/win32/udp_transport.h"

#include <cstring>

namespace snmp::win32 {
namespace {

// WSAIoctl code that stops a UDP socket from reporting an earlier datagram's "port
// unreachable" as a failure of the next receive (SIO_UDP_CONNRESET).
constexpr DWORD kUdpConnReset = IOC_IN | IOC_VENDOR | 12;

}  // namespace

WinsockSession::WinsockSession() {
    WSADATA data = {};
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession() {
    if (started_) WSACleanup();
}

UdpTransport::UdpTransport() {
    if (!session_.ok()) return;
    socket_.reset(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket_) return;
    BOOL report = FALSE;
    DWORD returned = 0;
    // Not every system knows the code; the client copes with resets either way.
    WSAIoctl(socket_.get(), kUdpConnReset, &report, sizeof report, nullptr, 0, &returned, nullptr,
             nullptr);
}

bool UdpTransport::Send(const Endpoint& to, std::span<const std::uint8_t> datagram) {
    if (!ok() || datagram.size() > 0x7FFFFFFF) return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(to.port);
    std::memcpy(&address.sin_addr, to.address.data(), 4);
    const int sent = sendto(socket_.get(), reinterpret_cast<const char*>(datagram.data()),
                            static_cast<int>(datagram.size()), 0,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent == static_cast<int>(datagram.size());
}

long UdpTransport::Receive(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs,
                           Endpoint* from) {
    if (!ok() || buffer.size() > 0x7FFFFFFF) return -1;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_.get(), &readable);
    timeval wait = {static_cast<long>(timeoutMs / 1000),
                    static_cast<long>(timeoutMs % 1000) * 1000};
    const int ready = select(0, &readable, nullptr, nullptr, &wait);
    if (ready == SOCKET_ERROR) return -1;
    if (ready == 0) return 0;
    sockaddr_in sender = {};
    int senderBytes = sizeof sender;
    const int got = recvfrom(socket_.get(), reinterpret_cast<char*>(buffer.data()),
                             static_cast<int>(buffer.size()), 0,
                             reinterpret_cast<sockaddr*>(&sender), &senderBytes);
    if (got == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        // A datagram too large for the buffer is dropped; a reset reports an earlier
        // datagram's unreachable port. Neither ends the wait.
        return error == WSAEMSGSIZE || error == WSAECONNRESET ? 0 : -1;
    }
    if (sender.sin_family != AF_INET || senderBytes < static_cast<int>(sizeof sender)) return 0;
    std::memcpy(from->address.data(), &sender.sin_addr, 4);
    from->port = ntohs(sender.sin_port);
    return got;
}

}  // namespace snmp::win32
