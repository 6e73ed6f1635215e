// An SNMP agent in memory for the native tests of the module: it plays the network (the
// Transport port) and time (the Clock port). Requests are decoded and answered from a table
// of objects the way an SNMPv1/v2c agent answers; time moves only when the module waits.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "snmp/client.h"
#include "snmp/message.h"

namespace fakes {

class FakeAgent final : public snmp::Transport, public snmp::Clock {
  public:
    struct Datagram {
        snmp::Endpoint from;
        std::vector<std::uint8_t> bytes;
        std::uint64_t at = 0;  // when it arrives
    };

    // Where the agent listens and whom it answers.
    snmp::Endpoint self{{192, 0, 2, 7}, 161};
    std::string community = "public";
    bool speaksV2c = true;
    bool speaksV1 = true;
    bool silent = false;        // a machine without an agent
    int answersLeft = 1 << 30;  // then it falls silent
    std::uint64_t delayMs = 1;  // between a request and its answer
    std::map<snmp::Oid, snmp::Value> objects;
    // Called with every answer before it is sent, to spoil it.
    std::function<void(snmp::Message&)> tamper;
    // Datagrams that arrive before the next answer, whatever was asked.
    std::deque<Datagram> injected;

    std::vector<snmp::Message> requests;  // as decoded, in order
    std::uint64_t now = 1000;

    void Integer(const snmp::Oid& name, std::int64_t value) {
        objects[name].kind = snmp::Value::Kind::kInteger;
        objects[name].integer = value;
    }
    void ObjectId(const snmp::Oid& name, const snmp::Oid& value) {
        objects[name].kind = snmp::Value::Kind::kObjectId;
        objects[name].oid = value;
    }

    std::uint64_t NowMs() override { return now; }

    bool Send(const snmp::Endpoint& to, std::span<const std::uint8_t> datagram) override {
        snmp::Message request;
        if (!snmp::Decode(datagram, &request)) return true;  // lost on the wire
        requests.push_back(request);
        if (to != self || silent || answersLeft <= 0 || request.community != community) {
            return true;
        }
        const bool v1 = request.version == snmp::Version::kV1;
        if ((v1 && !speaksV1) || (!v1 && !speaksV2c)) return true;
        --answersLeft;
        snmp::Message answer = request;
        answer.pdu = snmp::kResponse;
        Answer(request, v1, &answer);
        if (tamper) tamper(answer);
        std::vector<std::uint8_t> buffer(2048);
        const auto bytes = snmp::Encode(answer, buffer);
        pending_.push_back({self, {bytes.begin(), bytes.end()}, now + delayMs});
        return true;
    }

    long Receive(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs,
                 snmp::Endpoint* from) override {
        if (!injected.empty()) return Deliver(injected, buffer, from);
        if (!pending_.empty() && pending_.front().at <= now + timeoutMs) {
            now = std::max(now, pending_.front().at);
            return Deliver(pending_, buffer, from);
        }
        now += timeoutMs;
        return 0;
    }

  private:
    void Answer(const snmp::Message& request, bool v1, snmp::Message* answer) {
        using Kind = snmp::Value::Kind;
        auto exception = [&](Kind kind) {
            if (v1) {
                answer->errorStatus = snmp::kNoSuchName;
                answer->errorIndex = 1;
                answer->value = snmp::Value();
            } else {
                answer->value = snmp::Value();
                answer->value.kind = kind;
            }
        };
        if (request.pdu == snmp::kGetRequest) {
            const auto it = objects.find(request.name);
            if (it == objects.end()) return exception(Kind::kNoSuchObject);
            answer->value = it->second;
            return;
        }
        const auto it = objects.upper_bound(request.name);
        if (it == objects.end()) return exception(Kind::kEndOfMibView);
        answer->name = it->first;
        answer->value = it->second;
    }

    long Deliver(std::deque<Datagram>& queue, std::span<std::uint8_t> buffer,
                 snmp::Endpoint* from) {
        Datagram d = queue.front();
        queue.pop_front();
        if (d.bytes.size() > buffer.size()) return 0;
        std::copy(d.bytes.begin(), d.bytes.end(), buffer.begin());
        *from = d.from;
        return static_cast<long>(d.bytes.size());
    }

    std::deque<Datagram> pending_;
};

}  // namespace fakes
