// The portable profile reader on arbitrary files: any encoding, byte-order marks, NUL bytes,
// broken lines. Checked: the decoded text is what the bytes say (UTF-16 and UTF-8 encodings
// of the same text decode to it again, malformed UTF-8 never passes as text); string reads
// stay inside their buffer, end in a terminator right after the units they report, leave
// the rest of the buffer alone, and read no less into a larger buffer; names match without
// regard to ASCII case and blanks around them.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "profile/ini_reader.h"

namespace {

constexpr char16_t kUntouched = 0xA5A5;
constexpr std::uint32_t kBufferUnits = 300;

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string out(2 + 2 * text.size(), '\0');
    out[0] = bigEndian ? '\xFE' : '\xFF';
    out[1] = bigEndian ? '\xFF' : '\xFE';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char high = static_cast<char>(text[i] >> 8);
        const char low = static_cast<char>(text[i] & 0xFF);
        out[2 + 2 * i] = bigEndian ? high : low;
        out[3 + 2 * i] = bigEndian ? low : high;
    }
    return out;
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-8 with its signature; false for a text with a lone half of a surrogate pair.
bool Utf8Bytes(std::u16string_view text, std::string* out) {
    *out = "\xEF\xBB\xBF";
    out->reserve(3 + 3 * text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        } else if (IsHigh(text[i]) || IsLow(text[i])) {
            return false;
        }
        if (c < 0x80) {
            out->push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out->push_back(static_cast<char>(0xC0 | c >> 6));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | c >> 12));
            out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | c >> 18));
            out->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return true;
}

void CheckDecoding(std::string_view bytes, const std::u16string& text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        FUZZ_CHECK(text.size() <= bytes.size() - 3);
        // Decoded UTF-8 never holds half a surrogate pair; without a replacement character
        // the bytes were well-formed UTF-8, and encoding the text gives them back.
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (IsHigh(text[i]))
                FUZZ_CHECK(i + 1 < text.size() && IsLow(text[++i]));
            else
                FUZZ_CHECK(!IsLow(text[i]));
        }
        std::string again;
        FUZZ_CHECK(Utf8Bytes(text, &again));
        if (text.find(u'\xFFFD') == std::u16string::npos) FUZZ_CHECK(again == bytes);
    } else if (bytes.size() >= 2 &&
               ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        FUZZ_CHECK(text.size() == (bytes.size() - 1) / 2);
    } else {
        FUZZ_CHECK(text.size() == bytes.size());
    }
    // The same text in the other encodings reads back as the same text.
    FUZZ_CHECK(profile::DecodeProfileBytes(Utf16Bytes(text, false)) == text);
    FUZZ_CHECK(profile::DecodeProfileBytes(Utf16Bytes(text, true)) == text);
    std::string utf8;
    if (Utf8Bytes(text, &utf8)) FUZZ_CHECK(profile::DecodeProfileBytes(utf8) == text);
}

// Names to ask for: the headers and the text before each "=" of the first lines, and their
// line's text itself as a name that need not exist.
struct Query {
    std::u16string section;
    std::u16string key;
};
std::vector<Query> Queries(std::u16string_view text) {
    std::vector<Query> queries;
    std::u16string section;
    std::size_t pos = 0;
    while (pos < text.size() && queries.size() < 6) {
        std::size_t end = text.find_first_of(u"\r\n", pos);
        if (end == std::u16string_view::npos) end = text.size();
        const std::u16string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t open = line.find(u'[');
        const std::size_t close = line.rfind(u']');
        if (open != std::u16string_view::npos && close != std::u16string_view::npos &&
            close > open) {
            section = line.substr(open + 1, close - open - 1);
            continue;
        }
        queries.push_back({section, std::u16string(line.substr(0, line.find(u'=')))});
    }
    return queries;
}

std::u16string Upper(std::u16string s) {
    for (char16_t& c : s) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return s;
}

struct Answer {
    std::uint32_t length;
    std::u16string text;
    friend bool operator==(const Answer&, const Answer&) = default;
};

Answer Read(const profile::IniDocument& document, std::u16string_view section,
            std::u16string_view key, std::u16string_view fallback, std::uint32_t units) {
    std::array<char16_t, kBufferUnits + 8> buffer;
    buffer.fill(kUntouched);
    const std::uint32_t length = document.GetString(section, key, fallback, buffer.data(), units);
    FUZZ_CHECK(length < units);
    FUZZ_CHECK(buffer[length] == u'\0');
    FUZZ_CHECK(std::find(buffer.begin(), buffer.begin() + length, u'\0') ==
               buffer.begin() + length);
    FUZZ_CHECK(std::all_of(buffer.begin() + units, buffer.end(),
                           [](char16_t c) { return c == kUntouched; }));
    return {length, std::u16string(buffer.data(), length)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = profile::DecodeProfileBytes(bytes);
    CheckDecoding(bytes, text);

    const profile::IniDocument document(text);
    // The buffer size comes from the last byte, so that short buffers cut values too.
    const std::uint32_t units = 1 + (size > 0 ? data[size - 1] : 0) % kBufferUnits;
    for (const Query& q : Queries(text)) {
        const Answer answer = Read(document, q.section, q.key, u"fallback", units);
        FUZZ_CHECK(answer == Read(document, u" " + Upper(q.section) + u"\t",
                                  u"\t" + Upper(q.key) + u" ", u"fallback", units));
        // A longer buffer reads at least as much.
        if (answer.length + 1 == units) {
            FUZZ_CHECK(Read(document, q.section, q.key, u"fallback", kBufferUnits).length >=
                       answer.length);
        }
        document.GetInt(q.section, q.key, 0x12345678);
    }
    char16_t one = kUntouched;
    FUZZ_CHECK(document.GetString(u"", u"", u"x", nullptr, 5) == 0);
    FUZZ_CHECK(document.GetString(u"", u"", u"x", &one, 0) == 0 && one == kUntouched);
    return 0;
}
