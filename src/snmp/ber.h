// The subset of BER that SNMP messages use: single-byte tags, definite lengths, INTEGER,
// OCTET STRING, NULL and OBJECT IDENTIFIER contents. Both directions work on bounded buffers
// and never allocate; every length read is checked against what is left of its enclosing
// element before a byte of it is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "snmp/oid.h"

namespace snmp::ber {

inline constexpr std::uint8_t kInteger = 0x02;
inline constexpr std::uint8_t kOctetString = 0x04;
inline constexpr std::uint8_t kNull = 0x05;
inline constexpr std::uint8_t kObjectId = 0x06;
inline constexpr std::uint8_t kSequence = 0x30;

// Writes an encoding back to front into a fixed buffer, so that each constructed element's
// length is known when its header is written: write the contents, then the header over the
// bytes written since a mark. Once anything does not fit, the writer stays failed.
class Writer {
  public:
    explicit Writer(std::span<std::uint8_t> buffer) : buffer_(buffer), start_(buffer.size()) {}

    // Bytes written so far; a mark for Header.
    std::size_t size() const { return buffer_.size() - start_; }
    bool ok() const { return ok_; }
    // The encoding, at the end of the buffer; empty when something did not fit.
    std::span<const std::uint8_t> bytes() const {
        return ok_ ? std::span<const std::uint8_t>(buffer_).subspan(start_)
                   : std::span<const std::uint8_t>();
    }

    // The tag and length of an element whose contents were written since `mark`.
    void Header(std::uint8_t tag, std::size_t mark);
    void Integer(std::int64_t value, std::uint8_t tag = kInteger);
    void Octets(std::string_view value, std::uint8_t tag = kOctetString);
    // An element without contents (NULL, and the exception values of SNMPv2).
    void Empty(std::uint8_t tag) { Header(tag, size()); }
    // Fails for identifiers that cannot be encoded (fewer than two arcs, first above 2,
    // second above 39 under a first arc of 0 or 1).
    void ObjectId(const Oid& oid, std::uint8_t tag = kObjectId);

  private:
    void Put(std::uint8_t byte);

    std::span<std::uint8_t> buffer_;
    std::size_t start_;
    bool ok_ = true;
};

// One element: its tag and its contents, a view into the datagram.
struct Element {
    std::uint8_t tag = 0;
    std::span<const std::uint8_t> contents;
};

// Reads the elements of one level in order. A reader for an element's contents is one level
// deeper; deeper than kMaxDepth fails, whatever the datagram says.
class Reader {
  public:
    static constexpr int kMaxDepth = 8;

    explicit Reader(std::span<const std::uint8_t> bytes, int depth = 0)
        : bytes_(bytes), depth_(depth) {}

    bool AtEnd() const { return bytes_.empty(); }
    // The next element; false (and the reader spent) when the bytes do not hold one: a
    // multi-byte tag, an indefinite or over-long length, or contents past the end.
    bool Next(Element* element);
    // The next element, which must carry `tag`.
    bool Expect(std::uint8_t tag, Element* element);
    // A reader of a constructed element's contents; false past the depth bound.
    bool Enter(const Element& element, Reader* inner) const;

  private:
    std::span<const std::uint8_t> bytes_;
    int depth_;
};

// Contents decoders. Integers of more than 8 bytes fail (none of the objects read needs
// more); padded integers are accepted, as some agents send them.
bool DecodeInteger(std::span<const std::uint8_t> contents, std::int64_t* value);
// Unsigned application integers (Counter32, Gauge32, TimeTicks) of up to 32 bits.
bool DecodeUnsigned32(std::span<const std::uint8_t> contents, std::int64_t* value);
// Fails for an empty identifier, a sub-identifier above 32 bits or with a padding byte, one
// cut short at the end, or more than Oid::kMaxArcs arcs.
bool DecodeObjectId(std::span<const std::uint8_t> contents, Oid* oid);

}  // namespace snmp::ber
