#include "snmp/client.h"

#include <algorithm>
#include <utility>

namespace snmp {
namespace {

// Retries beyond this add nothing within the call's bound.
constexpr std::uint32_t kMaxRetries = 5;

}  // namespace

Client::Client(Transport& transport, Clock& clock, ClientOptions options, std::uint32_t idSeed)
    : transport_(transport),
      clock_(clock),
      options_(std::move(options)),
      nextId_(idSeed & 0x3FFFFFFF) {
    options_.retries = std::min(options_.retries, kMaxRetries);
    options_.timeoutMs = std::max<std::uint32_t>(options_.timeoutMs, 1);
}

std::optional<Answer> Client::Get(const Oid& name) {
    std::optional<Answer> answer = Exchange(kGetRequest, name);
    // An answer about another object says nothing about this one.
    if (answer && answer->errorStatus == 0 && answer->name != name) {
        answer->value = Value();
        answer->value.kind = Value::Kind::kNoSuchObject;
    }
    return answer;
}

std::optional<Answer> Client::GetNext(const Oid& name) { return Exchange(kGetNextRequest, name); }

bool Client::Walk(const Oid& column, std::size_t maxRows,
                  const std::function<void(const Answer&)>& visit) {
    Oid at = column;
    for (std::size_t row = 0; row < maxRows; ++row) {
        const std::optional<Answer> answer = GetNext(at);
        if (!answer) return false;
        // The end of the column (or of the agent's objects, or an error): the walk is done.
        if (answer->errorStatus != 0 || answer->value.IsException() ||
            !answer->name.StartsWith(column) || answer->name.size() == column.size() ||
            !(answer->name > at)) {
            return true;
        }
        visit(*answer);
        at = answer->name;
    }
    return true;
}

std::optional<Answer> Client::Exchange(std::uint8_t pdu, const Oid& name) {
    if (version_) return Attempts(pdu, name, *version_);
    // Until the agent has answered once, SNMPv2c first, then SNMPv1.
    for (Version version : {Version::kV2c, Version::kV1}) {
        if (std::optional<Answer> answer = Attempts(pdu, name, version)) {
            version_ = version;
            return answer;
        }
    }
    return std::nullopt;
}

std::optional<Answer> Client::Attempts(std::uint8_t pdu, const Oid& name, Version version) {
    Message request;
    request.version = version;
    request.community = options_.community;
    request.pdu = pdu;
    request.name = name;

    // Request ids of this series: a late answer to an earlier attempt is an answer too.
    std::array<std::int32_t, kMaxRetries + 1> ids{};
    std::size_t idCount = 0;
    std::array<std::uint8_t, kMaxDatagram> datagram;
    Message reply;

    for (std::uint32_t attempt = 0; attempt <= options_.retries; ++attempt) {
        const std::uint64_t start = clock_.NowMs();
        if (start >= options_.deadlineMs) return std::nullopt;
        const std::uint64_t end = std::min(start + options_.timeoutMs, options_.deadlineMs);

        request.requestId = static_cast<std::int32_t>(nextId_);
        nextId_ = (nextId_ + 1) & 0x3FFFFFFF;
        std::array<std::uint8_t, 1024> out;
        const std::span<const std::uint8_t> encoded = Encode(request, out);
        if (encoded.empty()) return std::nullopt;
        ids[idCount++] = request.requestId;
        ++sent_;
        if (!transport_.Send(options_.agent, encoded)) continue;

        for (std::uint64_t now = start; now < end; now = clock_.NowMs()) {
            Endpoint from;
            const long got =
                transport_.Receive(datagram, static_cast<std::uint32_t>(end - now), &from);
            // A failed socket ends this attempt; its time-out is not waited for.
            if (got < 0) break;
            if (got == 0) continue;
            // Only the agent's own answers to this series count; anything else is dropped.
            if (from != options_.agent) continue;
            const auto bytes = std::span<const std::uint8_t>(datagram).first(
                std::min<std::size_t>(static_cast<std::size_t>(got), datagram.size()));
            if (!Decode(bytes, &reply) || reply.pdu != kResponse || reply.version != version ||
                reply.community != options_.community ||
                std::find(ids.begin(), ids.begin() + idCount, reply.requestId) ==
                    ids.begin() + idCount) {
                continue;
            }
            return Answer{reply.errorStatus, reply.name, reply.value};
        }
    }
    return std::nullopt;
}

}  // namespace snmp
