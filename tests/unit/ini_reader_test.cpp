#include "profile/ini_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "fakes/fake_profiles.h"
#include "heap_in_use.h"

namespace {

using profile::DecodeProfileBytes;
using profile::IniDocument;
using namespace std::string_literals;
using namespace std::string_view_literals;

// GetString into a buffer with guard units on both sides; fails the test when a guard
// was touched or the text is not terminated at the returned length.
std::u16string Read(const IniDocument& doc, std::u16string_view section, std::u16string_view key,
                    std::u16string_view def = u"D", std::uint32_t units = 64) {
    std::u16string buffer(units + 2, u'#');
    const std::uint32_t n = doc.GetString(section, key, def, buffer.data() + 1, units);
    EXPECT_EQ(u'#', buffer.front());
    EXPECT_EQ(u'#', buffer.back());
    if (units == 0) {
        EXPECT_EQ(0u, n);
        return u"<untouched>";
    }
    EXPECT_LT(n, units);
    EXPECT_EQ(u'\0', buffer[1 + n]);
    return buffer.substr(1, n);
}

IniDocument Doc(std::string_view bytes) { return IniDocument(DecodeProfileBytes(bytes)); }

// The platform's reading of names, values, numbers and encodings is compared with the
// platform itself under Wine (the profile differential test); these cases are the ones a
// change of the reader most easily breaks.
TEST(IniDecoding, ByteOrderMarksCodePage1252AndMalformedUtf8) {
    EXPECT_EQ(u"[\u65E5]\nA",
              DecodeProfileBytes("\xFF\xFE[\x00\xE5\x65]\x00\n\x00\x41\x42"sv.substr(0, 11)))
        << "UTF-16LE, an odd last byte a unit of its own, the byte after the data unread";
    EXPECT_EQ(u"ab", DecodeProfileBytes("\xFE\xFF\x00\x61\x00\x62"sv));
    EXPECT_EQ(u"\u20AC\u0081\u00FF\u00EF\u00BB", DecodeProfileBytes("\x80\x81\xFF\xEF\xBB"))
        << "code page 1252, whose holes keep their C1 values";
    const std::pair<const char*, std::u16string_view> utf8[] = {
        {"\xC3|", u"\uFFFD|"},                          // lead without continuation
        {"\xE3\x81x", u"\uFFFDx"},                      // cut three-byte form: one mark
        {"\xF0\x8F\xBF\xBF|", u"\uFFFD\uFFFD\uFFFD|"},  // overlong four-byte form
        {"\xE0\x9F\xBF|", u"\uFFFD\uFFFD|"},            // overlong three-byte form
        {"\xF4\x90\x80\x80|", u"\uFFFD\uFFFD\uFFFD|"},  // beyond U+10FFFF
        {"\xED\xA0\x80|", u"\uFFFD\uFFFD|"},            // encoded surrogate
        {"\xF4\x8F\xBF\xBF|", u"\U0010FFFF|"},
        {"a\xF0\x9F\x98", u"a\uFFFD"},  // cut by the end of the data
    };
    for (const auto& [bytes, text] : utf8) {
        EXPECT_EQ(text, DecodeProfileBytes(std::string("\xEF\xBB\xBF") + bytes)) << bytes;
    }
    EXPECT_EQ(u"\uFFFD", DecodeProfileBytes("\xEF\xBB\xBF\xE3\x81\x82"sv.substr(0, 5)))
        << "the byte after the data is never read";
}

TEST(IniNames, CaseRepeatsHeadersAndNulls) {
    const IniDocument doc =
        Doc("top=before\n"
            "[Sec]\nKey=first\nkey=second\n  Spaced Key \t=  v  \nnoeq\nnoeq=later\n"
            "[SEC]\nonly=in second\n"
            "[\xC4]\nk=upper\n"
            "[A]]  trailing ]junk\ny=2\n"
            "[Nul\0x]\nn\0ame=v\0w\n"sv);
    EXPECT_EQ(u"first", Read(doc, u"sec", u"KEY"));
    EXPECT_EQ(u"v", Read(doc, u" Sec\t", u"\r\nspaced key"));
    EXPECT_EQ(u"D", Read(doc, u"Sec", u"only")) << "repeated sections are not merged";
    EXPECT_EQ(u"D", Read(doc, u"Sec", u"noeq")) << "a key without '=' shadows later lines";
    EXPECT_EQ(u"before", Read(doc, u"", u"top"));
    EXPECT_EQ(u"upper", Read(doc, u"\u00C4", u"K"));
    EXPECT_EQ(u"D", Read(doc, u"\u00E4", u"k")) << "letter case folds for A-Z only";
    EXPECT_EQ(u"2", Read(doc, u"A]]  trailing ", u"y")) << "the header ends at its last ']'";
    EXPECT_EQ(u"v", Read(doc, u"Nul", std::u16string_view(u"n\0other", 7)));
}

TEST(IniValues, TrimmingQuotesAndDefaults) {
    const IniDocument doc =
        Doc("[V]\r\nspaced =  \t a b \x0B\r\ndq=\"  q  \"\rmixed=\"ab'\n"
            "lone=\"\neq = c = d \n[Last]\nnonl=end");
    EXPECT_EQ(u"a b", Read(doc, u"V", u"spaced"));
    EXPECT_EQ(u"  q  ", Read(doc, u"V", u"dq"));
    EXPECT_EQ(u"\"ab'", Read(doc, u"V", u"mixed"));
    EXPECT_EQ(u"\"", Read(doc, u"V", u"lone"));
    EXPECT_EQ(u"c = d", Read(doc, u"V", u"eq"));
    EXPECT_EQ(u"end", Read(doc, u"Last", u"nonl"));
    EXPECT_EQ(u"  dflt", Read(doc, u"V", u"missing", u"  dflt  "));
    EXPECT_EQ(u"dflt", Read(doc, u"Nowhere", u"missing", u"'dflt'"));
    EXPECT_EQ(u"012345678", Read(doc, u"V", u"missing", u"\"0123456789\"", 11));
    EXPECT_EQ(u"ab", Read(doc, u"V", u"missing", std::u16string_view(u"ab\0cd", 5)));
}

TEST(IniValues, BufferSizes) {
    const IniDocument doc = Doc("[B]\nlong=0123456789\nq=\"0123456789\"\ne=\"\"\n");
    EXPECT_EQ(u"<untouched>", Read(doc, u"B", u"long", u"D", 0));
    EXPECT_EQ(u"", Read(doc, u"B", u"long", u"D", 1));
    EXPECT_EQ(u"0", Read(doc, u"B", u"long", u"D", 2));
    EXPECT_EQ(u"012345678", Read(doc, u"B", u"long", u"D", 10));
    EXPECT_EQ(u"0123456789", Read(doc, u"B", u"long", u"D", 11));
    // A quoted value loses one more character when the buffer ends on its closing quote.
    EXPECT_EQ(u"0123", Read(doc, u"B", u"q", u"D", 5));
    EXPECT_EQ(u"012345678", Read(doc, u"B", u"q", u"D", 10));
    EXPECT_EQ(u"012345678", Read(doc, u"B", u"q", u"D", 11));
    EXPECT_EQ(u"0123456789", Read(doc, u"B", u"q", u"D", 12));
    EXPECT_EQ(u"", Read(doc, u"B", u"e", u"D", 1));
    EXPECT_EQ(0u, doc.GetString(u"B", u"long", u"D", nullptr, 10));
}

TEST(IniValues, DefaultsLoseTrailingSpacesAndQuotes) {
    const IniDocument doc = Doc("[S]\n");
    EXPECT_EQ(u"  dflt", Read(doc, u"S", u"missing", u"  dflt  "));
    EXPECT_EQ(u"\tdflt\t", Read(doc, u"S", u"missing", u"\tdflt\t"));
    EXPECT_EQ(u" ", Read(doc, u"S", u"missing", u"   "));
    EXPECT_EQ(u"dflt", Read(doc, u"S", u"missing", u"\"dflt\"  "));
    EXPECT_EQ(u"dflt", Read(doc, u"Nowhere", u"missing", u"'dflt'"));
    EXPECT_EQ(u"012", Read(doc, u"S", u"missing", u"0123456789", 4));
    EXPECT_EQ(u"012345678", Read(doc, u"S", u"missing", u"\"0123456789\"", 11));
    EXPECT_EQ(u"ab", Read(doc, u"S", u"missing", std::u16string_view(u"ab\0cd", 5)));
    EXPECT_EQ(u"", Read(doc, u"S", u"missing", u""));
}

TEST(IniIntegers, SignsPrefixesAndWrapping) {
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"-12", -12},
        {"0x1F", 31},
        {"0X1f", 0},
        {"12abc", 12},
        {"\"-5\"", -5},
        {"0b101", 5},
        {"- 5", 0},
        {"4294967295", -1},
        {"4294967296", 0},
        {"2147483648", INT32_MIN},
        {"-2147483649", INT32_MAX},
        // Only 29 characters are read: longer numbers are cut before conversion.
        {"123456789012345678901234567890123", 1849262357},
        {"0x0000000000000000000000000000012", 0},
    };
    std::string text = "[N]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        text += "n" + std::to_string(i) + "=" + cases[i].value + "\n";
    }
    text += "empty=\nquotes=\"\"\n";
    const IniDocument doc = Doc(text);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::u16string key = u"n" + DecodeProfileBytes(std::to_string(i));
        EXPECT_EQ(cases[i].expected, doc.GetInt(u"N", key, -99)) << cases[i].value;
    }
    EXPECT_EQ(-99, doc.GetInt(u"N", u"empty", -99));
    EXPECT_EQ(-99, doc.GetInt(u"N", u"quotes", -99));
    EXPECT_EQ(-99, doc.GetInt(u"N", u"missing", -99));
}

// What a document keeps is what a query can reach, and it says truly what that costs: the
// file cache bounds its memory by that count.
TEST(IniMemory, RepeatsCostNothingAndTheCountIsWhatTheHeapHolds) {
    // A megabyte of one key and one section over and over holds one key.
    std::string repeats;
    while (repeats.size() < (1u << 20)) repeats += "[S]\nkey=value\nkey=other\n";
    const IniDocument small = Doc("[S]\nkey=value\n");
    const IniDocument repeated = Doc(repeats);
    EXPECT_EQ(small.MemoryBytes(), repeated.MemoryBytes());
    EXPECT_EQ(u"value", Read(repeated, u"s", u"KEY"));

    // Distinct names and long values: the count covers every block the heap gives out for
    // them, and not much more.
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        if (i % 100 == 0) text += "[Section " + std::to_string(i) + "]\n";
        text += "key" + std::to_string(i) + "=" + (i % 7 == 0 ? std::string(40, 'v') : "1") + "\n";
    }
    const std::u16string decoded = DecodeProfileBytes(text);
    const std::size_t before = testing_support::HeapInUse();
    const auto document = std::make_unique<IniDocument>(decoded);
    const std::size_t held = testing_support::HeapInUse() - before;
    EXPECT_EQ(u"1", Read(*document, u"section 19900", u"key19998"));
    EXPECT_GE(document->MemoryBytes(), held);
    EXPECT_LE(document->MemoryBytes(), held * 2) << "held " << held;
}

TEST(IniFiles, ReadsThroughTheSourceAndTreatsAbsentFilesAsEmpty) {
    fakes::FakeProfiles profiles;
    profiles.files.PutUtf16(u"C:\\Drv\\CVLu.INI",
                            u"[Model]\r\nName=\u30D7\u30EA\u30F3\u30BF\r\nN=-3");
    char16_t buffer[16];
    EXPECT_EQ(4u, profiles.GetString(u"model", u"name", u"", buffer, 16, u"c:\\drv\\cvlu.ini"));
    EXPECT_EQ(u"\u30D7\u30EA\u30F3\u30BF", std::u16string_view(buffer));
    EXPECT_EQ(0xFFFFFFFDu, profiles.GetInt(u"Model", u"N", 0, u"C:\\Drv\\CVLu.INI"));
    EXPECT_EQ(4u, profiles.GetString(u"Model", u"Name", u"\"dflt\"", buffer, 16, u"C:\\none.ini"));
    EXPECT_EQ(u"dflt", std::u16string_view(buffer));
    EXPECT_EQ(7u, profiles.GetInt(u"Model", u"N", 7, u"C:\\none.ini"));
    EXPECT_EQ(4, profiles.files.reads);
    EXPECT_EQ(0u, profiles.GetString(u"Model", u"Name", u"", buffer, 0, u"C:\\Drv\\CVLu.INI"));

    // Without a cache a changed file shows at once.
    profiles.files.PutUtf8(u"p.ini", "[S]\nk=1\n");
    EXPECT_EQ(1u, profiles.GetInt(u"S", u"k", 0, u"P.INI"));
    profiles.files.PutUtf8(u"p.ini", "[S]\nk=2\n");
    EXPECT_EQ(2u, profiles.GetInt(u"S", u"k", 0, u"p.ini"));
}

TEST(IniRobustness, JunkNeverWritesOutsideTheBuffer) {
    std::mt19937 random(20240611);
    const std::string_view alphabet =
        "[]=;\"' \t\r\n\x1A\0\xEF\xBB\xBF\xFF\xFE\xC3\xE3\x81\xF0\x9Fkx"sv;
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) {
            bytes.push_back(random() % 4 == 0 ? static_cast<char>(random())
                                              : alphabet[random() % alphabet.size()]);
        }
        const IniDocument doc = Doc(bytes);
        for (const std::u16string_view section : {u"", u"k", u"x", u"[", u"kx"}) {
            for (const std::u16string_view key : {u"", u"k", u"x", u";", u"\""}) {
                Read(doc, section, key, u"\"", static_cast<std::uint32_t>(random() % 5));
                doc.GetInt(section, key, 1);
            }
        }
    }
    // One huge line and a huge key.
    const IniDocument doc =
        Doc("[H]\nv=" + std::string(200000, 'x') + "\n" + std::string(50000, 'k') + "=kv\n");
    EXPECT_EQ(std::u16string(7, u'x'), Read(doc, u"H", u"v", u"D", 8));
    EXPECT_EQ(u"kv", Read(doc, u"H", std::u16string(50000, u'k')));
}

}  // namespace
