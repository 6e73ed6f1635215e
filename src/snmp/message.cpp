#include "snmp/message.h"

#include <limits>

#include "snmp/ber.h"

namespace snmp {
namespace {

// Application and context tags of the value types.
constexpr std::uint8_t kCounter32 = 0x41;
constexpr std::uint8_t kGauge32 = 0x42;
constexpr std::uint8_t kTimeTicks = 0x43;
constexpr std::uint8_t kNoSuchObject = 0x80;
constexpr std::uint8_t kNoSuchInstance = 0x81;
constexpr std::uint8_t kEndOfMibView = 0x82;

void EncodeValue(ber::Writer& w, const Value& value) {
    switch (value.kind) {
        case Value::Kind::kInteger:
            return w.Integer(value.integer);
        case Value::Kind::kObjectId:
            return w.ObjectId(value.oid);
        case Value::Kind::kOctets:
            return w.Octets({});
        case Value::Kind::kNoSuchObject:
            return w.Empty(kNoSuchObject);
        case Value::Kind::kNoSuchInstance:
            return w.Empty(kNoSuchInstance);
        case Value::Kind::kEndOfMibView:
            return w.Empty(kEndOfMibView);
        case Value::Kind::kNull:
        case Value::Kind::kOther:
            return w.Empty(ber::kNull);
    }
}

bool DecodeValue(const ber::Element& e, Value* value) {
    *value = Value();
    switch (e.tag) {
        case ber::kInteger:
            value->kind = Value::Kind::kInteger;
            return ber::DecodeInteger(e.contents, &value->integer);
        case kCounter32:
        case kGauge32:
        case kTimeTicks:
            value->kind = Value::Kind::kInteger;
            return ber::DecodeUnsigned32(e.contents, &value->integer);
        case ber::kObjectId:
            value->kind = Value::Kind::kObjectId;
            return ber::DecodeObjectId(e.contents, &value->oid);
        case ber::kOctetString:
            value->kind = Value::Kind::kOctets;
            return true;
        case ber::kNull:
            value->kind = Value::Kind::kNull;
            return e.contents.empty();
        case kNoSuchObject:
            value->kind = Value::Kind::kNoSuchObject;
            return e.contents.empty();
        case kNoSuchInstance:
            value->kind = Value::Kind::kNoSuchInstance;
            return e.contents.empty();
        case kEndOfMibView:
            value->kind = Value::Kind::kEndOfMibView;
            return e.contents.empty();
        default:
            // Constructed values never occur in a binding.
            value->kind = Value::Kind::kOther;
            return (e.tag & 0x20) == 0;
    }
}

bool DecodeInt32(ber::Reader& r, std::int32_t* out) {
    ber::Element e;
    std::int64_t value = 0;
    if (!r.Expect(ber::kInteger, &e) || !ber::DecodeInteger(e.contents, &value) ||
        value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    *out = static_cast<std::int32_t>(value);
    return true;
}

}  // namespace

std::span<const std::uint8_t> Encode(const Message& message, std::span<std::uint8_t> buffer) {
    if (message.community.size() > kMaxCommunity) return {};
    ber::Writer w(buffer);
    // Back to front: the binding, the binding list, the PDU fields, the message header.
    EncodeValue(w, message.value);
    w.ObjectId(message.name);
    w.Header(ber::kSequence, 0);
    w.Header(ber::kSequence, 0);
    w.Integer(message.errorIndex);
    w.Integer(message.errorStatus);
    w.Integer(message.requestId);
    w.Header(message.pdu, 0);
    w.Octets(message.community);
    w.Integer(static_cast<std::int32_t>(message.version));
    w.Header(ber::kSequence, 0);
    return w.bytes();
}

bool Decode(std::span<const std::uint8_t> datagram, Message* message) {
    ber::Reader top(datagram);
    ber::Element e;
    ber::Reader body(datagram);
    // One message, and nothing after it.
    if (!top.Expect(ber::kSequence, &e) || !top.AtEnd() || !top.Enter(e, &body)) return false;

    std::int32_t version = -1;
    if (!DecodeInt32(body, &version) || (version != 0 && version != 1)) return false;
    message->version = static_cast<Version>(version);
    if (!body.Expect(ber::kOctetString, &e) || e.contents.size() > kMaxCommunity) return false;
    message->community.assign(e.contents.begin(), e.contents.end());

    ber::Reader pdu(datagram);
    if (!body.Next(&e) || !body.AtEnd()) return false;
    if (e.tag != kGetRequest && e.tag != kGetNextRequest && e.tag != kResponse) return false;
    message->pdu = e.tag;
    if (!body.Enter(e, &pdu)) return false;
    if (!DecodeInt32(pdu, &message->requestId) || !DecodeInt32(pdu, &message->errorStatus) ||
        !DecodeInt32(pdu, &message->errorIndex)) {
        return false;
    }

    ber::Reader list(datagram);
    ber::Reader binding(datagram);
    if (!pdu.Expect(ber::kSequence, &e) || !pdu.AtEnd() || !pdu.Enter(e, &list)) return false;
    if (!list.Expect(ber::kSequence, &e) || !list.AtEnd() || !list.Enter(e, &binding)) {
        return false;
    }
    if (!binding.Expect(ber::kObjectId, &e) || !ber::DecodeObjectId(e.contents, &message->name)) {
        return false;
    }
    return binding.Next(&e) && binding.AtEnd() && DecodeValue(e, &message->value);
}

}  // namespace snmp
