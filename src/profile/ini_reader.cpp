#include "profile/ini_reader.h"

#include <algorithm>
#include <array>

namespace profile {
namespace {

// Code page 1252 for the bytes 0x80-0x9F; the bytes it leaves undefined map to the C1
// controls of the same value, as the platform's table does. Every other byte is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t kReplacement = 0xFFFD;

// Reading a value for GetInt goes through a buffer of this many units, as the platform does:
// longer values are cut before they are converted.
constexpr std::uint32_t kIntBufferUnits = 30;

unsigned char Byte(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string out;
    out.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        // An odd last byte becomes a unit of its own with the missing byte taken as zero.
        const unsigned first = Byte(bytes, i);
        const unsigned second = i + 1 < bytes.size() ? Byte(bytes, i + 1) : 0u;
        out.push_back(
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return out;
}

// UTF-8 as the platform's converter reads it: a malformed sequence gives one U+FFFD for
// the bytes read up to the first one that does not fit, and decoding goes on from there;
// a sequence cut short by the end of the data gives one U+FFFD and ends the text.
std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned lead = Byte(bytes, i++);
        if (lead < 0x80) {
            out.push_back(static_cast<char16_t>(lead));
            continue;
        }
        // Continuation bytes that follow the lead; 0 for bytes that cannot start a sequence.
        const std::size_t more = (lead >= 0xC2 && lead <= 0xDF)   ? 1
                                 : (lead >= 0xE0 && lead <= 0xEF) ? 2
                                 : (lead >= 0xF0 && lead <= 0xF4) ? 3
                                                                  : 0;
        if (more == 0) {
            out.push_back(kReplacement);
            continue;
        }
        if (more > n - i) {
            out.push_back(kReplacement);
            break;
        }
        static constexpr unsigned kLeadMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
        std::uint32_t code = lead & kLeadMask[more];
        bool valid = false;
        std::size_t left = more;
        while (left > 0) {
            const unsigned bits = Byte(bytes, i) ^ 0x80u;
            if (bits >= 0x40) break;
            code = (code << 6) | bits;
            if (left == 2 && code >= (0x110000u >> 6)) break;  // beyond U+10FFFF
            ++i;
            if (left == 3 && code < 0x10) break;  // overlong four-byte form
            if (left == 2 && (code < 0x20 || (code >= (0xD800u >> 6) && code <= (0xDFFFu >> 6)))) {
                break;  // overlong three-byte form, or a surrogate
            }
            if (--left == 0) valid = true;
        }
        if (!valid) {
            out.push_back(kReplacement);
        } else if (code <= 0xFFFF) {
            out.push_back(static_cast<char16_t>(code));
        } else {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        }
    }
    return out;
}

std::u16string DecodeCp1252(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned b = Byte(bytes, i);
        out.push_back(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

// The characters trimmed around names and values: tab, line feed, vertical tab, form feed,
// carriage return, space and Ctrl-Z (an old end-of-file mark).
bool IsBlank(char16_t c) { return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }

std::u16string_view TrimLeft(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::u16string_view TrimRight(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::u16string_view Trim(std::u16string_view s) { return TrimRight(TrimLeft(s)); }

// The platform's strings end at their first null: text after one is never seen.
std::u16string_view CutAtNull(std::u16string_view s) {
    const std::size_t nul = s.find(u'\0');
    return nul == std::u16string_view::npos ? s : s.substr(0, nul);
}

// Names compare without regard to the letter case of A-Z only. Windows folds other letters
// too; Wine (which the differential test measures) does not, and neither do we.
char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Copies a value or default the way the platform does: a text of at least two characters
// that starts and ends with the same quote (' or ") loses the opening quote, and loses its
// last copied character when the buffer reached the closing quote. When the buffer is
// exactly one unit too short for the unquoted text, that cuts a real character as well.
std::uint32_t CopyEntry(std::u16string_view value, char16_t* buffer, std::uint32_t units) {
    if (buffer == nullptr || units == 0) return 0;
    bool quoted = false;
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    std::size_t copied = std::min<std::size_t>(value.size(), units - 1);
    std::copy_n(value.data(), copied, buffer);
    if (quoted && units >= value.size() && copied > 0) --copied;
    buffer[copied] = u'\0';
    return static_cast<std::uint32_t>(copied);
}

// RtlUnicodeStringToInteger with base 0: leading characters up to the space skipped, one
// sign, a lower-case 0x / 0o / 0b prefix, then digits of that base up to the first other
// character, accumulated modulo 2^32.
std::uint32_t ParseInteger(std::u16string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] <= u' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
    std::uint32_t base = 10;
    if (i + 1 < s.size() && s[i] == u'0') {
        const char16_t prefix = s[i + 1];
        base = prefix == u'x' ? 16 : prefix == u'o' ? 8 : prefix == u'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    std::uint32_t total = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i];
        std::uint32_t digit = 99;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        if (c >= u'a' && c <= u'z') digit = c - u'a' + 10;
        if (c >= u'A' && c <= u'Z') digit = c - u'A' + 10;
        if (digit >= base) break;
        total = total * base + digit;
    }
    return negative ? 0u - total : total;
}

}  // namespace

std::u16string DecodeProfileBytes(std::string_view bytes) {
    if (bytes.size() >= 3 && Byte(bytes, 0) == 0xEF && Byte(bytes, 1) == 0xBB &&
        Byte(bytes, 2) == 0xBF) {
        return DecodeUtf8(bytes.substr(3));
    }
    if (bytes.size() >= 2 && Byte(bytes, 0) == 0xFF && Byte(bytes, 1) == 0xFE) {
        return DecodeUtf16(bytes.substr(2), /*bigEndian=*/false);
    }
    if (bytes.size() >= 2 && Byte(bytes, 0) == 0xFE && Byte(bytes, 1) == 0xFF) {
        return DecodeUtf16(bytes.substr(2), /*bigEndian=*/true);
    }
    return DecodeCp1252(bytes);
}

std::size_t IniDocument::FoldedHash::operator()(std::u16string_view name) const noexcept {
    // FNV-1a over the folded units.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char16_t c : name) hash = (hash ^ FoldAscii(c)) * 1099511628211ull;
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

bool IniDocument::FoldedEqual::operator()(std::u16string_view a,
                                          std::u16string_view b) const noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

IniDocument::IniDocument() {
    Parse({});
    memoryBytes_ = CountMemory();
}

IniDocument::IniDocument(std::u16string_view text) {
    Parse(text);
    memoryBytes_ = CountMemory();
}

void IniDocument::Parse(std::u16string_view text) {
    // Lines before the first header belong to a nameless section that always comes first,
    // so a later "[]" header can never be reached.
    Section* current = &sections_[std::u16string()];

    std::size_t pos = 0;
    while (pos < text.size()) {
        // CR, LF and CRLF all end lines (and blank lines are skipped).
        std::size_t end = text.find_first_of(u"\r\n", pos);
        if (end == std::u16string_view::npos) end = text.size();
        std::u16string_view line = TrimLeft(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;

        if (line.front() == u'[') {
            // The header ends at the line's last ']'; anything after it is ignored. A line
            // without one is read as a key.
            const std::size_t close = line.rfind(u']');
            if (close != std::u16string_view::npos) {
                // Only the first section of a name is searched: the lines of a repeated one
                // are passed over (repeated sections are not merged).
                const std::u16string_view name = CutAtNull(Trim(line.substr(1, close - 1)));
                const auto [at, added] = sections_.try_emplace(std::u16string(name));
                current = added ? &at->second : nullptr;
                continue;
            }
        }
        if (current == nullptr) continue;

        // "name = value" with blanks around both trimmed. Comments get no treatment of their
        // own: a ';' line is a key whose name starts with ';' (Wine's reading, which the
        // differential test measures). A line without '=' is a key without a value, which
        // reads as the caller's default. The first line of a name wins.
        line = TrimRight(line);
        const std::size_t eq = line.find(u'=');
        const std::u16string_view name =
            CutAtNull(eq == std::u16string_view::npos ? line : TrimRight(line.substr(0, eq)));
        if (current->find(name) != current->end()) continue;
        std::optional<std::u16string> value;
        if (eq != std::u16string_view::npos)
            value.emplace(CutAtNull(TrimLeft(line.substr(eq + 1))));
        current->emplace(std::u16string(name), std::move(value));
    }
}

namespace {

// One heap block of `bytes` as the allocator hands it out: a header of two pointers and a
// size rounded up to two pointers (glibc's and the Windows heap's granularity).
std::size_t Block(std::size_t bytes) {
    constexpr std::size_t kUnit = 2 * sizeof(void*);
    return (bytes + kUnit + kUnit - 1) / kUnit * kUnit;
}

// The heap block of a string's characters; none for one held in the object itself.
std::size_t TextBlock(const std::u16string& s) {
    // Strings of up to this many units live inside the string object (libstdc++).
    constexpr std::size_t kInPlace = 15 / sizeof(char16_t);
    return s.capacity() > kInPlace ? Block((s.capacity() + 1) * sizeof(char16_t)) : 0;
}

// The blocks of a hash map: its bucket array, and one node per element holding the link,
// the element and the element's cached hash.
template <class Map>
std::size_t MapBlocks(const Map& map) {
    constexpr std::size_t kNode =
        sizeof(void*) + sizeof(typename Map::value_type) + sizeof(std::size_t);
    return Block(map.bucket_count() * sizeof(void*)) + map.size() * Block(kNode);
}

}  // namespace

std::size_t IniDocument::CountMemory() const {
    std::size_t bytes = MapBlocks(sections_);
    for (const auto& [name, section] : sections_) {
        bytes += TextBlock(name) + MapBlocks(section);
        for (const auto& [key, value] : section) {
            bytes += TextBlock(key) + (value ? TextBlock(*value) : 0);
        }
    }
    return bytes;
}

const std::optional<std::u16string>* IniDocument::Find(std::u16string_view section,
                                                       std::u16string_view key) const {
    const auto s = sections_.find(Trim(CutAtNull(section)));
    if (s == sections_.end()) return nullptr;
    const auto e = s->second.find(Trim(CutAtNull(key)));
    return e == s->second.end() ? nullptr : &e->second;
}

std::uint32_t IniDocument::GetString(std::u16string_view section, std::u16string_view key,
                                     std::u16string_view defaultValue, char16_t* buffer,
                                     std::uint32_t units) const {
    if (buffer == nullptr || units == 0) return 0;
    const std::optional<std::u16string>* value = Find(section, key);
    if (value != nullptr && *value) return CopyEntry(**value, buffer, units);
    // The default loses trailing spaces (only U+0020, and never its first character), then
    // takes the same quote rule as a value.
    std::u16string_view fallback = CutAtNull(defaultValue);
    while (fallback.size() > 1 && fallback.back() == u' ') fallback.remove_suffix(1);
    return CopyEntry(fallback, buffer, units);
}

std::int32_t IniDocument::GetInt(std::u16string_view section, std::u16string_view key,
                                 std::int32_t defaultValue) const {
    char16_t buffer[kIntBufferUnits];
    const std::uint32_t length = GetString(section, key, u"", buffer, kIntBufferUnits);
    if (length == 0) return defaultValue;
    // Windows documents a negative value as read back as 0; Wine returns its bits, as we do.
    return static_cast<std::int32_t>(ParseInteger(std::u16string_view(buffer, length)));
}

std::shared_ptr<const IniDocument> IniProfileFiles::Load(std::u16string_view path) {
    std::u16string folded;
    if (cache_) {
        folded.reserve(path.size());
        for (const char16_t c : path) folded.push_back(FoldAscii(c));
        const auto it = documents_.find(folded);
        if (it != documents_.end()) return it->second;
    }
    const std::optional<std::string> bytes = files_.Read(path);
    // A file that cannot be read answers like an empty one: with the default, quotes and all.
    auto document = bytes ? std::make_shared<const IniDocument>(DecodeProfileBytes(*bytes))
                          : std::make_shared<const IniDocument>();
    if (cache_) documents_.emplace(std::move(folded), document);
    return document;
}

std::uint32_t IniProfileFiles::GetInt(std::u16string_view section, std::u16string_view key,
                                      std::int32_t defaultValue, std::u16string_view path) {
    return static_cast<std::uint32_t>(Load(path)->GetInt(section, key, defaultValue));
}

std::uint32_t IniProfileFiles::GetString(std::u16string_view section, std::u16string_view key,
                                         std::u16string_view defaultValue, char16_t* buffer,
                                         std::uint32_t units, std::u16string_view path) {
    if (buffer == nullptr || units == 0) return 0;
    return Load(path)->GetString(section, key, defaultValue, buffer, units);
}

}  // namespace profile
