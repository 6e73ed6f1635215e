// The asking side of SNMP over UDP: GET and GETNEXT of one object, with retries, a time-out
// per attempt and one deadline for everything; SNMPv2c first, SNMPv1 when the agent answers
// no SNMPv2c request; table columns walked with GETNEXT up to a row limit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "snmp/message.h"
#include "snmp/oid.h"

namespace snmp {

struct Endpoint {
    std::array<std::uint8_t, 4> address{};
    std::uint16_t port = 0;
    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

// A UDP socket.
class Transport {
  public:
    virtual ~Transport() = default;
    // Sends one datagram; false when it could not be sent.
    virtual bool Send(const Endpoint& to, std::span<const std::uint8_t> datagram) = 0;
    // Waits up to `timeoutMs` for one datagram: its size with *from its sender; 0 when none
    // came in time or what came cannot be used (larger than the buffer); -1 when the socket
    // failed.
    virtual long Receive(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs,
                         Endpoint* from) = 0;
};

// Milliseconds from any fixed start.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::uint64_t NowMs() = 0;
};

struct ClientOptions {
    Endpoint agent;
    std::string community = "public";
    std::uint32_t timeoutMs = 1000;  // per attempt
    std::uint32_t retries = 1;       // attempts after the first, per version
    std::uint64_t deadlineMs = 0;    // on the clock: no attempt waits past it
};

// What the agent answered to one request.
struct Answer {
    std::int32_t errorStatus = 0;
    Oid name;
    Value value;
};

class Client {
  public:
    // The largest datagram read; anything larger is not an answer.
    static constexpr std::size_t kMaxDatagram = 4096;

    Client(Transport& transport, Clock& clock, ClientOptions options, std::uint32_t idSeed);

    // Empty when the agent did not answer within the retries and the deadline.
    std::optional<Answer> Get(const Oid& name);
    std::optional<Answer> GetNext(const Oid& name);

    // Visits the objects under `column` in the agent's order, at most `maxRows`; stops at the
    // column's end, an error or exception answer, or a name that does not increase. False
    // when the agent stopped answering.
    bool Walk(const Oid& column, std::size_t maxRows,
              const std::function<void(const Answer&)>& visit);

    // The version the agent answered, once it has.
    std::optional<Version> version() const { return version_; }
    // Requests sent so far (for reports and tests).
    std::uint32_t sent() const { return sent_; }

  private:
    std::optional<Answer> Exchange(std::uint8_t pdu, const Oid& name);
    std::optional<Answer> Attempts(std::uint8_t pdu, const Oid& name, Version version);

    Transport& transport_;
    Clock& clock_;
    ClientOptions options_;
    std::uint32_t nextId_;
    std::uint32_t sent_ = 0;
    std::optional<Version> version_;
};

}  // namespace snmp
