// The SNMP module's BER decoder and message parsing on arbitrary datagrams. Checked: every
// element read lies inside the element (or datagram) that holds it; integers and object
// identifiers decode to values that encode and decode back to themselves, in no more bytes;
// a decoded message encodes to a message that decodes to the same fields, no longer than the
// datagram it came from; a message with a byte after it is refused.

#include <array>
#include <span>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "snmp/ber.h"
#include "snmp/message.h"

namespace {

using snmp::Oid;
using snmp::ber::Element;
using snmp::ber::Reader;
using snmp::ber::Writer;

bool Within(std::span<const std::uint8_t> inner, std::span<const std::uint8_t> outer) {
    return inner.empty() || (inner.data() >= outer.data() &&
                             inner.data() + inner.size() <= outer.data() + outer.size());
}

// Identifiers whose first two arcs do not fit one 32-bit sub-identifier cannot be written.
bool Encodable(const Oid& oid) {
    return !(oid.size() >= 2 && oid[0] == 2 && oid[1] > 0xFFFFFFFFu - 80);
}

void CheckContents(const Element& e) {
    std::array<std::uint8_t, 1024> buffer;
    std::int64_t value = 0;
    if (snmp::ber::DecodeInteger(e.contents, &value)) {
        Writer w(buffer);
        w.Integer(value);
        FUZZ_CHECK(w.ok());
        Reader r(w.bytes());
        Element again;
        std::int64_t back = 0;
        FUZZ_CHECK(r.Expect(snmp::ber::kInteger, &again) && r.AtEnd());
        FUZZ_CHECK(snmp::ber::DecodeInteger(again.contents, &back) && back == value);
        FUZZ_CHECK(again.contents.size() <= e.contents.size());
    }
    if (snmp::ber::DecodeUnsigned32(e.contents, &value)) {
        FUZZ_CHECK(value >= 0 && value <= 0xFFFFFFFFll);
    }
    Oid oid;
    if (snmp::ber::DecodeObjectId(e.contents, &oid)) {
        FUZZ_CHECK(oid.size() >= 2 && oid[0] <= 2 && (oid[0] == 2 || oid[1] < 40));
        Writer w(buffer);
        w.ObjectId(oid);
        FUZZ_CHECK(w.ok() == Encodable(oid));
        if (w.ok()) {
            Reader r(w.bytes());
            Element again;
            Oid back;
            FUZZ_CHECK(r.Expect(snmp::ber::kObjectId, &again) && r.AtEnd());
            FUZZ_CHECK(snmp::ber::DecodeObjectId(again.contents, &back) && back == oid);
            FUZZ_CHECK(again.contents.size() <= e.contents.size());
        }
    }
}

// Reads every element of one level, and of the levels below as far as the reader goes. Each
// element has a header of two bytes or more of its own: a datagram holds at most half as many
// elements as it has bytes.
void Walk(Reader reader, std::span<const std::uint8_t> outer, std::size_t datagramBytes,
          std::size_t* elements) {
    Element e;
    while (!reader.AtEnd() && reader.Next(&e)) {
        FUZZ_CHECK(Within(e.contents, outer));
        FUZZ_CHECK((e.tag & 0x1F) != 0x1F);
        FUZZ_CHECK(++*elements <= datagramBytes / 2);
        CheckContents(e);
        Reader inner(e.contents);
        if ((e.tag & 0x20) != 0 && reader.Enter(e, &inner)) {
            Walk(inner, e.contents, datagramBytes, elements);
        }
    }
}

bool SameValue(const snmp::Value& decoded, const snmp::Value& original) {
    using Kind = snmp::Value::Kind;
    // Values of other types go out as NULL; octet strings without their contents.
    const Kind expected = original.kind == Kind::kOther ? Kind::kNull : original.kind;
    if (decoded.kind != expected) return false;
    if (expected == Kind::kInteger) return decoded.integer == original.integer;
    if (expected == Kind::kObjectId) return decoded.oid == original.oid;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> datagram(data, size);
    std::size_t elements = 0;
    Walk(Reader(datagram), datagram, size, &elements);

    snmp::Message message;
    if (!snmp::Decode(datagram, &message)) return 0;
    FUZZ_CHECK(message.community.size() <= snmp::kMaxCommunity);
    FUZZ_CHECK(message.pdu == snmp::kGetRequest || message.pdu == snmp::kGetNextRequest ||
               message.pdu == snmp::kResponse);

    // One byte more is not one message any longer.
    std::vector<std::uint8_t> longer(data, data + size);
    longer.push_back(0);
    snmp::Message ignored;
    FUZZ_CHECK(!snmp::Decode(longer, &ignored));

    std::array<std::uint8_t, 4096> buffer;
    const std::span<const std::uint8_t> encoded = snmp::Encode(message, buffer);
    const bool encodable =
        Encodable(message.name) &&
        (message.value.kind != snmp::Value::Kind::kObjectId || Encodable(message.value.oid));
    FUZZ_CHECK(encoded.empty() != encodable);
    if (encoded.empty()) return 0;
    FUZZ_CHECK(encoded.size() <= size);
    snmp::Message again;
    FUZZ_CHECK(snmp::Decode(encoded, &again));
    FUZZ_CHECK(again.version == message.version && again.community == message.community &&
               again.pdu == message.pdu && again.requestId == message.requestId &&
               again.errorStatus == message.errorStatus && again.errorIndex == message.errorIndex &&
               again.name == message.name && SameValue(again.value, message.value));
    return 0;
}
