// The module's BER codec and SNMP messages: the bytes on the wire, and datagrams that must
// be refused without reading a byte outside them (the sanitizers watch every case).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "snmp/ber.h"
#include "snmp/message.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const snmp::Oid kMemorySize{1, 3, 6, 1, 2, 1, 25, 2, 2, 0};

// GET hrMemorySize.0, SNMPv2c, community "public", request id 1.
const Bytes kGetRequest = {0x30, 0x27, 0x02, 0x01, 0x01, 0x04, 0x06, 'p',  'u',  'b',  'l',
                           'i',  'c',  0xA0, 0x1A, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02,
                           0x01, 0x00, 0x30, 0x0F, 0x30, 0x0D, 0x06, 0x09, 0x2B, 0x06, 0x01,
                           0x02, 0x01, 0x19, 0x02, 0x02, 0x00, 0x05, 0x00};

// snmpd's 44-byte answer to it: INTEGER 262144.
Bytes Answer() {
    Bytes answer = kGetRequest;
    answer[1] = 0x2A;
    answer[13] = 0xA2;
    answer[14] = 0x1D;
    answer[25] = 0x12;
    answer[27] = 0x10;
    answer.resize(answer.size() - 2);
    for (std::uint8_t b : {0x02, 0x03, 0x04, 0x00, 0x00}) answer.push_back(b);
    return answer;
}

Bytes Encoded(const snmp::Message& message) {
    std::uint8_t buffer[1024];
    const auto bytes = snmp::Encode(message, buffer);
    return Bytes(bytes.begin(), bytes.end());
}

bool Decodes(const Bytes& bytes) {
    snmp::Message message;
    return snmp::Decode(bytes, &message);
}

TEST(SnmpCodec, RequestsAndAnswersHaveTheWireFormatOfTheAgent) {
    snmp::Message request;
    request.community = "public";
    request.requestId = 1;
    request.name = kMemorySize;
    EXPECT_EQ(kGetRequest, Encoded(request));

    const Bytes answer = Answer();
    ASSERT_EQ(44u, answer.size());
    snmp::Message decoded;
    ASSERT_TRUE(snmp::Decode(answer, &decoded));
    EXPECT_EQ(snmp::Version::kV2c, decoded.version);
    EXPECT_EQ("public", decoded.community);
    EXPECT_EQ(snmp::kResponse, decoded.pdu);
    EXPECT_EQ(1, decoded.requestId);
    EXPECT_TRUE(decoded.name == kMemorySize);
    EXPECT_EQ(snmp::Value::Kind::kInteger, decoded.value.kind);
    EXPECT_EQ(262144, decoded.value.integer);
}

TEST(SnmpCodec, ValuesAtTheEdgesOfTheirRangesRoundTrip) {
    snmp::Message m;
    m.version = snmp::Version::kV1;
    m.community = std::string(255, 'c');  // long form lengths
    m.pdu = snmp::kResponse;
    m.requestId = INT32_MIN;
    m.errorStatus = 127;
    m.errorIndex = 128;
    m.name = {2, 999, 0, 127, 128, 16383, 16384, 0xFFFFFFFFu};
    for (std::int64_t integer : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{-129},
                                 std::int64_t{255}, INT64_MAX, INT64_MIN}) {
        m.value.kind = snmp::Value::Kind::kInteger;
        m.value.integer = integer;
        snmp::Message back;
        ASSERT_TRUE(snmp::Decode(Encoded(m), &back)) << integer;
        EXPECT_EQ(integer, back.value.integer);
        EXPECT_EQ(m.community, back.community);
        EXPECT_EQ(INT32_MIN, back.requestId);
        EXPECT_EQ(128, back.errorIndex);
        EXPECT_TRUE(back.name == m.name);
    }
    m.value.kind = snmp::Value::Kind::kObjectId;
    m.value.oid = {1, 3, 6, 1, 2, 1, 25, 3, 1, 6};
    snmp::Message back;
    ASSERT_TRUE(snmp::Decode(Encoded(m), &back));
    EXPECT_TRUE(back.value.oid == m.value.oid);
    for (auto kind : {snmp::Value::Kind::kNoSuchObject, snmp::Value::Kind::kNoSuchInstance,
                      snmp::Value::Kind::kEndOfMibView}) {
        m.value.kind = kind;
        ASSERT_TRUE(snmp::Decode(Encoded(m), &back));
        EXPECT_EQ(kind, back.value.kind);
        EXPECT_TRUE(back.value.IsException());
    }
    m.community = std::string(128, 'c');  // the shortest long-form length
    ASSERT_TRUE(snmp::Decode(Encoded(m), &back));
    EXPECT_EQ(m.community, back.community);
}

TEST(SnmpCodec, WhatCannotBeEncodedOrDoesNotFitGivesNothing) {
    snmp::Message m;
    m.community = "public";
    m.name = kMemorySize;
    std::uint8_t small[40];
    EXPECT_TRUE(snmp::Encode(m, small).empty()) << "41 bytes do not fit 40";
    for (const snmp::Oid& bad : {snmp::Oid{1}, snmp::Oid{3, 1}, snmp::Oid{1, 40}}) {
        m.name = bad;
        EXPECT_TRUE(Encoded(m).empty());
    }
    m.name = kMemorySize;
    m.community = std::string(256, 'c');
    EXPECT_TRUE(Encoded(m).empty());
}

TEST(SnmpCodec, EveryCutOfAnAnswerAndAnythingAfterItIsRefused) {
    const Bytes answer = Answer();
    for (std::size_t size = 0; size < answer.size(); ++size) {
        EXPECT_FALSE(Decodes(Bytes(answer.begin(), answer.begin() + size))) << size << " bytes";
    }
    Bytes longer = answer;
    longer.push_back(0);
    EXPECT_FALSE(Decodes(longer));
}

TEST(SnmpCodec, LengthsTagsAndNestingOutsideTheBoundsAreRefused) {
    Bytes answer = Answer();
    Bytes lie = answer;
    lie[1] = 0x2B;  // one more than there is
    EXPECT_FALSE(Decodes(lie));
    lie = answer;
    lie[16] = 0x7F;  // request id longer than its PDU
    EXPECT_FALSE(Decodes(lie));
    lie = answer;
    lie[6] = 0x7F;  // a community longer than the message around it
    EXPECT_FALSE(Decodes(lie));
    EXPECT_FALSE(Decodes({0x30, 0x84, 0x00})) << "length bytes cut short";
    lie = answer;
    for (std::size_t at : {1, 14, 25, 27}) lie[at] += 2;  // a NULL after the binding's value
    lie.insert(lie.end(), {0x05, 0x00});
    EXPECT_FALSE(Decodes(lie));
    // A community of 255 bytes is the longest one.
    auto withCommunity = [&](std::size_t size) {
        Bytes m = {0x02, 0x01, 0x01, 0x04, 0x82, 0x00, static_cast<std::uint8_t>(size)};
        m[5] = static_cast<std::uint8_t>(size >> 8);
        m.insert(m.end(), size, 'c');
        m.insert(m.end(), answer.begin() + 13, answer.end());
        const std::size_t n = m.size();
        m.insert(m.begin(),
                 {0x30, 0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
        return m;
    };
    EXPECT_TRUE(Decodes(withCommunity(255)));
    EXPECT_FALSE(Decodes(withCommunity(256)));
    // Long-form lengths: five length bytes, the indefinite form, 4 GB.
    EXPECT_FALSE(Decodes({0x30, 0x85, 0x00, 0x00, 0x00, 0x00, 0x02}));
    EXPECT_FALSE(Decodes({0x30, 0x80, 0x02, 0x01, 0x01, 0x00, 0x00}));
    EXPECT_FALSE(Decodes({0x30, 0x84, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0x01}));
    // A multi-byte tag where the message starts.
    EXPECT_FALSE(Decodes({0x3F, 0x81, 0x01, 0x00}));
    // Thousands of nested sequences: refused at the first level that is not the message's,
    // without descending further.
    Bytes deep;
    for (int i = 0; i < 5000; ++i) {
        const std::size_t length = deep.size();
        Bytes header = {0x30};
        if (length < 0x80) {
            header.push_back(static_cast<std::uint8_t>(length));
        } else {
            header.push_back(0x82);
            header.push_back(static_cast<std::uint8_t>(length >> 8));
            header.push_back(static_cast<std::uint8_t>(length));
        }
        deep.insert(deep.begin(), header.begin(), header.end());
    }
    EXPECT_FALSE(Decodes(deep));
    // A request id of nine bytes, a version of 2 (SNMPv3 lies elsewhere).
    Bytes big = {0x30, 0x0E, 0x02, 0x01, 0x01, 0x04, 0x00, 0xA2, 0x0B, 0x02, 0x09};
    for (int i = 0; i < 9; ++i) big.push_back(0x01);
    big[1] = static_cast<std::uint8_t>(big.size() - 2);
    big[8] = static_cast<std::uint8_t>(big.size() - 9);
    EXPECT_FALSE(Decodes(big));
    Bytes v3 = answer;
    v3[4] = 0x03;
    EXPECT_FALSE(Decodes(v3));

    snmp::ber::Reader reader(deep);
    snmp::ber::Element e;
    for (int depth = 0; depth < snmp::ber::Reader::kMaxDepth; ++depth) {
        ASSERT_TRUE(reader.Next(&e));
        ASSERT_TRUE(reader.Enter(e, &reader)) << depth;
    }
    ASSERT_TRUE(reader.Next(&e));
    EXPECT_FALSE(reader.Enter(e, &reader)) << "nesting stops at its bound";
}

TEST(SnmpCodec, ObjectIdsAndIntegersOutsideTheirRangesAreRefused) {
    using snmp::ber::DecodeInteger;
    using snmp::ber::DecodeObjectId;
    using snmp::ber::DecodeUnsigned32;
    snmp::Oid oid;
    std::int64_t value = 0;
    const Bytes arcTooBig = {0x2B, 0x90, 0x80, 0x80, 0x80, 0x00};  // 2^32
    const Bytes padded = {0x2B, 0x80, 0x01};
    const Bytes unfinished = {0x2B, 0x06, 0x81};
    EXPECT_FALSE(DecodeObjectId(arcTooBig, &oid));
    EXPECT_FALSE(DecodeObjectId(padded, &oid));
    EXPECT_FALSE(DecodeObjectId(unfinished, &oid));
    EXPECT_FALSE(DecodeObjectId({}, &oid));
    Bytes many(128, 0x01);  // 129 arcs
    EXPECT_FALSE(DecodeObjectId(many, &oid));
    many.pop_back();
    EXPECT_TRUE(DecodeObjectId(many, &oid));
    EXPECT_EQ(128u, oid.size());

    EXPECT_FALSE(DecodeInteger(Bytes(9, 0x01), &value));
    EXPECT_FALSE(DecodeInteger({}, &value));
    EXPECT_TRUE(DecodeInteger(Bytes{0xFF, 0x7F}, &value));
    EXPECT_EQ(-129, value);
    EXPECT_TRUE(DecodeUnsigned32(Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFF}, &value));
    EXPECT_EQ(0xFFFFFFFFll, value);
    EXPECT_FALSE(DecodeUnsigned32(Bytes{0x01, 0x00, 0x00, 0x00, 0x00}, &value));
    EXPECT_FALSE(DecodeUnsigned32(Bytes{0x80}, &value));
}

}  // namespace
