#include "snmp/ber.h"

namespace snmp::ber {

void Writer::Put(std::uint8_t byte) {
    if (!ok_ || start_ == 0) {
        ok_ = false;
        return;
    }
    buffer_[--start_] = byte;
}

void Writer::Header(std::uint8_t tag, std::size_t mark) {
    if (mark > size()) {
        ok_ = false;
        return;
    }
    std::size_t length = size() - mark;
    if (length < 0x80) {
        Put(static_cast<std::uint8_t>(length));
    } else {
        std::uint8_t count = 0;
        for (; length != 0; length >>= 8, ++count) Put(static_cast<std::uint8_t>(length));
        Put(static_cast<std::uint8_t>(0x80 | count));
    }
    Put(tag);
}

void Writer::Integer(std::int64_t value, std::uint8_t tag) {
    const std::size_t mark = size();
    // Two's complement, least significant byte first, until the rest is the sign alone.
    for (;;) {
        const auto low = static_cast<std::uint8_t>(value & 0xFF);
        Put(low);
        value >>= 8;  // arithmetic: the sign stays
        const bool signBit = (low & 0x80) != 0;
        if ((value == 0 && !signBit) || (value == -1 && signBit)) break;
    }
    Header(tag, mark);
}

void Writer::Octets(std::string_view value, std::uint8_t tag) {
    const std::size_t mark = size();
    for (auto it = value.rbegin(); it != value.rend(); ++it) Put(static_cast<std::uint8_t>(*it));
    Header(tag, mark);
}

void Writer::ObjectId(const Oid& oid, std::uint8_t tag) {
    if (oid.size() < 2 || oid[0] > 2 || (oid[0] < 2 && oid[1] > 39) || oid[1] > 0xFFFFFFFFu - 80) {
        ok_ = false;
        return;
    }
    const std::size_t mark = size();
    auto putArc = [this](std::uint32_t arc) {
        // Base 128, most significant group first; written back to front.
        Put(static_cast<std::uint8_t>(arc & 0x7F));
        for (arc >>= 7; arc != 0; arc >>= 7) Put(static_cast<std::uint8_t>(0x80 | (arc & 0x7F)));
    };
    for (std::size_t i = oid.size(); i-- > 2;) putArc(oid[i]);
    putArc(oid[0] * 40 + oid[1]);
    Header(tag, mark);
}

bool Reader::Next(Element* element) {
    auto fail = [this] {
        bytes_ = {};
        return false;
    };
    if (bytes_.size() < 2) return fail();
    const std::uint8_t tag = bytes_[0];
    // High tag numbers never occur in SNMP.
    if ((tag & 0x1F) == 0x1F) return fail();
    std::size_t at = 1;
    std::size_t length = bytes_[at++];
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        // 0x80 is the indefinite form, which SNMP does not use; no datagram needs more
        // than four length bytes.
        if (count == 0 || count > 4 || bytes_.size() - at < count) return fail();
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = (length << 8) | bytes_[at++];
    }
    if (length > bytes_.size() - at) return fail();
    element->tag = tag;
    element->contents = bytes_.subspan(at, length);
    bytes_ = bytes_.subspan(at + length);
    return true;
}

bool Reader::Expect(std::uint8_t tag, Element* element) {
    return Next(element) && element->tag == tag;
}

bool Reader::Enter(const Element& element, Reader* inner) const {
    if (depth_ + 1 > kMaxDepth) return false;
    *inner = Reader(element.contents, depth_ + 1);
    return true;
}

bool DecodeInteger(std::span<const std::uint8_t> contents, std::int64_t* value) {
    if (contents.empty() || contents.size() > 8) return false;
    // Sign-extend from the first byte, then shift the rest in.
    std::uint64_t bits = (contents[0] & 0x80) ? ~std::uint64_t{0} : 0;
    for (std::uint8_t byte : contents) bits = (bits << 8) | byte;
    *value = static_cast<std::int64_t>(bits);
    return true;
}

bool DecodeUnsigned32(std::span<const std::uint8_t> contents, std::int64_t* value) {
    if (contents.empty() || contents.size() > 5) return false;
    std::uint64_t bits = 0;
    for (std::uint8_t byte : contents) bits = (bits << 8) | byte;
    // Five bytes only with a leading zero; an unsigned type has no sign bit.
    if ((contents[0] & 0x80) || bits > 0xFFFFFFFFu) return false;
    *value = static_cast<std::int64_t>(bits);
    return true;
}

bool DecodeObjectId(std::span<const std::uint8_t> contents, Oid* oid) {
    *oid = Oid();
    if (contents.empty()) return false;
    std::uint64_t arc = 0;
    bool first = true;
    bool fresh = true;  // at the first byte of a sub-identifier
    for (std::uint8_t byte : contents) {
        // A sub-identifier never starts with a padding byte.
        if (fresh && byte == 0x80) return false;
        fresh = false;
        arc = (arc << 7) | (byte & 0x7F);
        if (arc > 0xFFFFFFFFu + std::uint64_t{80}) return false;
        if (byte & 0x80) continue;
        if (first) {
            // The first sub-identifier holds two arcs: 40 * x + y.
            const std::uint64_t x = arc < 40 ? 0 : arc < 80 ? 1 : 2;
            if (!oid->Append(static_cast<std::uint32_t>(x)) ||
                !oid->Append(static_cast<std::uint32_t>(arc - 40 * x))) {
                return false;
            }
            first = false;
        } else {
            if (arc > 0xFFFFFFFFu || !oid->Append(static_cast<std::uint32_t>(arc))) return false;
        }
        arc = 0;
        fresh = true;
    }
    // The last byte must end a sub-identifier.
    return fresh;
}

}  // namespace snmp::ber
