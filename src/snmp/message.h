// SNMPv1 and SNMPv2c messages with one variable binding: the requests the module sends and
// the responses it reads (an agent's answer to a one-binding request carries one binding).
//
//   Message ::= SEQUENCE { version INTEGER, community OCTET STRING, pdu }
//   pdu     ::= [tag] SEQUENCE { request-id, error-status, error-index INTEGER,
//                                variable-bindings SEQUENCE OF SEQUENCE { name, value } }
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "snmp/oid.h"

namespace snmp {

enum class Version : std::int32_t { kV1 = 0, kV2c = 1 };

inline constexpr std::uint8_t kGetRequest = 0xA0;
inline constexpr std::uint8_t kGetNextRequest = 0xA1;
inline constexpr std::uint8_t kResponse = 0xA2;

// Error status 2 of SNMPv1: the object does not exist (also: a walk went past the end).
inline constexpr std::int32_t kNoSuchName = 2;

// Communities longer than this are refused in both directions.
inline constexpr std::size_t kMaxCommunity = 255;

struct Value {
    enum class Kind {
        kInteger,         // INTEGER, and the unsigned Counter32, Gauge32, TimeTicks
        kObjectId,        // OBJECT IDENTIFIER
        kOctets,          // OCTET STRING (its contents are not kept)
        kNull,            // NULL
        kNoSuchObject,    // SNMPv2 exceptions
        kNoSuchInstance,  //
        kEndOfMibView,    //
        kOther,           // any other type, skipped
    };
    Kind kind = Kind::kNull;
    std::int64_t integer = 0;
    Oid oid;

    bool IsException() const {
        return kind == Kind::kNoSuchObject || kind == Kind::kNoSuchInstance ||
               kind == Kind::kEndOfMibView;
    }
};

struct Message {
    Version version = Version::kV2c;
    std::string community;
    std::uint8_t pdu = kGetRequest;
    std::int32_t requestId = 0;
    std::int32_t errorStatus = 0;
    std::int32_t errorIndex = 0;
    Oid name;
    Value value;  // NULL in requests
};

// The encoding at the end of `buffer`; empty when it does not fit or cannot be encoded.
std::span<const std::uint8_t> Encode(const Message& message, std::span<std::uint8_t> buffer);

// False for anything but one whole message of version 0 or 1 with one binding: trailing
// bytes, a community above kMaxCommunity, integers out of their 32-bit range and malformed
// elements all fail.
bool Decode(std::span<const std::uint8_t> datagram, Message* message);

}  // namespace snmp
