#include <gtest/gtest.h>

#include <string>

#include "profile/bounded_text.h"

namespace {

// A destination with guard units on both sides, so a test sees every unit written.
struct Guarded {
    explicit Guarded(std::size_t units) : buffer(units + 2, u'#') {}
    char16_t* data() { return buffer.data() + 1; }
    std::u16string_view text() { return std::u16string_view(data()); }
    bool guardsIntact(std::size_t units) const {
        return buffer.front() == u'#' && buffer[units + 1] == u'#';
    }
    std::u16string buffer;
};

TEST(BoundedText, CopyCutsAndTerminates) {
    Guarded d(4);
    EXPECT_EQ(text::kOk, text::Copy(d.data(), 4, u"abc"));
    EXPECT_EQ(u"abc", d.text());
    EXPECT_EQ(text::kTruncated, text::Copy(d.data(), 4, u"abcd"));
    EXPECT_EQ(u"abc", d.text());
    EXPECT_TRUE(d.guardsIntact(4));
    EXPECT_EQ(text::kOk, text::Copy(d.data(), 4, static_cast<const char16_t*>(nullptr)));
    EXPECT_EQ(u"", d.text());

    // Unusable sizes write nothing.
    Guarded z(1);
    z.data()[0] = u'x';
    EXPECT_EQ(text::kInvalidArgument, text::Copy(z.data(), 0, u"a"));
    EXPECT_EQ(text::kInvalidArgument, text::Copy(z.data(), 0x80000000u, u"a"));
    EXPECT_EQ(u'x', z.data()[0]);
    EXPECT_EQ(text::kTruncated, text::Copy(z.data(), 1, u"a"));
    EXPECT_EQ(u"", z.text());
}

TEST(BoundedText, CopyReadsAnUnterminatedSourceOnlyAsFarAsNeeded) {
    // The source is a full field without terminator; the copy must not read past it.
    const char16_t field[3] = {u'a', u'b', u'c'};
    Guarded d(3);
    EXPECT_EQ(text::kTruncated, text::Copy(d.data(), 3, std::u16string_view(field, 3)));
    EXPECT_EQ(u"ab", d.text());
    EXPECT_EQ(3u, text::FieldLength(field, 3));
}

TEST(BoundedText, LengthNeedsATerminatorWithinTheBound) {
    std::size_t n = 99;
    EXPECT_EQ(text::kOk, text::Length(u"abc", 4, &n));
    EXPECT_EQ(3u, n);
    EXPECT_EQ(text::kInvalidArgument, text::Length(u"abc", 3, &n));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(text::kInvalidArgument, text::Length(nullptr, 3, &n));
    EXPECT_EQ(text::kInvalidArgument, text::Length(u"", 0, &n));
}

TEST(BoundedText, ConcatAppendsWithinTheBound) {
    Guarded d(6);
    text::Copy(d.data(), 6, u"ab");
    EXPECT_EQ(text::kOk, text::Concat(d.data(), 6, u"cd"));
    EXPECT_EQ(u"abcd", d.text());
    EXPECT_EQ(text::kTruncated, text::Concat(d.data(), 6, u"efg"));
    EXPECT_EQ(u"abcde", d.text());
    EXPECT_TRUE(d.guardsIntact(6));

    char16_t full[3] = {u'a', u'b', u'c'};  // no terminator inside the size
    EXPECT_EQ(text::kInvalidArgument, text::Concat(full, 3, u"d"));
    EXPECT_EQ(u'c', full[2]);
}

TEST(BoundedText, FormatSubstitutesTypedArguments) {
    char16_t out[64];
    EXPECT_EQ(text::kOk, text::Format(out, 64, u"%s%s%s.DAT", {u"C:\\d\\3\\", u"CVL", u"JP"}));
    EXPECT_EQ(u"C:\\d\\3\\CVLJP.DAT", std::u16string_view(out));
    EXPECT_EQ(text::kOk, text::Format(out, 64, u"%u,%d,%x,%X,%03d,%5d|%%|%c",
                                      {4294967295u, -17, 255, 255, 7, 42, 'Z'}));
    EXPECT_EQ(u"4294967295,-17,ff,FF,007,   42|%|Z", std::u16string_view(out));
    EXPECT_EQ(text::kOk, text::Format(out, 64, u"%d", {static_cast<long long>(INT64_MIN)}));
    EXPECT_EQ(u"-9223372036854775808", std::u16string_view(out));
    // Too few arguments, a number where text is expected, unknown conversions, a lone %.
    EXPECT_EQ(text::kOk, text::Format(out, 64, u"%d and %s and %s %n%p%", {5, 6}));
    EXPECT_EQ(u"5 and %s and %s %n%p%", std::u16string_view(out));
}

TEST(BoundedText, FormatBoundsInUnitsAndBytes) {
    Guarded d(5);
    EXPECT_EQ(text::kTruncated, text::Format(d.data(), 5, u"%s-%d", {u"abc", 12345}));
    EXPECT_EQ(u"abc-", d.text());
    EXPECT_TRUE(d.guardsIntact(5));

    Guarded b(3);
    EXPECT_EQ(text::kTruncated, text::FormatBytes(b.data(), 7, u"%d", {12345}));
    EXPECT_EQ(u"12", b.text()) << "7 bytes hold three units";
    EXPECT_TRUE(b.guardsIntact(3));
    EXPECT_EQ(text::kInvalidArgument, text::FormatBytes(b.data(), 1, u"x", {}));

    // A huge width cannot run past the destination either.
    Guarded w(8);
    EXPECT_EQ(text::kTruncated, text::Format(w.data(), 8, u"%999999d", {1}));
    EXPECT_TRUE(w.guardsIntact(8));
}

}  // namespace
